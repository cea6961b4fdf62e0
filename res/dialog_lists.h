#pragma once

#include <array>

namespace zv {

// The entries the program puts into the main dialog's lists (the templates
// leave them empty), the same in both languages, in list order: the
// selection indices are what the code and the settings use.
inline constexpr std::array<const char*, 3> kBaudEntries{"4800 b/s", "9600 b/s",
                                                         "19200 b/s"};
inline constexpr std::array<const char*, 4> kTargetEncodingEntries{
    "Bez polskich znaków", "Mazovia", "Latin 2 (MS-DOS)", "MS Windows"};
inline constexpr std::array<const char*, 2> kDeviceEncodingEntries{"Canon / USB",
                                                                   "RS 232"};

}  // namespace zv
