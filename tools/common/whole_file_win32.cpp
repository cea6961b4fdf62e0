#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/whole_file_platform.h"
#include "support/paths.h"

namespace zv::tools::whole_file_platform {

std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uintmax_t& size,
                           std::string& reason) {
  int fd = -1;
  const errno_t failure = _wsopen_s(&fd, SystemPath(path).c_str(), _O_RDONLY | _O_BINARY,
                                    _SH_DENYNO, 0);
  if (failure != 0) {
    reason = std::strerror(failure);
    return nullptr;
  }
  struct _stat64 info {};
  if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    reason = "not a regular file (a device, a pipe or a folder)";
    _close(fd);
    return nullptr;
  }
  size = static_cast<std::uintmax_t>(info.st_size);
  std::FILE* file = _fdopen(fd, "rb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    _close(fd);
  }
  return file;
}

}  // namespace zv::tools::whole_file_platform
