// Writing the results fails for real: a missing folder, a path that is a
// folder, a path through a regular file, a device, a file size limit that
// cuts the write short (what a full disk does), and an injected failure.
// Every time the user gets one clear message naming the file and the
// reason, an old file stays as it was, no partial file is left, the
// buffer is kept, and Save works once the cause is gone. Root gets these
// failures too, so nothing here depends on file permissions.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kit/convert_reference.h"
#include "kit/fake_dialog_view.h"
#include "kit/fake_file_writer.h"
#include "kit/file_size_limit.h"
#include "kit/pty.h"
#include "kit/scripted_port.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testkit::FakeDialogView;
using testkit::ReadFileText;
using testkit::ScriptedPort;
using testkit::WriteFileText;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

constexpr auto kPatience = 10s;  // only a safety net against hanging

// ZORVEL B: two tests, with Polish letters, escapes and box lines.
std::string StreamB() {
  std::string stream = std::string("B\x01\x02" "1234567");
  for (int test = 1; test <= 2; ++test) {
    stream += "\x19\x1b" "E\xb3 Pacjent: \x9d" "ukasz G\xa2ra \xb3\r\n";
    stream += "FVC 4.5" + std::to_string(test) + " l  FEV1 3.9 l\r\n";
  }
  return stream;
}

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

std::set<fs::path> Entries(const fs::path& folder) {
  std::set<fs::path> entries;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
    entries.insert(entry.path());
  return entries;
}

class WriteFaults : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    WriteFileText(SettingsFilePath(), "[Ports]\nCOM1=" + pty_.SlavePath() + "\n");
    folder_ = home_.root() / "results";
    fs::create_directories(folder_);
    view_.CheckModel(kModelB);
    view_.SelectListEntry(IDC_BAUD, 1);
  }

  TransferControl& Control() {
    if (!control_) {
      TransferEnvironment env;
      env.makePort = [] { return std::make_unique<ScriptedPort>(); };
      env.fileWriter = writer_;
      env.sleep = [](std::chrono::milliseconds) {};
      control_ = std::make_unique<TransferControl>(view_, std::move(env));
    }
    return *control_;
  }

  // A whole transfer of `stream`; leaves the cleaned text in the buffer.
  void Receive(const std::string& stream) {
    TransferControl& control = Control();
    view_.SelectListEntry(IDC_PORT, 0);
    ASSERT_TRUE(control.OpenPort());  // creates the port object to script
    auto& port = *static_cast<ScriptedPort*>(const_cast<CRS232*>(control.port()));
    port.Deliver(stream);
    control.OnStartStop();
    ASSERT_EQ(control.State(), TransferState::Transferring);
    ASSERT_TRUE(view_.TakeTransferEnd(kPatience)) << "no end command";
    control.OnTransferEnd();
    ASSERT_EQ(control.State(), TransferState::Idle);
    ASSERT_TRUE(view_.ButtonEnabled(IDC_SAVE));
  }

  void SaveTo(const fs::path& path) {
    view_.AnswerSaveFile(path);
    Control().OnSave();
  }

  // The text Save must write: the clean-up rules applied literally, with
  // the window's default encodings (Latin 2 from "Canon / USB").
  static Bytes Cleaned(const std::string& stream) {
    return testkit::ReferenceConvert(ToBytes(stream), kModelB, 2, 0);
  }

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  FakeDialogView view_;
  IFileWriter* writer_ = nullptr;  // null: the real writer
  fs::path folder_;
  std::unique_ptr<TransferControl> control_;
};

// A target that cannot be written, and what makes it writable again.
struct BadTarget {
  const char* name;
  const char* reason;  // words of the system's reason in the message
  std::function<fs::path(const fs::path& folder)> make;
  std::function<void(const fs::path& target)> mend;
};

void PrintTo(const BadTarget& target, std::ostream* out) { *out << target.name; }

class SaveToBadTarget : public WriteFaults,
                        public testing::WithParamInterface<BadTarget> {};

TEST_P(SaveToBadTarget, SaysWhyKeepsTheBufferLeavesNothingAndWorksOnceMended) {
  const std::string stream = StreamB();
  ASSERT_NO_FATAL_FAILURE(Receive(stream));
  const Bytes cleaned = Control().buffer();
  ASSERT_EQ(cleaned, Cleaned(stream));
  const fs::path target = GetParam().make(folder_);
  const auto before = Entries(folder_);
  view_.ClearLog();

  SaveTo(target);

  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_THAT(view_.Messages()[0], HasSubstr(target.string()));
  EXPECT_THAT(view_.Messages()[0], HasSubstr(GetParam().reason));
  EXPECT_EQ(Entries(folder_), before) << "a partial or temporary file was left";
  EXPECT_EQ(Control().buffer(), cleaned);
  EXPECT_TRUE(view_.ButtonEnabled(IDC_SAVE));
  EXPECT_EQ(view_.DefaultButton(), IDC_SAVE) << "Done became the default after a failure";

  GetParam().mend(target);
  SaveTo(target);
  EXPECT_EQ(view_.Messages().size(), 1u);
  EXPECT_EQ(testkit::ReadFileBytes(target), cleaned);
  EXPECT_EQ(view_.DefaultButton(), IDOK);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveToBadTarget,
    testing::Values(
        BadTarget{"MissingFolder", "No such file or directory",
                  [](const fs::path& folder) { return folder / "missing" / "tests.txt"; },
                  [](const fs::path& target) { fs::create_directory(target.parent_path()); }},
        BadTarget{"PathIsAFolder", "Is a directory",
                  [](const fs::path& folder) {
                    fs::create_directory(folder / "tests.txt");
                    return folder / "tests.txt";
                  },
                  [](const fs::path& target) { fs::remove(target); }},
        BadTarget{"PathThroughARegularFile", "Not a directory",
                  [](const fs::path& folder) {
                    WriteFileText(folder / "old.txt", "a file, not a folder");
                    return folder / "old.txt" / "tests.txt";
                  },
                  [](const fs::path& target) {
                    fs::remove(target.parent_path());
                    fs::create_directory(target.parent_path());
                  }},
        BadTarget{"LinkToADevice", "Not a regular file",
                  [](const fs::path& folder) {
                    fs::create_symlink("/dev/full", folder / "tests.txt");
                    return folder / "tests.txt";
                  },
                  [](const fs::path& target) { fs::remove(target); }}));

TEST_F(WriteFaults, AWriteCutShortKeepsTheOldFileAndLeavesNoPartialFile) {
  const std::string stream = StreamB();
  ASSERT_NO_FATAL_FAILURE(Receive(stream));
  const fs::path target = folder_ / "tests.txt";
  WriteFileText(target, "yesterday's results");
  const auto before = Entries(folder_);
  {
    testkit::ScopedFileSizeLimit limit(8);
    ASSERT_TRUE(limit.ok());
    SaveTo(target);
  }
  ASSERT_EQ(view_.Messages().size(), 1u);
  EXPECT_THAT(view_.Messages()[0], HasSubstr(target.string()));
  EXPECT_THAT(view_.Messages()[0], HasSubstr("File too large"));
  EXPECT_EQ(ReadFileText(target), "yesterday's results");
  EXPECT_EQ(Entries(folder_), before);
  EXPECT_EQ(Control().buffer(), Cleaned(stream));

  SaveTo(target);
  EXPECT_EQ(view_.Messages().size(), 1u);
  EXPECT_EQ(testkit::ReadFileBytes(target), Cleaned(stream));
}

TEST_F(WriteFaults, AnInjectedFailureIsShownWithItsReasonAndSaveCanBeRetried) {
  testkit::FakeFileWriter writer;
  writer_ = &writer;
  const std::string stream = StreamB();
  ASSERT_NO_FATAL_FAILURE(Receive(stream));
  const fs::path target = folder_ / "tests.txt";
  WriteFileText(target, "yesterday's results");

  writer.Fail("No space left on device");
  SaveTo(target);
  SaveTo(target);  // the user tries again before freeing space
  ASSERT_EQ(view_.Messages().size(), 2u);
  EXPECT_THAT(view_.Messages()[1], HasSubstr("No space left on device"));
  EXPECT_EQ(ReadFileText(target), "yesterday's results");

  writer.Heal();
  SaveTo(target);
  EXPECT_EQ(view_.Messages().size(), 2u);
  EXPECT_EQ(testkit::ReadFileBytes(target), Cleaned(stream));
}

// The raw dump is written quietly: when it cannot be, the transfer still
// ends normally, the text is cleaned and Save works.
TEST_F(WriteFaults, ARawDumpFolderThatCannotExistIsSkippedQuietly) {
  WriteFileText(home_.DataHome(), "a file where the data folder belongs");
  const std::string stream = StreamB();
  ASSERT_NO_FATAL_FAILURE(Receive(stream));
  EXPECT_TRUE(view_.Messages().empty());
  EXPECT_EQ(Control().buffer(), Cleaned(stream));
  EXPECT_EQ(ReadFileText(home_.DataHome()), "a file where the data folder belongs");

  SaveTo(folder_ / "tests.txt");
  EXPECT_EQ(testkit::ReadFileBytes(folder_ / "tests.txt"), Cleaned(stream));
}

TEST_F(WriteFaults, ARawDumpCutShortKeepsThePreviousDumpWhole) {
  const std::string first = StreamB();
  ASSERT_NO_FATAL_FAILURE(Receive(first));
  const fs::path dump = RawDumpPath(kModelB);
  ASSERT_EQ(testkit::ReadFileBytes(dump), ToBytes(first));
  const auto before = Entries(RawDumpFolder());

  const std::string second = first + "\x19 a third test\r\n";
  {
    testkit::ScopedFileSizeLimit limit(16);
    ASSERT_TRUE(limit.ok());
    ASSERT_NO_FATAL_FAILURE(Receive(second));
  }
  EXPECT_EQ(testkit::ReadFileBytes(dump), ToBytes(first));
  EXPECT_EQ(Entries(RawDumpFolder()), before);
  EXPECT_EQ(Control().buffer(), Cleaned(second)) << "the clean-up still ran";
}

}  // namespace
}  // namespace zv
