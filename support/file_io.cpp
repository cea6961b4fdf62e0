#include "support/file_io.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "support/file_io_platform.h"
#include "support/paths.h"

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 32;
constexpr std::size_t kMaxNameStem = 100;  // keeps ".<name>.XXXXXX" legal
constexpr std::size_t kSuffixLength = 6;

FileResult Failure(const std::error_code& error) {
  return {false, error.message(), error};
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
  std::string suffix(kSuffixLength, ' ');
  for (char& c : suffix) c = kAlphabet[pick(engine)];
  return suffix;
}

// ".<name>.XXXXXX", as TemporaryFile names its files.
bool IsTemporaryName(const fs::path& file) {
  const std::string name = Utf8FromPath(file.filename());
  if (name.size() < kSuffixLength + 3 || name.front() != '.') return false;
  const std::size_t dot = name.size() - kSuffixLength - 1;
  return name[dot] == '.' &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; });
}

fs::path FolderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Removes the temporary files that a process killed while writing left in
// one of the program's own folders; a young one may belong to a writer at
// work.
void RemoveStaleTemporaries(const fs::path& folder) {
  const auto staleBefore = fs::file_time_type::clock::now() - kStaleTemporaryAge;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (!IsTemporaryName(entry->path()) ||
        !fs::is_regular_file(entry->symlink_status(ignored)))
      continue;
    const auto modified = fs::last_write_time(entry->path(), ignored);
    if (!ignored && modified < staleBefore) fs::remove(entry->path(), ignored);
  }
}

// A new, uniquely named file next to the target. Removed again on
// destruction unless it was moved to the target.
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

  std::error_code Create(const fs::path& target, Owner owner) {
    auto stem = target.filename().native();
    if (stem.size() > kMaxNameStem) stem.resize(kMaxNameStem);
    std::error_code error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      fs::path name = ".";
      name += stem;
      name += "." + RandomSuffix();
      const fs::path candidate = FolderOf(target) / name;
      error.clear();
      file_ = file_platform::CreateNewFile(candidate, owner == Owner::Program, error);
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

  std::error_code MoveTo(const fs::path& target, bool replace) {
    std::error_code error;
    if (replace) {
      fs::rename(path_, target, error);
    } else {
      error = file_platform::MoveNoReplace(path_, target);
    }
    if (!error) path_.clear();
    return error;
  }

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  std::FILE* file_ = nullptr;
};

// Writes `bytes` into a temporary file beside `target` and moves it there.
// `old` is what `target` was: a replaced file of the user's keeps its
// permissions.
FileResult WriteAndMove(const fs::path& target, std::span<const std::uint8_t> bytes,
                        Owner owner, const fs::file_status& old, bool replace) {
  if (owner == Owner::Program) RemoveStaleTemporaries(FolderOf(target));
  TemporaryFile temporary;
  if (auto error = temporary.Create(target, owner)) return Failure(error);
  if (auto error = temporary.Write(bytes)) return Failure(error);
  std::error_code ignored;
  if (owner == Owner::User && fs::exists(old))
    fs::permissions(temporary.path(), old.permissions(), ignored);
  if (auto error = temporary.MoveTo(target, replace)) return Failure(error);
  file_platform::SyncFolder(FolderOf(target));
  return {};
}

class RealWriter final : public IFileWriter {
 public:
  FileResult WriteAtomic(const fs::path& path, std::span<const std::uint8_t> bytes,
                         Owner owner) override {
    fs::path target = SystemPath(path);
    if (FileResult resolved = file_platform::ResolveLinks(target); !resolved) return resolved;
    std::error_code ignored;
    const fs::file_status old = fs::status(target, ignored);
    if (fs::is_directory(old)) return Failure(std::errc::is_a_directory);
    if (fs::exists(old) && !fs::is_regular_file(old))
      return {false, "Not a regular file", std::make_error_code(std::errc::invalid_argument)};
    if (fs::exists(old) && !file_platform::MayWrite(target))
      return {false, "The file is read-only",
              std::make_error_code(std::errc::permission_denied)};
    return WriteAndMove(target, bytes, owner, old, true);
  }

  FileResult WriteNew(const fs::path& path, std::span<const std::uint8_t> bytes) override {
    const fs::path target = SystemPath(path);
    std::error_code ignored;
    if (fs::exists(fs::symlink_status(target, ignored))) return Failure(std::errc::file_exists);
    return WriteAndMove(target, bytes, Owner::Program, {}, false);
  }
};

}  // namespace

IFileWriter& RealFileWriter() {
  static RealWriter writer;
  return writer;
}

FileResult EnsureFolder(const fs::path& given, Owner owner) {
  if (given.empty()) return {};
  const fs::path folder = SystemPath(given);
  const bool ownerOnly = owner == Owner::Program;
  std::error_code error;
  if (fs::is_directory(folder, error)) {
    if (ownerOnly) file_platform::CloseToOthers(folder);
    return {};
  }
  // The missing folders, innermost first.
  std::vector<fs::path> missing;
  for (fs::path p = folder; !p.empty() && !fs::exists(p, error); p = p.parent_path()) {
    missing.push_back(p);
    if (!p.has_relative_path()) break;  // a root that is not there
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    error = file_platform::MakeFolder(*it, ownerOnly);
    if (error && error != std::errc::file_exists) return Failure(error);
  }
  if (!fs::is_directory(folder, error)) return Failure(std::errc::not_a_directory);
  return {};
}

}  // namespace zv
