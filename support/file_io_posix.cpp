#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/file_io_platform.h"

namespace zv::file_platform {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

std::FILE* CreateNewFile(const std::filesystem::path& path,
                         std::error_code& error) {
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = LastError();
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    error = LastError();
    ::close(fd);
  }
  return file;
}

std::error_code SyncFile(std::FILE* file) {
  if (::fsync(::fileno(file)) == 0) return {};
  // Some file systems cannot sync; the data is written all the same.
  if (errno == EINVAL || errno == ENOTSUP) return {};
  return LastError();
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace zv::file_platform
