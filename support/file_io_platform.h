#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

// The few file operations that differ between systems, used by file_io.cpp.
namespace zv::file_platform {

// Creates `path` for writing in binary mode, failing when it exists already
// (the file is never shared with another writer). Null on failure, with the
// reason in `error`.
std::FILE* CreateNewFile(const std::filesystem::path& path,
                         std::error_code& error);

// Pushes the file's written data down to the disk.
std::error_code SyncFile(std::FILE* file);

// Makes a rename inside `folder` survive a crash, where the system needs
// the folder itself to be synced. Best effort.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace zv::file_platform
