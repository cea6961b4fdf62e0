#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/whole_file_platform.h"

namespace zv::tools::whole_file_platform {

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uintmax_t& size,
                           std::string& reason) {
  // Without O_NONBLOCK, opening a pipe would wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR)
                                   : "not a regular file (a device, a pipe or a socket)";
    ::close(fd);
    return nullptr;
  }
  size = static_cast<std::uintmax_t>(info.st_size);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    ::close(fd);
  }
  return file;
}

}  // namespace zv::tools::whole_file_platform
