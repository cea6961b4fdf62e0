#pragma once

#include <string>

namespace zv {

// The port list's entry for COM `com`: "COM n" on Windows; elsewhere
// "COM n (device)" with the device the number stands for, or "COM n" when
// it stands for none.
std::string PortListEntry(int com);

}  // namespace zv
