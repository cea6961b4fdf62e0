#include "kit/fake_file_writer.h"

#include <utility>

namespace zv::testkit {

FileResult FakeFileWriter::WriteAtomic(const std::filesystem::path& path,
                                       std::span<const std::uint8_t> bytes, Owner owner) {
  return Record(path, bytes, [&] { return RealFileWriter().WriteAtomic(path, bytes, owner); });
}

FileResult FakeFileWriter::WriteNew(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes) {
  return Record(path, bytes, [&] { return RealFileWriter().WriteNew(path, bytes); });
}

FileResult FakeFileWriter::Record(const std::filesystem::path& path,
                                  std::span<const std::uint8_t> bytes,
                                  const std::function<FileResult()>& write) {
  std::lock_guard lock(mutex_);
  const bool fails =
      failure_ && (failingPath_.empty() || failingPath_ == path);
  const FileResult result = fails ? FileResult{false, *failure_, {}} : write();
  writes_.push_back(
      {path, {bytes.begin(), bytes.end()}, result.ok, std::this_thread::get_id()});
  return result;
}

void FakeFileWriter::Fail(std::string reason, std::filesystem::path onlyPath) {
  std::lock_guard lock(mutex_);
  failure_ = std::move(reason);
  failingPath_ = std::move(onlyPath);
}

void FakeFileWriter::Heal() {
  std::lock_guard lock(mutex_);
  failure_.reset();
  failingPath_.clear();
}

std::vector<FakeFileWriter::Write> FakeFileWriter::Writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

}  // namespace zv::testkit
