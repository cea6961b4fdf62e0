#include <sys/stat.h>

#include "support/port_map.h"

namespace zv {
namespace {

// COM numbers first...last name the devices prefix0...prefixN.
struct ComRange {
  int first;
  int last;
  const char* prefix;
};

constexpr ComRange kComRanges[] = {
    {1, 32, "/dev/ttyS"},
    {33, 64, "/dev/ttyUSB"},
    {65, 96, "/dev/ttyACM"},
};

}  // namespace

std::optional<std::string> DefaultPortDevice(int com) {
  for (const ComRange& range : kComRanges) {
    if (com >= range.first && com <= range.last) {
      return range.prefix + std::to_string(com - range.first);
    }
  }
  return std::nullopt;
}

bool PortDevicePresent(const std::string& device) {
  struct stat info {};
  return stat(device.c_str(), &info) == 0;
}

std::string PortDeviceExample() { return "/dev/ttyUSB0"; }

}  // namespace zv
