#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zv {

// The device a COM number stands for. A "COM<n>" key in section "Ports" of
// the settings file wins; otherwise the platform's default naming applies
// (POSIX: COM 1-32 /dev/ttyS0-31, 33-64 /dev/ttyUSB0-31, 65-96
// /dev/ttyACM0-31; Windows: \\.\COMn). COM 0 and numbers without a device
// give nothing.
std::optional<std::string> PortDevice(int com);

// COM numbers 1-256 whose device is present on this machine, in order.
std::vector<std::pair<int, std::string>> PresentPorts();

}  // namespace zv
