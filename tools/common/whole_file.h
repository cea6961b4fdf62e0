#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zv::tools {

// The largest file the tools read: a transfer is a few kilobytes, an hour
// at 19,200 baud 7 MB.
inline constexpr std::uintmax_t kMaxInputBytes = std::uintmax_t{1} << 30;

// Reads a whole regular file of up to kMaxInputBytes as bytes. False, with
// the reason in `reason`, when it cannot be opened or read (a missing file,
// a file that vanishes, no permission), is no regular file (a folder, a
// device, a pipe: never waited on) or is larger; never throws.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& reason);

}  // namespace zv::tools
