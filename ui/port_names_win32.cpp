#include "ui/port_names.h"

namespace zv {

// The device is always \\.\COMn there: the number says it all.
std::string PortListEntry(int com, const std::optional<std::string>&) {
  return "COM " + std::to_string(com);
}

}  // namespace zv
