#include "ui/qt/port_names.h"

namespace zv {

std::string PortListEntry(int com, const std::optional<std::string>& device) {
  std::string entry = "COM " + std::to_string(com);
  if (device) entry += " (" + *device + ")";
  return entry;
}

}  // namespace zv
