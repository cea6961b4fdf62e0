// The transfer archive: a new file is named by the local time and the
// model and never takes the place of another, and old transfers are deleted
// only when the settings ask for it, never on the word of a wrong clock.
#include "transfer/archive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "kit/archive_files.h"
#include "kit/temp_env.h"
#include "support/paths.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::LocalTimePoint;
using testkit::WriteFileText;
using Bytes = std::vector<std::uint8_t>;
using TimePoint = std::chrono::system_clock::time_point;

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

struct ArchiveFile {
  const char* name;
  TimePoint modified;
};

const TimePoint kAugust = LocalTimePoint(2026, 8, 1, 10, 0, 0);
const TimePoint kNovember = LocalTimePoint(2026, 11, 1, 10, 0, 0);
const TimePoint kToday = LocalTimePoint(2026, 12, 8, 10, 15, 3);
const TimePoint kYearBehind = LocalTimePoint(2025, 12, 8, 10, 15, 3);

TEST(ArchivePruning, DeletesOnlyWhatTheSettingsAskAndTheClockCannotMislead) {
  // Transfers of a year ago (written while the clock was a year behind,
  // say), of August (older than 90 days on 2026-12-08) and of November.
  const std::vector<ArchiveFile> oldAndRecent = {{"2025-12-01_100000_ZVB.raw", kYearBehind},
                                                 {"2026-08-01_100000_ZVB.raw", kAugust},
                                                 {"2026-11-01_100000_ZVA.raw", kNovember}};
  const struct {
    const char* name;
    std::optional<const char*> keepDays;  // [Archive] KeepDays
    TimePoint now;
    std::vector<ArchiveFile> files;
    std::set<std::string> deleted;
  } cases[] = {
      {"by default, after the clock was behind", std::nullopt, kToday, oldAndRecent, {}},
      {"by default, with the clock ten years ahead", std::nullopt,
       LocalTimePoint(2036, 12, 8, 10, 15, 3), oldAndRecent, {}},
      {"KeepDays: what is old by name and by time", "90", kToday,
       {{"2026-08-01_100000_ZVB.raw", kAugust},
        {"2026-08-01_100000_ZVB_2.raw", kAugust},
        {"2026-08-02_100000_ZVB.raw", kNovember},  // written since, as its time says
        {"2026-11-01_100000_ZVA.raw", kAugust},    // its name says it is young
        {"2026-11-01_100000_ZVB.raw", kNovember}},
       {"2026-08-01_100000_ZVB.raw", "2026-08-01_100000_ZVB_2.raw"}},
      {"KeepDays, while the clock reads earlier than a transfer kept", "90", kToday,
       {{"2026-08-01_100000_ZVB.raw", kAugust},
        {"2036-12-08_101503_ZVB.raw", kNovember}},  // kept while the clock was ahead
       {}},
      {"KeepDays out of range", "0", kToday, oldAndRecent, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::IsolatedHome home;
    if (c.keepDays) WriteFileText(SettingsFilePath(), std::string("[Archive]\nKeepDays=") + *c.keepDays);
    const fs::path folder = home.root() / "archive";
    std::vector<ArchiveFile> files = c.files;
    // Names the archive never gives, all of them old.
    for (const char* foreign :
         {"notes.txt", "2020-01-01_000000_ZVC.raw", "2020-01-01_000000_ZVB.raw.bak"})
      files.push_back({foreign, kAugust});
    std::set<std::string> expected;
    for (const ArchiveFile& file : files) {
      WriteFileText(folder / file.name, "x");
      fs::last_write_time(folder / file.name, fs::file_time_type::clock::from_sys(file.modified));
      if (!c.deleted.contains(file.name)) expected.insert(file.name);
    }
    fs::create_directory(folder / "2020-01-01_000000_ZVA.raw");
    expected.insert("2020-01-01_000000_ZVA.raw");

    const TransferArchive::Kept kept =
        TransferArchive(folder, [&c] { return c.now; }).Keep(kModelA, ToBytes("new"));

    ASSERT_TRUE(kept.result.ok) << kept.result.reason;
    expected.insert(kept.file.filename().string());
    EXPECT_EQ(testkit::FileNames(folder), expected);
    std::set<std::string> reported;
    for (const fs::path& file : kept.deleted) reported.insert(file.filename().string());
    EXPECT_EQ(reported, c.deleted);
  }
}

// Two programs finishing a transfer of the same model within the same
// second, again and again: each claims a name of its own, on the real file
// system through the real writer, and neither transfer is lost.
TEST(ArchiveNames, TwoProgramsWithinOneSecondBothKeepTheirTransfer) {
  constexpr int kRounds = 40;
  testkit::IsolatedHome home;
  const fs::path folder = home.root() / "archive";
  for (int round = 0; round < kRounds; ++round) {
    const TimePoint now = kToday + std::chrono::seconds(round);
    TransferArchive::Kept kept[2];
    // Both start together. (A condition variable: std::latch can miss its
    // wake-up with some C++ libraries of Windows.)
    std::mutex mutex;
    std::condition_variable arrived;
    int waiting = 0;
    auto keep = [&](int program) {
      TransferArchive archive(folder, [now] { return now; });
      {
        std::unique_lock lock(mutex);
        ++waiting;
        arrived.notify_all();
        arrived.wait(lock, [&] { return waiting == 2; });
      }
      kept[program] = archive.Keep(kModelB, ToBytes("program " + std::to_string(program)));
    };
    std::thread other(keep, 1);
    keep(0);
    other.join();

    ASSERT_TRUE(kept[0].result.ok && kept[1].result.ok) << "round " << round;
    ASSERT_NE(kept[0].file, kept[1].file) << "round " << round;
    EXPECT_EQ(testkit::ReadFileText(kept[0].file), "program 0") << "round " << round;
    EXPECT_EQ(testkit::ReadFileText(kept[1].file), "program 1") << "round " << round;
    const std::string stamp = ArchiveStamp(now);
    EXPECT_EQ((std::set{kept[0].file.filename().string(), kept[1].file.filename().string()}),
              (std::set<std::string>{stamp + "_ZVB.raw", stamp + "_ZVB_2.raw"}));
  }
  EXPECT_EQ(testkit::FileNames(folder).size(), 2u * kRounds) << "no temporary file stays";
}

}  // namespace
}  // namespace zv
