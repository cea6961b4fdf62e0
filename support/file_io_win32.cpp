#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/file_io_platform.h"

namespace zv::file_platform {

namespace fs = std::filesystem;

namespace {

std::error_code SystemError(DWORD error) {
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
    return std::make_error_code(std::errc::file_exists);
  return {static_cast<int>(error), std::system_category()};
}

}  // namespace

// Files and folders take the permissions of the folder they are made in;
// the program's own folders lie in the user's profile, which is the user's
// alone.
std::FILE* CreateNewFile(const fs::path& path, bool /*ownerOnly*/, std::error_code& error) {
  int fd = -1;
  const errno_t failure =
      _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _SH_DENYRW, _S_IREAD | _S_IWRITE);
  if (failure != 0) {
    error = {failure, std::generic_category()};
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    error = {errno, std::generic_category()};
    _close(fd);
  }
  return file;
}

std::error_code SyncFile(std::FILE* file) {
  if (_commit(_fileno(file)) == 0) return {};
  return {errno, std::generic_category()};
}

// NTFS makes a completed rename durable without help.
void SyncFolder(const fs::path&) {}

std::error_code MoveNoReplace(const fs::path& from, const fs::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return {};
  return SystemError(GetLastError());
}

// The system's file calls resolve links themselves.
FileResult ResolveLinks(fs::path&) { return {}; }

bool MayWrite(const fs::path& file) {
  const DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

std::error_code MakeFolder(const fs::path& folder, bool /*ownerOnly*/) {
  if (CreateDirectoryW(folder.c_str(), nullptr)) return {};
  return SystemError(GetLastError());
}

void CloseToOthers(const fs::path&) {}

}  // namespace zv::file_platform
