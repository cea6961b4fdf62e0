#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "support/file_io.h"

namespace zv::testkit {

// A file writer that fails on demand. While healthy it writes through the
// real writer, so files appear on disk; a failing write (of either kind)
// touches nothing and returns the given reason, as the real writer leaves
// an old file when its write fails.
class FakeFileWriter : public IFileWriter {
 public:
  struct Write {
    std::filesystem::path path;
    std::vector<std::uint8_t> bytes;
    bool ok = false;
    std::thread::id thread;  // the thread that wrote
  };

  FileResult WriteAtomic(const std::filesystem::path& path,
                         std::span<const std::uint8_t> bytes, Owner owner) override;
  FileResult WriteNew(const std::filesystem::path& path,
                      std::span<const std::uint8_t> bytes) override;

  // Every later write fails with `reason`, or only those to `onlyPath`.
  void Fail(std::string reason, std::filesystem::path onlyPath = {});
  void Heal();

  std::vector<Write> Writes() const;

 private:
  FileResult Record(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                    const std::function<FileResult()>& write);

  mutable std::mutex mutex_;
  std::optional<std::string> failure_;
  std::filesystem::path failingPath_;
  std::vector<Write> writes_;
};

}  // namespace zv::testkit
