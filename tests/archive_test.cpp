// The transfer archive's names and pruning: a new file is named by the
// local time and the model, and pruning deletes only old archive files
// beyond the newest 500.
#include "transfer/archive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "kit/archive_files.h"
#include "kit/temp_env.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::WriteFileText;
using Bytes = std::vector<std::uint8_t>;
using TimePoint = std::chrono::system_clock::time_point;

// 2026-12-08 10:15:03 on the wall clock of this computer.
TimePoint WallTime() { return testkit::LocalTimePoint(2026, 12, 8, 10, 15, 3); }

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

// "2026-08-01_100000_ZVB.raw" ...: `count` names in `month`, a minute
// apart (a day per 60), oldest first.
std::vector<std::string> ArchiveNames(const char* month, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "2026-%s-%02d_10%02d00_ZVB.raw", month, 1 + i / 60, i % 60);
    names.push_back(name);
  }
  return names;
}

TEST(ArchivePruning, KeepsTheNewest500OrThoseOfThe90DaysWhicheverIsMoreAndNothingElse) {
  // Older than 90 days on 2026-12-08: August; younger: November.
  const struct {
    int old;
    int recent;
    int oldKept;  // the newest of the old ones
  } cases[] = {{10, 0, 10}, {502, 0, 499}, {0, 600, 0}, {300, 300, 199}};
  // Names the archive never gives, all of them old.
  const std::vector<std::string> foreign = {
      "notes.txt",                     "~ZVB.tmp",
      "2020-01-01_000000_ZVC.raw",     "2020-01-01_000000_ZVB_1.raw",
      "2020-01-01_000000_ZVB.raw.bak", "2020-01-01_00000_ZVA.raw",
      "2020-01-01_000000_zvb.raw",     "2020-01-01_000000_ZVB_x.raw"};
  for (const auto& c : cases) {
    testkit::TempDir dir;
    const std::vector<std::string> old = ArchiveNames("08", c.old);
    const std::vector<std::string> recent = ArchiveNames("11", c.recent);
    for (const auto& names : {old, recent, foreign}) {
      for (const std::string& name : names) WriteFileText(dir.path() / name, "x");
    }
    fs::create_directory(dir.path() / "2020-01-01_000000_ZVA.raw");

    TransferArchive archive(dir.path(), WallTime);
    ASSERT_TRUE(archive.Keep(kModelA, ToBytes("new")).result.ok);

    std::set<std::string> expected(foreign.begin(), foreign.end());
    expected.insert("2020-01-01_000000_ZVA.raw");
    expected.insert("2026-12-08_101503_ZVA.raw");
    expected.insert(recent.begin(), recent.end());
    expected.insert(old.end() - c.oldKept, old.end());
    EXPECT_EQ(testkit::FileNames(dir.path()), expected) << c.old << " old, " << c.recent << " recent";
  }
}

}  // namespace
}  // namespace zv
