#include "support/port_map.h"

#include "settings/profile.h"

namespace zv {
namespace {

std::optional<std::string> MappedPortDevice(const IniFile& settings, int com) {
  if (com < 1 || com > kMaxComNumber) return std::nullopt;
  const std::string key = "COM" + std::to_string(com);
  std::optional<std::string> mapped = settings.Get("Ports", key);
  if (mapped && !mapped->empty()) return mapped;
  return DefaultPortDevice(com);
}

}  // namespace

std::optional<std::string> PortDevice(int com) {
  if (com < 1 || com > kMaxComNumber) return std::nullopt;
  return MappedPortDevice(ReadSettingsFile(), com);
}

std::vector<std::optional<std::string>> AllPortDevices() {
  const IniFile settings = ReadSettingsFile();
  std::vector<std::optional<std::string>> devices(kMaxComNumber + 1);
  for (int com = 1; com <= kMaxComNumber; ++com) {
    devices[com] = MappedPortDevice(settings, com);
  }
  return devices;
}

std::vector<std::pair<int, std::string>> PresentPorts() {
  const std::vector<std::optional<std::string>> devices = AllPortDevices();
  std::vector<std::pair<int, std::string>> present;
  for (int com = 1; com <= kMaxComNumber; ++com) {
    if (devices[com] && PortDevicePresent(*devices[com])) {
      present.emplace_back(com, *devices[com]);
    }
  }
  return present;
}

}  // namespace zv
