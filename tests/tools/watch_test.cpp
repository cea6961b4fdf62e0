// zvreader-cli watch as a process over pseudo-terminals: transfer after
// transfer is filed as text and archived as sent, a device that vanishes
// (by either sign) and comes back is waited for, and Ctrl-C keeps a
// transfer under way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kit/archive_files.h"
#include "kit/convert_reference.h"
#include "kit/pdf_oracle.h"
#include "kit/polish_letters.h"
#include "kit/pty.h"
#include "kit/temp_env.h"
#include "tools/child_process.h"
#include "zvsim/report_generator.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::ChildProcess;
using testkit::FileNames;
using testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = std::chrono::seconds(30);  // only a safety net against hanging

Bytes Report(int tests, std::uint64_t seed) {
  return sim::MakeReport({kModelB, tests, seed, kCodeLatin2});
}

Bytes FileBytes(const fs::path& path) {
  const auto bytes = testkit::ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

// The text of a ZORVEL B transfer with the default code pages.
Bytes Text(const Bytes& raw) { return testkit::ReferenceConvert(raw, kModelB, 2, 0); }

class Watch : public testing::Test {
 protected:
  Watch() : language_("LANGUAGE", "en") {}

  // zvreader-cli watch --model B, once it listens on `port`.
  std::unique_ptr<ChildProcess> StartWatch(const std::string& port, bool json,
                                          const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {ZVREADER_CLI_PATH, "watch", "--model", "B", "--port", port,
                                      "--out-dir", OutDir().string()};
    if (json) args.push_back("--json");
    args.insert(args.end(), more.begin(), more.end());
    auto watch = std::make_unique<ChildProcess>(args);
    EXPECT_TRUE(watch->WaitForError("Listening on " + port, kPatience)) << watch->Error();
    return watch;
  }

  // Sends a transfer and waits for the line that says it was filed (after
  // the second of silence that ends it).
  std::string Transfer(testkit::PseudoTerminal& device, const Bytes& bytes, ChildProcess& watch) {
    EXPECT_TRUE(device.Write(bytes));
    const auto line = watch.ReadLine(kPatience);
    EXPECT_TRUE(line) << watch.Error();
    return line.value_or("");
  }

  // Ctrl-C, which ends the watch cleanly.
  static void Stop(ChildProcess& watch) {
    watch.Signal(SIGINT);
    EXPECT_EQ(watch.Wait(kPatience), 0) << watch.Error();
  }

  fs::path OutDir() const { return home_.root() / "tests"; }
  fs::path ArchiveDir() const { return home_.DataHome() / "VAQ" / "archive"; }

  // The texts and the archived dumps, oldest first, as many as expected.
  void ExpectFiled(const std::vector<Bytes>& sent) {
    const auto texts = FileNames(OutDir());
    const auto dumps = FileNames(ArchiveDir());
    ASSERT_EQ(texts.size(), sent.size());
    ASSERT_EQ(dumps.size(), sent.size());
    auto text = texts.begin();
    auto dump = dumps.begin();
    for (const Bytes& raw : sent) {
      EXPECT_EQ(FileBytes(ArchiveDir() / *dump++), raw);
      EXPECT_EQ(FileBytes(OutDir() / *text++), Text(raw));
    }
  }

  testkit::IsolatedHome home_;
  testkit::ScopedEnv language_;
};

TEST_F(Watch, ThreeTransfersInARowAreFiledAsTextsAndArchivedDumps) {
  testkit::PseudoTerminal device;
  ASSERT_TRUE(device.Ok()) << device.Error();
  auto watch = StartWatch(device.SlavePath(), true);
  std::vector<Bytes> sent;
  std::vector<std::string> lines;
  for (int tests = 1; tests <= 3; ++tests) {
    sent.push_back(Report(tests, tests));
    lines.push_back(Transfer(device, sent.back(), *watch));
  }
  Stop(*watch);
  ASSERT_NO_FATAL_FAILURE(ExpectFiled(sent));

  const auto texts = FileNames(OutDir());
  const auto dumps = FileNames(ArchiveDir());
  auto text = texts.begin();
  auto dump = dumps.begin();
  for (int tests = 1; tests <= 3; ++tests, ++text, ++dump) {
    EXPECT_THAT(*text, testing::MatchesRegex("[-0-9]{10}_[0-9]{6}_ZVB_" + std::to_string(tests) +
                                             "tests\\.txt"));
    const std::string count = std::to_string(tests);
    EXPECT_THAT(lines[tests - 1],
                HasSubstr(",\"model\":\"B\",\"bytes_received\":" +
                          std::to_string(sent[tests - 1].size()) + ",\"expected_tests\":" + count +
                          ",\"counted_tests\":" + count + ",\"stopped\":false,\"archive_file\":\"" +
                          (ArchiveDir() / *dump).string() + "\",\"text_file\":\"" +
                          (OutDir() / *text).string() + "\",\"garbled\":false}"));
  }
}

TEST_F(Watch, WithTargetPdfEachTransferIsFiledAsAPdf) {
  testkit::PseudoTerminal device;
  ASSERT_TRUE(device.Ok()) << device.Error();
  auto watch = StartWatch(device.SlavePath(), false, {"--source", "rs232", "--target", "pdf"});
  const Bytes sent = sim::MakeReport({kModelB, 2, 4, kCodeMazovia});
  Transfer(device, sent, *watch);
  Stop(*watch);

  const auto files = FileNames(OutDir());
  ASSERT_EQ(files.size(), 1u);
  const fs::path file = OutDir() / *files.begin();
  EXPECT_THAT(file.filename().string(), testing::MatchesRegex("[-0-9]{10}_[0-9]{6}_ZVB_2tests\\.pdf"));
  // Cleaned with the letters kept in Mazovia, then each looked up in the tables.
  EXPECT_EQ(testkit::PdfShowsText(file, testkit::ReferenceUtf8(
                                            testkit::ReferenceConvert(sent, kModelB, 1, 1), 1)),
            "");
}

// The watch knows a port has gone by either of two signs, each enough
// alone: the line fails while its name stays (true: the name already leads
// to the adapter plugged in again), or the name goes while the line stays
// (false: drivers whose reads of an unplugged adapter only time out).
class WatchedPortGone : public Watch, public testing::WithParamInterface<bool> {};

TEST_P(WatchedPortGone, IsWaitedForUntilItIsBack) {
  const bool lineFails = GetParam();
  const fs::path link = home_.root() / "zorvel";
  auto first = std::make_unique<testkit::PseudoTerminal>();
  ASSERT_TRUE(first->Ok()) << first->Error();
  fs::create_symlink(first->SlavePath(), link);
  auto watch = StartWatch(link.string(), false);
  const Bytes before = Report(2, 7);
  Transfer(*first, before, *watch);

  testkit::PseudoTerminal second;  // and plugged in again
  ASSERT_TRUE(second.Ok()) << second.Error();
  if (lineFails) {  // the name leads there in one step: it never goes
    fs::create_symlink(second.SlavePath(), link.string() + ".next");
    fs::rename(link.string() + ".next", link);
    first->CloseMaster();  // the adapter is unplugged
  } else {
    fs::remove(link);
  }
  ASSERT_TRUE(watch->WaitForError("stopped working", kPatience)) << watch->Error();
  if (!lineFails) fs::create_symlink(first->SlavePath(), link);
  ASSERT_TRUE(watch->WaitForError("The port " + link.string() + " is back", kPatience))
      << watch->Error();
  const Bytes after = Report(1, 8);
  Transfer(lineFails ? second : *first, after, *watch);
  Stop(*watch);

  ExpectFiled({before, after});
}

INSTANTIATE_TEST_SUITE_P(EachSignAlone, WatchedPortGone, testing::Bool(), [](const auto& info) {
  return info.param ? "LineFailsNameStays" : "NameGoesLineStays";
});

TEST_F(Watch, CtrlCDuringATransferKeepsWhatCame) {
  testkit::PseudoTerminal device;
  ASSERT_TRUE(device.Ok()) << device.Error();
  auto watch = StartWatch(device.SlavePath(), false);
  // Five tests announced, three sent: up to the third test's marker.
  const Bytes report = Report(5, 3);
  auto end = report.begin() + 10;
  for (int marker = 0; marker < 3; ++marker) end = std::find(end, report.end(), 0x19) + 1;
  const Bytes part(report.begin(), end);
  ASSERT_TRUE(device.Write(part));
  ASSERT_TRUE(watch->WaitForError("Transmited test: 3 / 05", kPatience)) << watch->Error();
  Stop(*watch);

  ASSERT_NO_FATAL_FAILURE(ExpectFiled({part}));
  const std::string text = (OutDir() / *FileNames(OutDir()).begin()).string();
  EXPECT_THAT(text, testing::EndsWith("_ZVB_3tests.txt"));
  EXPECT_THAT(watch->Output(), testing::EndsWith("  3 of 5 tests  " + std::to_string(part.size()) +
                                                 " bytes  " + text + " (stopped)\n"));
}

}  // namespace
}  // namespace zv
