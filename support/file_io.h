#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

namespace zv {

struct FileResult {
  bool ok = true;
  std::string reason;    // the system's words when !ok
  std::error_code error;  // the cause when !ok, where one is known
  explicit operator bool() const { return ok; }
};

// Whose a written file or a created folder is, which decides who may read
// it.
enum class Owner {
  // Named by the user (Save, -o): permissions as the umask gives new
  // files; a replaced file keeps its own.
  User,
  // The program's own (raw dumps, archive, settings): the user's alone,
  // files 0600 and folders 0700 whatever the umask. A write there also
  // removes the program's own temporary files that a killed process left
  // behind more than kStaleTemporaryAge ago.
  Program,
};

inline constexpr std::chrono::hours kStaleTemporaryAge{1};

// Writes whole files. The real writer puts the bytes into a temporary file
// (".<name>.XXXXXX") in the target's folder and moves it to the target only
// when complete: a failure leaves any old file as it was and no partial
// file behind. Tests replace it to inject failures.
//
// Links: a link on the way to the target is followed, and the file it
// points to replaced, only where the system's protection of shared folders
// would follow it: the link belongs to the user or to the folder's owner,
// or the folder is not both sticky and writable by all (as /tmp is).
// Otherwise, and when the target is a file the user may not write (a
// read-only one), the write is refused.
class IFileWriter {
 public:
  virtual ~IFileWriter() = default;
  // Replaces `path`, or creates it.
  virtual FileResult WriteAtomic(const std::filesystem::path& path,
                                 std::span<const std::uint8_t> bytes,
                                 Owner owner) = 0;
  // Writes a new file of the program's own: the name is claimed in one
  // step, so that of two writers wanting it one gets it and the other
  // fails with std::errc::file_exists, as when any file (or link) has it
  // already. Never replaces anything.
  virtual FileResult WriteNew(const std::filesystem::path& path,
                              std::span<const std::uint8_t> bytes) = 0;
};

IFileWriter& RealFileWriter();

// Creates `folder` and its parents when missing; for Owner::Program each
// folder it creates is 0700, and `folder` itself, when it is the user's
// but open to others (made under a lax umask), is closed to them.
FileResult EnsureFolder(const std::filesystem::path& folder, Owner owner);

}  // namespace zv
