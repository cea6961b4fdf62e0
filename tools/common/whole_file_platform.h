#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace zv::tools::whole_file_platform {

// Opens `path` for reading in binary mode if it is a regular file, without
// waiting for a pipe or a device to answer. Null otherwise, with the reason
// in `reason`; `size` is the file's size when opened.
std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uintmax_t& size,
                           std::string& reason);

}  // namespace zv::tools::whole_file_platform
