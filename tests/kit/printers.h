#pragma once

#include <ostream>

#include "support/strings.h"

namespace zv {

// Readable test names and failure messages for parameters of these types.
inline void PrintTo(Language language, std::ostream* out) {
  *out << (language == Language::Polish ? "Polish" : "English");
}

}  // namespace zv
