// Every transfer through the dialog's logic that received bytes is kept in
// the archive beside the raw dump, and a failed archive write changes
// nothing else.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kit/archive_files.h"
#include "kit/convert_reference.h"
#include "kit/fake_dialog_view.h"
#include "kit/fake_file_writer.h"
#include "kit/pty.h"
#include "kit/scripted_port.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "support/strings.h"
#include "transfer/archive.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testkit::FileNames;
using testkit::ReadFileText;

constexpr auto kPatience = 10s;  // only a safety net against hanging

// 2026-12-08 10:15:03 on the wall clock of this computer.
std::chrono::system_clock::time_point WallTime() {
  return testkit::LocalTimePoint(2026, 12, 8, 10, 15, 3);
}

// ZORVEL B with two tests and a letter in code page 852, then one with a
// printer escape.
const std::string kFirst =
    std::string("B\x01\x02" "1234567") + "\x19 Pacjent: \x9D" "ukasz\r\n\x19 FVC\r\n";
const std::string kSecond = std::string("B\x01\x01" "7654321") + "\x1B" "E\x19 Anna\r\n";
// What a ZORVEL B sends reaches a reader listening at another speed as
// bytes that no report holds.
const std::string kGarbled(80, '\x7F');

// Transfers received whole, each followed by silence, through the dialog's
// own logic on a scripted port (the settings map COM 1 to a
// pseudo-terminal, which the port opens).
class ArchivedTransfers : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM1=" + pty_.SlavePath() + "\n");
    view_.CheckModel(kModelB);
  }

  void Transfers(TransferArchive& archive, const std::vector<std::string>& streams) {
    auto owned = std::make_unique<testkit::ScriptedPort>();
    testkit::ScriptedPort& port = *owned;
    TransferEnvironment env;
    env.makePort = [&owned]() -> std::unique_ptr<CRS232> { return std::move(owned); };
    env.archive = &archive;
    env.sleep = [](std::chrono::milliseconds) {};
    control_ = std::make_unique<TransferControl>(view_, env);
    for (const std::string& stream : streams) {
      port.Deliver(stream);
      control_->OnStartStop();
      ASSERT_TRUE(view_.TakeTransferEnd(kPatience)) << "no end command";
      control_->OnTransferEnd();
      ASSERT_EQ(control_->State(), TransferState::Idle);
    }
  }

  fs::path DataFolder() const { return home_.DataHome() / "VAQ"; }

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  testkit::FakeDialogView view_;
  std::unique_ptr<TransferControl> control_;
};

TEST_F(ArchivedTransfers, TwoInARowAreBothKeptAndTheTemporaryFileHoldsTheLatest) {
  TransferArchive archive({}, WallTime);  // both end within the same second
  ASSERT_NO_FATAL_FAILURE(Transfers(archive, {kFirst, kSecond}));

  const fs::path folder = DataFolder() / "archive";
  EXPECT_EQ(FileNames(folder), (std::set<std::string>{"2026-12-08_101503_ZVB.raw",
                                                       "2026-12-08_101503_ZVB_2.raw"}));
  EXPECT_EQ(ReadFileText(folder / "2026-12-08_101503_ZVB.raw"), kFirst);
  EXPECT_EQ(ReadFileText(folder / "2026-12-08_101503_ZVB_2.raw"), kSecond);
  EXPECT_EQ(ReadFileText(DataFolder() / "~ZVB.tmp"), kSecond);
}

// The raw dump, the text and Save are all there; the status text, in the
// window's language, tells that the archive copy is missing, after the
// warning of garbled text when there is one.
TEST_F(ArchivedTransfers, AFailedArchiveWriteLeavesTheTransferTheDumpAndTheText) {
  const struct { Language language; const char *note, *garbled; } languages[] = {
      {Language::English, " (not in the archive!)",
       "Text garbled: the device may be set to another speed than 4800 b/s (usually 9600 b/s)."},
      {Language::Polish, " (brak w archiwum!)",
       "Tekst zniekształcony: prędkość urządzenia inna niż 4800 b/s? (zwykle 9600 b/s)"}};
  testkit::FakeFileWriter archiveWriter;
  archiveWriter.Fail("No space left on device");
  TransferArchive archive({}, WallTime, &archiveWriter);
  for (const auto& l : languages) {
    SetUiLanguage(l.language);
    ASSERT_NO_FATAL_FAILURE(Transfers(archive, {kFirst}));

    EXPECT_EQ(view_.StatusText(), FormatTransmitted(2, 2, l.language) + l.note);
    EXPECT_TRUE(FileNames(DataFolder() / "archive").empty());
    EXPECT_EQ(ReadFileText(DataFolder() / "~ZVB.tmp"), kFirst);
    const std::vector<std::uint8_t> raw(kFirst.begin(), kFirst.end());
    EXPECT_EQ(control_->buffer(), testkit::ReferenceConvert(raw, kModelB, 2, 0));
    EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
    EXPECT_EQ(view_.ButtonText(IDC_START), "START");
    EXPECT_TRUE(view_.Messages().empty());

    ASSERT_NO_FATAL_FAILURE(Transfers(archive, {kGarbled}));
    EXPECT_EQ(view_.StatusText(), std::string(l.garbled) + l.note);
  }
  ClearUiLanguage();
  EXPECT_EQ(archiveWriter.Writes().size(), 4u) << "the archive was tried";
}

}  // namespace
}  // namespace zv
