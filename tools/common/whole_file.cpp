#include "common/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "common/whole_file_platform.h"

namespace zv::tools {

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& reason) {
  // C stdio reports a read error through ferror; the C++ streams of some
  // libraries throw from a read error even when asked not to.
  std::uintmax_t size = 0;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      whole_file_platform::OpenRegularFile(path, size, reason), std::fclose);
  if (!file) return false;
  const std::string tooLarge = "larger than 1 GiB, which no transfer is";
  if (size > kMaxInputBytes) {
    reason = tooLarge;
    return false;
  }
  try {
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(size));
    std::uint8_t chunk[65536];
    for (;;) {
      errno = 0;
      const std::size_t count = std::fread(chunk, 1, sizeof chunk, file.get());
      if (bytes.size() + count > kMaxInputBytes) {  // it grew while read
        reason = tooLarge;
        return false;
      }
      bytes.insert(bytes.end(), chunk, chunk + count);
      if (count < sizeof chunk) break;
    }
  } catch (const std::bad_alloc&) {
    reason = "not enough memory to read it";
    return false;
  }
  if (std::ferror(file.get())) {
    reason = errno != 0 ? std::strerror(errno) : "read error";
    return false;
  }
  return true;
}

}  // namespace zv::tools
