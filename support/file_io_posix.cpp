#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>

#include "support/file_io_platform.h"

namespace zv::file_platform {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinks = 40;  // the system's own limit (ELOOP)
constexpr mode_t kOwnerOnlyFile = S_IRUSR | S_IWUSR;
constexpr mode_t kOwnerOnlyFolder = S_IRWXU;

std::error_code LastError() { return {errno, std::generic_category()}; }

// The rule of the system's protection of shared folders: a link in a
// folder that is sticky and writable by all (/tmp) is followed only when it
// belongs to the user following it or to the folder's owner, so that
// nobody can plant a link there that makes another user's program write
// where it never meant to.
bool MayFollowLink(const fs::path& link, const fs::path& folder) {
  struct stat linkInfo {};
  struct stat folderInfo {};
  if (::lstat(link.c_str(), &linkInfo) != 0 || ::stat(folder.c_str(), &folderInfo) != 0)
    return false;
  const mode_t shared = S_ISVTX | S_IWOTH;
  if ((folderInfo.st_mode & shared) != shared) return true;
  return linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folderInfo.st_uid;
}

}  // namespace

std::FILE* CreateNewFile(const fs::path& path, bool ownerOnly, std::error_code& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        ownerOnly ? kOwnerOnlyFile : 0666);
  if (fd < 0) {
    error = LastError();
    return nullptr;
  }
  // The umask may take more away, never give: set the mode outright.
  if (ownerOnly && ::fchmod(fd, kOwnerOnlyFile) != 0) {
    error = LastError();
    ::close(fd);
    ::unlink(path.c_str());
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    error = LastError();
    ::close(fd);
    ::unlink(path.c_str());
  }
  return file;
}

std::error_code SyncFile(std::FILE* file) {
  if (::fsync(::fileno(file)) == 0) return {};
  // Some file systems cannot sync; the data is written all the same.
  if (errno == EINVAL || errno == ENOTSUP) return {};
  return LastError();
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::error_code MoveNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return {};
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return LastError();
  // A file system without that kind of rename: a hard link claims the name
  // in one step just as well.
  if (::link(from.c_str(), to.c_str()) != 0) return LastError();
  ::unlink(from.c_str());
  return {};
}

// Walks the path one name at a time, as the system does, splicing in the
// target of each link it meets.
FileResult ResolveLinks(fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return {false, error.message(), error};
  fs::path resolved = absolute.root_path();
  const fs::path relative = absolute.relative_path();
  std::deque<fs::path> rest(relative.begin(), relative.end());
  int links = 0;
  while (!rest.empty()) {
    const fs::path name = rest.front();
    rest.pop_front();
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      resolved = resolved.parent_path();  // `resolved` holds no link
      continue;
    }
    fs::path next = resolved / name;
    if (!fs::is_symlink(fs::symlink_status(next, error))) {
      resolved = std::move(next);
      continue;
    }
    if (++links > kMaxLinks) {
      const auto loop = std::make_error_code(std::errc::too_many_symbolic_link_levels);
      return {false, loop.message(), loop};
    }
    if (!MayFollowLink(next, resolved))
      return {false, "Not followed: a link that another user made in a shared folder",
              std::make_error_code(std::errc::permission_denied)};
    const fs::path target = fs::read_symlink(next, error);
    if (error) return {false, error.message(), error};
    if (target.is_absolute()) resolved = target.root_path();
    const fs::path targetNames = target.relative_path();
    rest.insert(rest.begin(), targetNames.begin(), targetNames.end());
  }
  path = resolved;
  return {};
}

bool MayWrite(const fs::path& file) {
  if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0) return true;
  return errno != EACCES && errno != EPERM;  // other failures show when writing
}

std::error_code MakeFolder(const fs::path& folder, bool ownerOnly) {
  if (::mkdir(folder.c_str(), ownerOnly ? kOwnerOnlyFolder : 0777) != 0) return LastError();
  if (ownerOnly && ::chmod(folder.c_str(), kOwnerOnlyFolder) != 0) return LastError();
  return {};
}

void CloseToOthers(const fs::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || info.st_uid != ::geteuid()) return;
  const mode_t others = S_IRWXG | S_IRWXO;
  if ((info.st_mode & others) != 0) ::chmod(folder.c_str(), info.st_mode & 07777 & ~others);
}

}  // namespace zv::file_platform
