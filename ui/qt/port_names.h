#pragma once

#include <optional>
#include <string>

namespace zv {

// The port list's entry for COM `com` standing for `device`: "COM n" on
// Windows; elsewhere "COM n (device)", or "COM n" when it stands for none.
std::string PortListEntry(int com, const std::optional<std::string>& device);

}  // namespace zv
