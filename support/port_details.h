#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zv {

// What the system says of a serial device, so that a nurse can tell the
// spirometer's adapter among the ports. Each field is empty (nullopt)
// where the system says nothing, as for a built-in port or a
// pseudo-terminal, and always under Wine.
struct PortDetails {
  // The adapter's own name: POSIX the USB device's product ("FT232R USB
  // UART"), else its manufacturer; Windows the port's friendly name
  // without its "(COMn)" ("USB-SERIAL CH340").
  std::optional<std::string> description;
  std::optional<std::string> manufacturer;  // "FTDI"
  // POSIX: the stable link under /dev/serial/by-id/ that names the device,
  // for a [Ports] line that survives re-plugging.
  std::optional<std::string> byIdPath;

  bool operator==(const PortDetails&) const = default;
};

// Describes devices as PortDevice() names them. Implementations read the
// system's state when asked; none keeps a device open.
class IPortDescriber {
 public:
  virtual ~IPortDescriber() = default;
  virtual PortDetails Describe(const std::string& device) const = 0;
};

// This machine's describer: POSIX reads /sys and /dev/serial/by-id at each
// call; Windows asks SetupAPI for the present COM ports once, when made,
// so make one for each listing.
std::unique_ptr<IPortDescriber> MakeSystemPortDescriber();

}  // namespace zv
