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

std::string PortBoxText(int com) { return "COM " + std::to_string(com); }

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

std::vector<PortListItem> PortListItems() { return PortListItems(*MakeSystemPortDescriber()); }

std::vector<PortListItem> PortListItems(const IPortDescriber& describer) {
  const std::vector<std::optional<std::string>> devices = AllPortDevices();
  std::vector<PortListItem> items;
  for (int com = 1; com <= kMaxComNumber; ++com) {
    const std::optional<std::string>& device = devices[com];
    const bool present = device && PortDevicePresent(*device);
    items.push_back({com, device, present, present ? describer.Describe(*device) : PortDetails{}});
  }
  return items;
}

std::string PortListEntry(const PortListItem& item, Language language) {
  std::string entry = PortBoxText(item.com);
  if (item.device) entry += " (" + *item.device + ")";
  if (!item.present) return entry;
  entry += language == Language::Polish ? " — podłączony" : " — connected";
  if (item.details.description) entry += ": " + *item.details.description;
  return entry;
}

std::vector<std::pair<int, std::string>> PresentPorts() {
  std::vector<std::pair<int, std::string>> present;
  for (const PortListItem& item : PortListItems()) {
    if (item.present) present.emplace_back(item.com, *item.device);
  }
  return present;
}

}  // namespace zv
