#pragma once

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/file_io.h"

// The few file operations that differ between systems, used by file_io.cpp.
namespace zv::file_platform {

// Creates `path` for writing in binary mode, failing when it exists already
// (the file is never shared with another writer). `ownerOnly`: readable
// and writable by the user alone whatever the umask; otherwise as the
// umask gives. Null on failure, with the reason in `error`.
std::FILE* CreateNewFile(const std::filesystem::path& path, bool ownerOnly,
                         std::error_code& error);

// Pushes the file's written data down to the disk.
std::error_code SyncFile(std::FILE* file);

// Makes a rename inside `folder` survive a crash, where the system needs
// the folder itself to be synced. Best effort.
void SyncFolder(const std::filesystem::path& folder);

// Moves the file `from` to `to` in one step unless a file (or a link) has
// that name already: std::errc::file_exists then, and `from` stays.
std::error_code MoveNoReplace(const std::filesystem::path& from,
                              const std::filesystem::path& to);

// Replaces `path` by the file it names once every link on the way is
// resolved, as the system resolves them, refusing a link that the system's
// protection of shared folders would refuse to follow. Where the system's
// file calls follow no links themselves, `path` stays as it is.
FileResult ResolveLinks(std::filesystem::path& path);

// False when the user may not write the existing file `file` (read-only).
bool MayWrite(const std::filesystem::path& file);

// Creates one folder whose parent exists; `ownerOnly`: 0700 whatever the
// umask. std::errc::file_exists when something has that name.
std::error_code MakeFolder(const std::filesystem::path& folder, bool ownerOnly);

// Takes the others' access away from `folder` when it is the user's own.
// Best effort.
void CloseToOthers(const std::filesystem::path& folder);

}  // namespace zv::file_platform
