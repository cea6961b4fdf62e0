#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zv {

struct FileResult {
  bool ok = true;
  std::string reason;  // the system's words when !ok
  explicit operator bool() const { return ok; }
};

// Writes whole files. The real writer puts the bytes into a temporary file
// in the target's folder and renames it over the target only when complete:
// a failure leaves any old file as it was and no partial file behind.
// Tests replace it to inject failures.
class IFileWriter {
 public:
  virtual ~IFileWriter() = default;
  virtual FileResult WriteAtomic(const std::filesystem::path& path,
                                 std::span<const std::uint8_t> bytes) = 0;
};

IFileWriter& RealFileWriter();

// Creates `folder` and its parents when missing.
FileResult EnsureFolder(const std::filesystem::path& folder);

}  // namespace zv
