#include <optional>

#include "support/port_map.h"
#include "ui/port_names.h"

namespace zv {

std::string PortListEntry(int com) {
  std::string entry = "COM " + std::to_string(com);
  if (const std::optional<std::string> device = PortDevice(com)) {
    entry += " (" + *device + ")";
  }
  return entry;
}

}  // namespace zv
