#include <windows.h>

#include <iterator>
#include <string_view>

#include "support/port_map.h"
#include "support/wide_text.h"

namespace zv {
namespace {

// The device namespace prefix: "\\.\COM12" reaches COM10 and above too.
constexpr std::string_view kDevicePrefix = "\\\\.\\";

}  // namespace

std::optional<std::string> DefaultPortDevice(int com) {
  if (com < 1 || com > kMaxComNumber) return std::nullopt;
  return std::string(kDevicePrefix) + "COM" + std::to_string(com);
}

bool PortDevicePresent(const std::string& device) {
  if (device.starts_with(kDevicePrefix)) {
    const std::wstring name =
        WideFromUtf8(std::string_view(device).substr(kDevicePrefix.size()));
    wchar_t target[512];
    return QueryDosDeviceW(name.c_str(), target, std::size(target)) != 0;
  }
  return GetFileAttributesW(WideFromUtf8(device).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

std::string PortDeviceExample() { return std::string(kDevicePrefix) + "COM3"; }

}  // namespace zv
