#include "support/port_details_sysfs.h"

#include <fstream>
#include <optional>

namespace zv {
namespace {

namespace fs = std::filesystem;

// A description longer than this is cut, so that a list entry stays short.
constexpr std::size_t kLongestText = 40;

std::optional<fs::path> Resolved(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  if (error) return std::nullopt;
  return resolved;
}

bool Continues(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The first line of a sysfs attribute, control bytes turned into spaces,
// without leading spaces, cut to kLongestText bytes on a character
// boundary and without trailing spaces; nothing when the file is missing
// or blank.
std::optional<std::string> Attribute(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text;
  if (!in || !std::getline(in, text)) return std::nullopt;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  text.erase(0, text.find_first_not_of(' '));
  if (text.size() > kLongestText) {
    std::size_t cut = kLongestText;
    while (cut > 0 && Continues(text[cut])) --cut;
    text.resize(cut);
  }
  text.erase(text.find_last_not_of(' ') + 1);
  if (text.empty()) return std::nullopt;
  return text;
}

// The USB device above the tty `name`: the nearest folder at or above its
// "device" link that has an idVendor file.
std::optional<fs::path> UsbDeviceOf(const fs::path& sysRoot, const std::string& name) {
  const std::optional<fs::path> start = Resolved(sysRoot / "class" / "tty" / name / "device");
  const std::optional<fs::path> root = Resolved(sysRoot);
  if (!start || !root) return std::nullopt;
  std::error_code error;
  for (fs::path folder = *start; folder != *root && folder.has_relative_path();
       folder = folder.parent_path()) {
    if (fs::exists(folder / "idVendor", error)) return folder;
  }
  return std::nullopt;
}

std::optional<std::string> ByIdLink(const fs::path& devRoot, const fs::path& device) {
  std::error_code error;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(devRoot / "serial" / "by-id", error)) {
    if (Resolved(entry.path()) == device) return entry.path().string();
  }
  return std::nullopt;
}

}  // namespace

PortDetails SysfsPortDescriber::Describe(const std::string& device) const {
  PortDetails details;
  const std::optional<fs::path> resolved = Resolved(device);
  if (!resolved) return details;
  details.byIdPath = ByIdLink(devRoot_, *resolved);
  if (const auto usb = UsbDeviceOf(sysRoot_, resolved->filename().string())) {
    details.manufacturer = Attribute(*usb / "manufacturer");
    details.description = Attribute(*usb / "product");
    if (!details.description) details.description = details.manufacturer;
  }
  return details;
}

}  // namespace zv
