#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/file_io.h"
#include "transfer/receive.h"

namespace zv {

// The time of day, replaceable in tests.
using WallClock = std::function<std::chrono::system_clock::time_point()>;

// The archive deletes nothing unless the settings file asks it to keep
// only the transfers of the last N days: "KeepDays=N" (1 to
// kMaxArchiveKeepDays) in the section "Archive".
inline constexpr int kMaxArchiveKeepDays = 36500;

// The days [Archive] KeepDays asks to keep; nothing when it is absent or
// no number in range, and the archive then keeps every transfer.
std::optional<int> ArchiveKeepDays();

// "2026-12-08_101503": the local date and time of `time` as file names of
// the archive carry them. They sort in time order.
std::string ArchiveStamp(std::chrono::system_clock::time_point time);

// One archived transfer as its file name tells it: "<stamp>_ZVA.raw" or
// "<stamp>_ZVB.raw"; a later transfer of the same model within the same
// second adds "_2", "_3" ... before ".raw".
struct ArchivedTransfer {
  std::filesystem::path file;
  std::string stamp;  // "2026-12-08_101503"
  int modelIndex = kModelA;
  int sequence = 1;

  std::string Time() const;  // "2026-12-08 10:15:03"
};

// The archived transfer a file name stands for (the folder is not looked
// at); nothing for a name the archive does not give.
std::optional<ArchivedTransfer> ParseArchiveName(const std::filesystem::path& file);

// "ZVA" for model index 0, "ZVB" for any other, as the raw dump names them.
const char* ModelTag(int modelIndex);

// The transfer archive: one file per transfer with the bytes exactly as
// received, beside the model's temporary file, which only ever holds the
// latest transfer. The folder and its files are the user's alone. It only
// ever deletes its own files, and only as ArchiveKeepDays asks.
//
// Threads: one call at a time per object. Any number of objects, in any
// number of programs, may keep transfers in one folder at once.
class TransferArchive {
 public:
  struct Kept {
    FileResult result;
    std::filesystem::path file;                  // the new file, when written
    std::vector<std::filesystem::path> deleted;  // what ArchiveKeepDays let go
  };

  // `folder` empty: ArchiveFolder(), looked up at each call. `clock` empty:
  // the system clock. `writer` null: RealFileWriter().
  explicit TransferArchive(std::filesystem::path folder = {}, WallClock clock = {},
                           IFileWriter* writer = nullptr);

  // Writes `bytes` atomically to a new file named by the local time and the
  // model, creating the folder when missing; the name is claimed in one
  // step, so that a name another program took meanwhile moves on to the
  // next sequence number and no transfer ever replaces another. A failure
  // changes nothing and is only reported.
  //
  // Then, when ArchiveKeepDays gives N, deletes the transfers whose name's
  // stamp and modification time are both older than N days, unless the
  // clock reads earlier than the newest stamp in the archive (a clock set
  // back, or one that was ahead for an earlier transfer).
  Kept Keep(int modelIndex, std::span<const std::uint8_t> bytes);

  // The archived transfers, oldest first; empty when there is no folder.
  std::vector<ArchivedTransfer> List() const;

  std::filesystem::path Folder() const;

 private:
  std::chrono::system_clock::time_point Now() const;
  std::vector<std::filesystem::path> Prune(std::chrono::system_clock::time_point now) const;

  std::filesystem::path folder_;
  WallClock clock_;
  IFileWriter* writer_;
};

// Counts a stored stream as the receive loop counted it when it came in
// reads of kChunkSize bytes.
StreamCounter CountStoredStream(std::span<const std::uint8_t> stream, int modelIndex);

}  // namespace zv
