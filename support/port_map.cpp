#include "support/port_map.h"

#include "settings/profile.h"

namespace zv {

std::optional<std::string> PortDevice(int com) {
  if (com < 1 || com > kMaxComNumber) return std::nullopt;
  const std::string key = "COM" + std::to_string(com);
  std::optional<std::string> mapped = ProfileString("Ports", key.c_str());
  if (mapped && !mapped->empty()) return mapped;
  return DefaultPortDevice(com);
}

std::vector<std::pair<int, std::string>> PresentPorts() {
  std::vector<std::pair<int, std::string>> present;
  for (int com = 1; com <= kMaxComNumber; ++com) {
    std::optional<std::string> device = PortDevice(com);
    if (device && PortDevicePresent(*device))
      present.emplace_back(com, *device);
  }
  return present;
}

}  // namespace zv
