#include "common/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zv::tools {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::string& reason) {
  // C stdio reports a read error through ferror; the C++ streams of some
  // libraries throw from a read error even when asked not to.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  bytes.clear();
  std::uint8_t chunk[65536];
  for (;;) {
    errno = 0;
    const std::size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + count);
    if (count < sizeof chunk) break;
  }
  if (std::ferror(file.get())) {
    reason = errno != 0 ? std::strerror(errno) : "read error";
    return false;
  }
  return true;
}

}  // namespace zv::tools
