#pragma once

#include "support/strings.h"

namespace zv {

// The program's name: the title of its message boxes.
inline constexpr const char* kAppName = "ZVReader";

// The program's string table entry in one language (UTF-8), or null for an
// unknown ID.
const char* StringTableEntry(UINT id, Language language);

}  // namespace zv
