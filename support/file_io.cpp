#include "support/file_io.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "support/file_io_platform.h"

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 32;
constexpr std::size_t kMaxNameStem = 100;  // keeps ".<name>.XXXXXX" legal

FileResult Failure(const std::error_code& error) {
  return {false, error.message()};
}

FileResult Failure(std::errc error) {
  return Failure(std::make_error_code(error));
}

// errno after a failed stdio call; EIO when the library left none.
std::error_code StdioError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

std::string RandomSuffix() {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kAlphabet[pick(engine)];
  return suffix;
}

// A link is followed, so that the rename replaces the file it points to
// rather than the link itself.
fs::path ResolveLink(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
  fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

// A new, uniquely named file next to the target. Removed again on
// destruction unless it was renamed over the target.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (file_ != nullptr) std::fclose(file_);
    std::error_code ignored;
    if (!path_.empty()) fs::remove(path_, ignored);
  }

  std::error_code Create(const fs::path& target) {
    auto stem = target.filename().native();
    if (stem.size() > kMaxNameStem) stem.resize(kMaxNameStem);
    std::error_code error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      fs::path name = ".";
      name += stem;
      name += "." + RandomSuffix();
      const fs::path candidate = target.parent_path() / name;
      error.clear();
      file_ = file_platform::CreateNewFile(candidate, error);
      if (file_ != nullptr) {
        path_ = candidate;
        return {};
      }
      if (error != std::errc::file_exists) break;
    }
    return error;
  }

  std::error_code Write(std::span<const std::uint8_t> bytes) {
    errno = 0;
    if (!bytes.empty() &&
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
      return StdioError();
    errno = 0;
    if (std::fflush(file_) != 0) return StdioError();
    if (auto error = file_platform::SyncFile(file_)) return error;
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) return StdioError();
    return {};
  }

  std::error_code RenameOver(const fs::path& target) {
    std::error_code error;
    fs::rename(path_, target, error);
    if (!error) path_.clear();
    return error;
  }

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  std::FILE* file_ = nullptr;
};

class RealWriter final : public IFileWriter {
 public:
  FileResult WriteAtomic(const fs::path& path,
                         std::span<const std::uint8_t> bytes) override {
    const fs::path target = ResolveLink(path);
    std::error_code ignored;
    const fs::file_status old = fs::status(target, ignored);
    if (fs::is_directory(old)) return Failure(std::errc::is_a_directory);
    if (fs::exists(old) && !fs::is_regular_file(old))
      return {false, "Not a regular file"};

    TemporaryFile temporary;
    if (auto error = temporary.Create(target)) return Failure(error);
    if (auto error = temporary.Write(bytes)) return Failure(error);
    if (fs::exists(old))
      fs::permissions(temporary.path(), old.permissions(), ignored);
    if (auto error = temporary.RenameOver(target)) return Failure(error);
    file_platform::SyncFolder(target.parent_path().empty()
                                  ? fs::path(".")
                                  : target.parent_path());
    return {};
  }
};

}  // namespace

IFileWriter& RealFileWriter() {
  static RealWriter writer;
  return writer;
}

FileResult EnsureFolder(const fs::path& folder) {
  if (folder.empty()) return {};
  std::error_code error;
  if (fs::is_directory(folder, error)) return {};
  fs::create_directories(folder, error);
  if (error) return Failure(error);
  if (!fs::is_directory(folder, error))
    return Failure(std::errc::not_a_directory);
  return {};
}

}  // namespace zv
