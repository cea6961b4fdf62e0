#pragma once

#include "support/strings.h"

namespace zv {

// The program's string table entry in one language (UTF-8), or null for an
// unknown ID.
const char* StringTableEntry(UINT id, Language language);

}  // namespace zv
