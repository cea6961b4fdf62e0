#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv::tools {

// Reads a whole file as bytes. False, with the system's words in `reason`,
// when it cannot be opened or read (a folder, a file that vanishes, no
// permission); never throws.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::string& reason);

}  // namespace zv::tools
