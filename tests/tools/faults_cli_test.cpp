// zvreader-cli given bad command lines, unreadable inputs, unwritable
// outputs, ports that are no serial lines and devices that vanish: one
// clear message and the documented exit status (2 usage, 1 a port or file
// error, 3 nothing received), never a crash, and whatever was received is
// kept.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/pty.h"
#include "kit/temp_env.h"
#include "support/paths.h"
#include "tools/child_process.h"
#include "transfer/receive.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::Not;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNothing = 3;
constexpr auto kPatience = 30s;  // only a safety net against hanging

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CliFaults : public testing::Test {
 protected:
  CliFaults() : language_("LANGUAGE", "en") {
    fs::create_directories(Temp("folder"));
    testkit::WriteFileText(Temp("raw.bin"), "ZVA-RPT01\r\nNumber 1 FVC 4.1 l\x1b" "E\r\n");
    testkit::WriteFileText(Temp("regular"), "not a serial line");
    mkfifo(Temp("fifo").c_str(), 0600);
    testkit::WriteFileText(Temp("huge.raw"), "");
    fs::resize_file(Temp("huge.raw"), (std::uintmax_t{1} << 30) + 1);  // sparse: no disk used
  }

  fs::path Temp(const std::string& name) const { return home_.root() / name; }

  // Runs the tool with `args`, where "@name" stands for Temp("name"), its
  // standard output a terminal when `onTerminal`.
  Outcome Cli(std::vector<std::string> args, bool onTerminal = false) {
    for (std::string& arg : args) {
      if (arg.starts_with("@")) arg = Temp(arg.substr(1)).string();
    }
    args.insert(args.begin(), ZVREADER_CLI_PATH);
    std::optional<testkit::PseudoTerminal> terminal;
    if (onTerminal) {
      terminal.emplace();
      args.insert(args.begin(), {"/bin/sh", "-c", "exec \"$@\" >" + terminal->SlavePath(), "sh"});
    }
    testkit::ChildProcess process(args);
    EXPECT_TRUE(process.Started());
    Outcome run;
    run.status = process.Wait(kPatience).value_or(-1);
    run.out = process.Output();
    run.err = process.Error();
    return run;
  }

  testkit::IsolatedHome home_;
  testkit::ScopedEnv language_;
};

void ExpectOneClearMessage(const Outcome& run, int status, const std::string& words) {
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_THAT(run.err, HasSubstr(words));
  EXPECT_THAT(run.err, Not(HasSubstr("terminate called")));
}

struct BadCommandLine {
  std::vector<std::string> args;
  const char* words;
  bool onTerminal = false;  // standard output a terminal
};

void PrintTo(const BadCommandLine& bad, std::ostream* out) {
  for (const auto& arg : bad.args) *out << arg << ' ';
}

class CliUsageErrors : public CliFaults, public testing::WithParamInterface<BadCommandLine> {};

TEST_P(CliUsageErrors, ExitTwoWithTheReasonAndTheUsage) {
  const Outcome run = Cli(GetParam().args, GetParam().onTerminal);
  ExpectOneClearMessage(run, kExitUsage, GetParam().words);
  EXPECT_THAT(run.err, HasSubstr("zvreader-cli")) << "no usage text";
  EXPECT_TRUE(run.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliUsageErrors,
    testing::Values(
        BadCommandLine{{}, "no command"},
        BadCommandLine{{"fetc"}, "fetc"},
        BadCommandLine{{"fetch", "--bogus"}, "--bogus"},
        BadCommandLine{{"fetch", "--baud", "1234"}, "1234"},
        BadCommandLine{{"fetch", "--baud", "-4800"}, "-4800"},
        BadCommandLine{{"fetch", "--baud"}, "--baud"},
        BadCommandLine{{"fetch", "--model", "C"}, "'C'"},
        BadCommandLine{{"fetch", "--model", ""}, "--model"},
        BadCommandLine{{"fetch", "--timeout", "-1"}, "-1"},
        BadCommandLine{{"fetch", "--timeout", "nan"}, "nan"},
        BadCommandLine{{"fetch", "--timeout", "1e999"}, "1e999"},
        BadCommandLine{{"fetch", "--timeout", "5s"}, "5s"},
        BadCommandLine{{"fetch", "--target", "4"}, "'4'"},
        BadCommandLine{{"fetch", "--target", "99999999999999999999"}, "99999999999999999999"},
        BadCommandLine{{"fetch", "--source", "-1"}, "-1"},
        BadCommandLine{{"fetch", "--port", "COM0"}, "COM0"},
        BadCommandLine{{"fetch", "--port", "COM257"}, "COM257"},
        BadCommandLine{{"fetch", "--port", ""}, "--port"},
        BadCommandLine{{"fetch", "-o"}, "needs a value"},
        BadCommandLine{{"fetch", "extra"}, "extra"},
        BadCommandLine{{"convert"}, "input"},
        BadCommandLine{{"convert", "@raw.bin", "@raw.bin"}, "input"},
        BadCommandLine{{"convert", "--model", "B", "--target", "klingon", "@raw.bin"}, "klingon"},
        BadCommandLine{{"convert", "--target", "pdf", "@raw.bin"}, "give -o FILE", true},
        BadCommandLine{{"ports", "--model", "A"}, "--model"}));

struct FileFault {
  std::vector<std::string> args;
  const char* words;
};

void PrintTo(const FileFault& fault, std::ostream* out) {
  for (const auto& arg : fault.args) *out << arg << ' ';
}

class CliFileErrors : public CliFaults, public testing::WithParamInterface<FileFault> {};

TEST_P(CliFileErrors, ExitOneWithAClearMessageAndNoCrash) {
  const Outcome run = Cli(GetParam().args);
  ExpectOneClearMessage(run, kExitFailure, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliFileErrors,
    testing::Values(
        FileFault{{"convert", "@missing.bin"}, "No such file or directory"},
        FileFault{{"convert", "@folder"}, "cannot read"},
        FileFault{{"convert", "/dev/zero"}, "not a regular file"},
        FileFault{{"convert", "@fifo"}, "not a regular file"},  // never waits for a writer
        FileFault{{"convert", "@huge.raw"}, "larger than 1 GiB"},
        FileFault{{"convert", "@raw.bin", "-o", "@missing/out.txt"}, "No such file or directory"},
        FileFault{{"convert", "@raw.bin", "-o", "@folder"}, "Is a directory"},
        FileFault{{"convert", "@raw.bin", "-o", "@regular/out.txt"}, "Not a directory"},
        FileFault{{"convert", "@raw.bin", "-o", "/dev/full"}, "/dev/full"},
        FileFault{{"fetch", "--port", "@regular"}, "not a serial line"},
        FileFault{{"fetch", "--port", "@folder"}, "not a serial line"},
        FileFault{{"fetch", "--port", "@missing"}, "does not exist"},
        FileFault{{"fetch", "--port", "/dev/null"}, "not a serial line"},
        FileFault{{"fetch", "--port", "COM250"}, "COM250"}));

// A COM number mapped to a regular file in the settings.
TEST_F(CliFaults, AComNumberMappedToARegularFileIsNoSerialLine) {
  testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM4=" + Temp("regular").string() + "\n");
  const Outcome run = Cli({"fetch", "--port", "COM4"});
  ExpectOneClearMessage(run, kExitFailure, "not a serial line");
  EXPECT_THAT(run.err, HasSubstr(Temp("regular").string()));
}

// A full standard output is a failure, not a success.
TEST_F(CliFaults, AFullStandardOutputFailsTheConversion) {
  std::vector<std::string> args = {"/bin/sh", "-c",
                                   std::string("exec \"$0\" convert \"$1\" >/dev/full"),
                                   ZVREADER_CLI_PATH, Temp("raw.bin").string()};
  testkit::ChildProcess process(args);
  ASSERT_TRUE(process.Started());
  EXPECT_EQ(process.Wait(kPatience).value_or(-1), kExitFailure);
  EXPECT_THAT(process.Error(), HasSubstr("standard output"));
}

// The device: a pseudo-terminal the test plays.
class CliDeviceFaults : public CliFaults {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.Ok()) << pty_.Error(); }

  testkit::ChildProcess* Start(std::vector<std::string> args) {
    for (std::string& arg : args) {
      if (arg.starts_with("@")) arg = Temp(arg.substr(1)).string();
    }
    args.insert(args.begin(), {ZVREADER_CLI_PATH, "fetch", "--port", pty_.SlavePath()});
    process_ = std::make_unique<testkit::ChildProcess>(args);
    EXPECT_TRUE(process_->Started());
    return process_.get();
  }

  testkit::PseudoTerminal pty_;
  std::unique_ptr<testkit::ChildProcess> process_;
};

const std::string kStream = "\x1b@\x02ZVB-RP\r\n\x19 Badanie 1\r\n\x19 Badanie 2\r\n";

// Both the text and the copy of the raw bytes fail, yet the raw dump in
// the data folder keeps what came, and the reason is given for each.
TEST_F(CliDeviceFaults, UnwritableOutputsFailButTheRawDumpKeepsTheBytes) {
  auto* cli = Start({"--model", "B", "-o", "@missing/tests.txt", "--raw", "@folder"});
  ASSERT_TRUE(cli->WaitForError("Waiting", kPatience)) << cli->Error();
  ASSERT_TRUE(pty_.Write(kStream));
  EXPECT_EQ(cli->Wait(kPatience).value_or(-1), kExitFailure) << cli->Error();
  EXPECT_THAT(cli->Error(), HasSubstr(Temp("missing/tests.txt").string()));
  EXPECT_THAT(cli->Error(), HasSubstr(Temp("folder").string()));
  EXPECT_EQ(testkit::ReadFileText(RawDumpPath(kModelB)), kStream);
}

TEST_F(CliDeviceFaults, ADeviceVanishingMidTransferKeepsWhatCame) {
  auto* cli = Start({"--model", "B", "-o", "@tests.txt", "--raw", "@raw-copy.bin"});
  ASSERT_TRUE(cli->WaitForError("Waiting", kPatience)) << cli->Error();
  ASSERT_TRUE(pty_.Write(kStream));
  ASSERT_TRUE(cli->WaitForError("2 / 02", kPatience)) << cli->Error();
  pty_.CloseMaster();
  EXPECT_EQ(cli->Wait(kPatience).value_or(-1), kExitOk) << cli->Error();
  EXPECT_EQ(testkit::ReadFileText(Temp("raw-copy.bin")), kStream);
  EXPECT_EQ(testkit::ReadFileText(RawDumpPath(kModelB)), kStream);
  EXPECT_EQ(testkit::ReadFileText(Temp("tests.txt")), "ZVB-RP\r\n Badanie 1\r\n Badanie 2\r\n");
}

TEST_F(CliDeviceFaults, ADeviceVanishingBeforeTheHeaderEndsByTheTimeOutWithNothing) {
  auto* cli = Start({"--timeout", "1.5", "--json", "-o", "@tests.txt"});
  ASSERT_TRUE(cli->WaitForError("Waiting", kPatience)) << cli->Error();
  pty_.CloseMaster();
  EXPECT_EQ(cli->Wait(kPatience).value_or(-1), kExitNothing) << cli->Error();
  EXPECT_THAT(cli->Output(), HasSubstr("\"bytes_received\":0"));
  EXPECT_FALSE(fs::exists(RawDumpPath(kModelA)));
  EXPECT_FALSE(fs::exists(Temp("tests.txt")));
}

}  // namespace
}  // namespace zv
