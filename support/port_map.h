#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/port_details.h"
#include "support/strings.h"

namespace zv {

// The highest COM number the program offers.
inline constexpr int kMaxComNumber = 256;

// "COM n": what the port list's closed box shows of entry n, too narrow
// for the rest of it.
std::string PortBoxText(int com);

// The device a COM number stands for. A "COM<n>" key in section "Ports" of
// the settings file wins; otherwise the platform's default naming applies
// (POSIX: COM 1-32 /dev/ttyS0-31, 33-64 /dev/ttyUSB0-31, 65-96
// /dev/ttyACM0-31; Windows: \\.\COMn). An empty value counts as absent.
// COM 0 (no port selected), numbers outside 1-256 and numbers without a
// device give nothing, whatever the settings say.
std::optional<std::string> PortDevice(int com);

// PortDevice for every COM number at once, reading the settings file once:
// element n is the device of COM n (element 0, COM 0, is always empty).
std::vector<std::optional<std::string>> AllPortDevices();

// The platform's own name for COM `com`, without looking at the settings.
std::optional<std::string> DefaultPortDevice(int com);

// Whether `device` exists on this machine (POSIX: the path exists).
bool PortDevicePresent(const std::string& device);

// A typical device path for examples in messages ("/dev/ttyUSB0").
std::string PortDeviceExample();

// One entry of the port list.
struct PortListItem {
  int com;
  std::optional<std::string> device;  // the device COM `com` stands for
  bool present;                       // the device exists on this machine
  PortDetails details;                // of a present device; empty otherwise
};

// COM 1 to 256 in order, reading the settings file once and asking the
// system what each present device is. Call it again to see ports plugged
// in or pulled out meanwhile.
std::vector<PortListItem> PortListItems();
std::vector<PortListItem> PortListItems(const IPortDescriber& describer);

// The port list's text for `item`: "COM n", then " (device)" when it has a
// device, then " — connected" ("— podłączony") when the device is present,
// so that the ports of this machine stand out among the 256, followed by
// ": description" when the system describes it ("COM 33 (/dev/ttyUSB0) —
// connected: FT232R USB UART").
std::string PortListEntry(const PortListItem& item, Language language);

// COM numbers 1-256 whose device is present on this machine, in order,
// each with its device.
std::vector<std::pair<int, std::string>> PresentPorts();

}  // namespace zv
