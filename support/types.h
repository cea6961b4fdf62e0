#pragma once

#include <cstdint>

namespace zv {

// Fixed-width names for the serial and code-page interfaces, which speak in
// Win32's integer types.
using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;

}  // namespace zv
