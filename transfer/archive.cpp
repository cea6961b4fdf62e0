#include "transfer/archive.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
#include <string_view>
#include <tuple>
#include <utility>

#include "settings/profile.h"
#include "support/local_time.h"
#include "support/paths.h"

namespace zv {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kExtension = ".raw";
constexpr std::string_view kStampExample = "2026-12-08_101503";
// A transfer ends only after a second of silence, so two of one model
// within one second come only from two programs at once; this bounds the
// search for a free name.
constexpr int kMaxSequence = 999;

using TimePoint = std::chrono::system_clock::time_point;

std::string ArchiveFileName(const std::string& stamp, int modelIndex, int sequence) {
  std::string name = stamp + "_" + ModelTag(modelIndex);
  if (sequence > 1) name += "_" + std::to_string(sequence);
  return name + std::string(kExtension);
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Digits where the example has digits, the same separators elsewhere.
bool IsStamp(std::string_view text) {
  if (text.size() != kStampExample.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digitWanted = IsDigit(kStampExample[i]);
    if (digitWanted ? !IsDigit(text[i]) : text[i] != kStampExample[i]) return false;
  }
  return true;
}

// "" gives 1; "_2" ... "_999" give 2 ... 999; anything else nothing.
std::optional<int> ParseSequence(std::string_view text) {
  if (text.empty()) return 1;
  if (text.size() < 2 || text.size() > 4 || text[0] != '_' || text[1] == '0') return std::nullopt;
  int sequence = 0;
  for (const char c : text.substr(1)) {
    if (!IsDigit(c)) return std::nullopt;
    sequence = sequence * 10 + (c - '0');
  }
  if (sequence < 2) return std::nullopt;
  return sequence;
}

std::string NameOf(const fs::path& file) {
  const std::u8string name = file.filename().u8string();
  return {name.begin(), name.end()};
}

bool Older(const ArchivedTransfer& a, const ArchivedTransfer& b) {
  return std::tie(a.stamp, a.sequence, a.modelIndex) < std::tie(b.stamp, b.sequence, b.modelIndex);
}

// True when the file was last written before `time`; false when that
// cannot be told.
bool ModifiedBefore(const fs::path& file, TimePoint time) {
  std::error_code error;
  const fs::file_time_type modified = fs::last_write_time(file, error);
  return !error && modified < fs::file_time_type::clock::from_sys(time);
}

}  // namespace

std::optional<int> ArchiveKeepDays() {
  const std::optional<std::string> text = ProfileString("Archive", "KeepDays");
  if (!text) return std::nullopt;
  int days = 0;
  const char* end = text->data() + text->size();
  const auto [stop, error] = std::from_chars(text->data(), end, days);
  if (error != std::errc() || stop != end || days < 1 || days > kMaxArchiveKeepDays)
    return std::nullopt;
  return days;
}

std::string ArchiveStamp(std::chrono::system_clock::time_point time) {
  const std::tm local = LocalTime(time);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d_%H%M%S", &local);
  return text;
}

std::string ArchivedTransfer::Time() const {
  // "2026-12-08_101503" -> "2026-12-08 10:15:03"
  return stamp.substr(0, 10) + " " + stamp.substr(11, 2) + ":" + stamp.substr(13, 2) + ":" +
         stamp.substr(15, 2);
}

const char* ModelTag(int modelIndex) { return modelIndex != kModelA ? "ZVB" : "ZVA"; }

std::optional<ArchivedTransfer> ParseArchiveName(const fs::path& file) {
  const std::string name = NameOf(file);
  if (!name.ends_with(kExtension)) return std::nullopt;
  const std::string_view stem = std::string_view(name).substr(0, name.size() - kExtension.size());
  const std::size_t stampEnd = kStampExample.size();
  if (stem.size() < stampEnd + 4 || !IsStamp(stem.substr(0, stampEnd))) return std::nullopt;
  const std::string_view model = stem.substr(stampEnd, 4);
  if (model != "_ZVA" && model != "_ZVB") return std::nullopt;
  const std::optional<int> sequence = ParseSequence(stem.substr(stampEnd + 4));
  if (!sequence) return std::nullopt;
  return ArchivedTransfer{file, std::string(stem.substr(0, stampEnd)),
                          model == "_ZVA" ? kModelA : kModelB, *sequence};
}

TransferArchive::TransferArchive(fs::path folder, WallClock clock, IFileWriter* writer)
    : folder_(std::move(folder)), clock_(std::move(clock)), writer_(writer) {}

fs::path TransferArchive::Folder() const { return folder_.empty() ? ArchiveFolder() : folder_; }

std::chrono::system_clock::time_point TransferArchive::Now() const {
  return clock_ ? clock_() : std::chrono::system_clock::now();
}

TransferArchive::Kept TransferArchive::Keep(int modelIndex, std::span<const std::uint8_t> bytes) {
  const auto now = Now();
  const fs::path folder = Folder();
  if (FileResult made = EnsureFolder(folder, Owner::Program); !made) return {made, {}, {}};
  IFileWriter& writer = writer_ != nullptr ? *writer_ : RealFileWriter();
  const std::string stamp = ArchiveStamp(now);
  for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
    const fs::path file = folder / ArchiveFileName(stamp, modelIndex, sequence);
    const FileResult written = writer.WriteNew(file, bytes);
    if (written.error == std::errc::file_exists) continue;
    if (!written) return {written, {}, {}};
    return {written, file, Prune(now)};
  }
  return {{false, "too many transfers within one second", {}}, {}, {}};
}

std::vector<ArchivedTransfer> TransferArchive::List() const {
  std::vector<ArchivedTransfer> list;
  std::error_code error;
  for (fs::directory_iterator entry(Folder(), error), end; !error && entry != end;
       entry.increment(error)) {
    std::error_code ignored;
    if (!fs::is_regular_file(entry->symlink_status(ignored))) continue;
    if (auto transfer = ParseArchiveName(entry->path())) list.push_back(std::move(*transfer));
  }
  std::sort(list.begin(), list.end(), Older);
  return list;
}

// Names sort in time order, so the first transfer young enough by its name
// ends the search.
std::vector<fs::path> TransferArchive::Prune(TimePoint now) const {
  const std::optional<int> days = ArchiveKeepDays();
  if (!days) return {};
  const std::vector<ArchivedTransfer> list = List();
  if (list.empty() || ArchiveStamp(now) < list.back().stamp) return {};
  const TimePoint oldestKept = now - std::chrono::days(*days);
  const std::string oldestKeptStamp = ArchiveStamp(oldestKept);
  std::vector<fs::path> deleted;
  for (const ArchivedTransfer& transfer : list) {
    if (transfer.stamp >= oldestKeptStamp) break;
    std::error_code error;
    if (ModifiedBefore(transfer.file, oldestKept) && fs::remove(transfer.file, error))
      deleted.push_back(transfer.file);
  }
  return deleted;
}

StreamCounter CountStoredStream(std::span<const std::uint8_t> stream, int modelIndex) {
  StreamCounter counter;
  for (std::size_t end = 0; end < stream.size();) {
    const std::size_t appended = std::min(kChunkSize, stream.size() - end);
    end += appended;
    counter.Feed(stream.first(end), appended, modelIndex);
  }
  return counter;
}

}  // namespace zv
