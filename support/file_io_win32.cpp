#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/file_io_platform.h"

namespace zv::file_platform {

std::FILE* CreateNewFile(const std::filesystem::path& path,
                         std::error_code& error) {
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
void SyncFolder(const std::filesystem::path&) {}

}  // namespace zv::file_platform
