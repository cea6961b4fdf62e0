#pragma once

#include <filesystem>
#include <string>

#include "support/port_details.h"

namespace zv {

// Describes a tty the way Linux shows it: the device's name under
// `devRoot` leads to `sysRoot`/class/tty/<name>/device, whose nearest
// ancestor with an idVendor file is the USB device; its "product" and
// "manufacturer" files give the description. The link under
// `devRoot`/serial/by-id/ that resolves to the same device is its stable
// name. A device path that is itself such a link, or any other link,
// counts as the device it resolves to. Standard C++ only, so a test can
// point both roots at a tree of its own.
class SysfsPortDescriber : public IPortDescriber {
 public:
  SysfsPortDescriber(std::filesystem::path sysRoot, std::filesystem::path devRoot)
      : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

  PortDetails Describe(const std::string& device) const override;

 private:
  std::filesystem::path sysRoot_;
  std::filesystem::path devRoot_;
};

}  // namespace zv
