#include "support/rs232.h"

#include <dirent.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "kit/pty.h"
#include "kit/temp_env.h"
#include "kit/unprivileged.h"
#include "support/paths.h"
#include "support/rs232_native.h"

namespace zv {
namespace {

using std::chrono::milliseconds;
using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using Clock = std::chrono::steady_clock;

constexpr DWORD kShortWait = 50;    // ms: the read total time-out of most tests
constexpr DWORD kLongWait = 20000;  // ms: a time-out a test must never reach

std::vector<BYTE> Pattern(std::size_t size) {
  std::vector<BYTE> bytes(size);
  std::iota(bytes.begin(), bytes.end(), BYTE{0x80});
  return bytes;
}

milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

std::size_t OpenDescriptorCount() {
  std::size_t count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

struct ReadResult {
  int result = -1;
  DWORD count = 0xDEAD;
  std::vector<BYTE> bytes;
};

ReadResult ReadChunk(CRS232& port, DWORD max = 64) {
  ReadResult read;
  read.bytes.assign(max, 0);
  read.result = port.Read(max, read.bytes.data(), &read.count);
  read.bytes.resize(read.count <= max ? read.count : 0);
  return read;
}

class SerialPortTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok()) << pty_.Error();
    port_.SetTimeoutDefaults(0, 0, kShortWait, 0, 2);
  }

  int OpenPty(DWORD baud = 9600) {
    return port_.OpenDevice(pty_.SlavePath(), baud);
  }

  testkit::IsolatedHome home_;
  testkit::PseudoTerminal pty_;
  CRS232 port_;
};

// --- Line settings ---------------------------------------------------------

class LineSettingsTest : public SerialPortTest,
                         public testing::WithParamInterface<DWORD> {};

TEST_P(LineSettingsTest, OpenSetsRawEightNoneOneWithoutFlowControl) {
  // Start from a cooked 7E2 line with both kinds of flow control, so every
  // setting below has to be made by the open.
  testkit::LineSettings cooked;
  cooked.baud = 38400;
  cooked.dataBits = 7;
  cooked.parity = true;
  cooked.twoStopBits = true;
  cooked.hardwareFlow = true;
  cooked.softwareFlow = true;
  cooked.raw = false;
  ASSERT_TRUE(pty_.SetSlaveSettings(cooked));

  ASSERT_NE(OpenPty(GetParam()), 0) << DescribePortError(port_.LastError());
  auto line = pty_.SlaveSettings();
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->baud, GetParam());
  EXPECT_THAT(line->inputBaud, testing::AnyOf(0u, GetParam()));
  EXPECT_EQ(line->dataBits, 8);
  EXPECT_FALSE(line->parity);
  EXPECT_FALSE(line->twoStopBits);
  EXPECT_FALSE(line->hardwareFlow);
  EXPECT_FALSE(line->softwareFlow);
  EXPECT_TRUE(line->ignoreModemLines);
  EXPECT_TRUE(line->receiverOn);
  EXPECT_TRUE(line->raw);
}

INSTANTIATE_TEST_SUITE_P(SupportedRates, LineSettingsTest,
                         testing::Values(4800u, 9600u, 19200u));

TEST_F(SerialPortTest, EveryByteValuePassesUnchanged) {
  ASSERT_NE(OpenPty(), 0);
  std::vector<BYTE> all(256);
  std::iota(all.begin(), all.end(), BYTE{0});
  ASSERT_TRUE(pty_.Write(all));
  std::vector<BYTE> got;
  for (int i = 0; i < 8 && got.size() < all.size(); ++i) {
    ReadResult read = ReadChunk(port_);
    got.insert(got.end(), read.bytes.begin(), read.bytes.end());
  }
  EXPECT_EQ(got, all);
}

class BadBaudTest : public SerialPortTest,
                    public testing::WithParamInterface<DWORD> {};

TEST_P(BadBaudTest, RefusedWithTheRatesToChoose) {
  EXPECT_EQ(OpenPty(GetParam()), 0);
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::BadBaudRate);
  EXPECT_THAT(
      DescribePortError(port_.LastError()),
      AllOf(HasSubstr(std::to_string(GetParam()) + " baud"),
            HasSubstr("4800, 9600 or 19200"), HasSubstr(pty_.SlavePath())));
}

INSTANTIATE_TEST_SUITE_P(UnsupportedRates, BadBaudTest,
                         testing::Values(0u, 300u, 9601u, 38400u, 115200u));

// --- Read ------------------------------------------------------------------

TEST_F(SerialPortTest, FullChunkReturnsAtOnceWhenEnoughIsWaiting) {
  port_.SetTimeoutDefaults(0, 0, kLongWait, 0, 2);
  ASSERT_NE(OpenPty(), 0);
  const std::vector<BYTE> sent = Pattern(100);
  ASSERT_TRUE(pty_.Write(sent));

  const auto start = Clock::now();
  ReadResult first = ReadChunk(port_);
  EXPECT_LT(Since(start), milliseconds(kLongWait / 2));
  EXPECT_NE(first.result, 0);
  ASSERT_EQ(first.count, 64u);
  EXPECT_EQ(first.bytes, std::vector<BYTE>(sent.begin(), sent.begin() + 64));

  ReadResult rest = ReadChunk(port_, 36);
  EXPECT_EQ(rest.bytes, std::vector<BYTE>(sent.begin() + 64, sent.end()));
}

TEST_F(SerialPortTest, ChunkCollectsPiecesThatArriveDuringTheRead) {
  port_.SetTimeoutDefaults(0, 0, kLongWait, 0, 2);
  ASSERT_NE(OpenPty(), 0);
  const std::vector<BYTE> sent = Pattern(64);
  std::thread writer([&] {
    for (std::size_t at = 0; at < sent.size(); at += 8) {
      pty_.Write(sent.data() + at, 8);
    }
  });
  ReadResult read = ReadChunk(port_);
  writer.join();
  EXPECT_NE(read.result, 0);
  EXPECT_EQ(read.bytes, sent);
}

TEST_F(SerialPortTest, PartialChunkReturnsWhatCameAtTheTimeOut) {
  ASSERT_NE(OpenPty(), 0);
  const std::vector<BYTE> sent = Pattern(10);
  ASSERT_TRUE(pty_.Write(sent));
  const auto start = Clock::now();
  ReadResult read = ReadChunk(port_);
  EXPECT_GE(Since(start), milliseconds(kShortWait));
  EXPECT_NE(read.result, 0);
  EXPECT_EQ(read.bytes, sent);
}

TEST_F(SerialPortTest, SilenceGivesZeroAndNoBytesAfterTheTimeOut) {
  ASSERT_NE(OpenPty(), 0);
  for (int i = 0; i < 2; ++i) {
    const auto start = Clock::now();
    ReadResult read = ReadChunk(port_);
    EXPECT_GE(Since(start), milliseconds(kShortWait));
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.count, 0u);
  }
}

TEST_F(SerialPortTest, TotalTimeOutGrowsWithTheMultiplier) {
  port_.SetTimeoutDefaults(0, 2, 10, 0, 2);  // 2 ms * 64 + 10 ms = 138 ms
  ASSERT_NE(OpenPty(), 0);
  const auto start = Clock::now();
  EXPECT_EQ(ReadChunk(port_).result, 0);
  EXPECT_GE(Since(start), milliseconds(138));
}

TEST_F(SerialPortTest, IntervalTimeOutEndsTheReadAfterAGap) {
  port_.SetTimeoutDefaults(20, 0, kLongWait, 0, 2);
  ASSERT_NE(OpenPty(), 0);
  const std::vector<BYTE> sent = Pattern(5);
  ASSERT_TRUE(pty_.Write(sent));
  const auto start = Clock::now();
  ReadResult read = ReadChunk(port_);
  EXPECT_LT(Since(start), milliseconds(kLongWait / 2));
  EXPECT_EQ(read.bytes, sent);
}

TEST_F(SerialPortTest, ImmediateModeReturnsWhatIsWaiting) {
  port_.SetTimeoutDefaults(detail::kMaxDword, 0, 0, 0, 0);
  ASSERT_NE(OpenPty(), 0);
  EXPECT_EQ(ReadChunk(port_).count, 0u);
  const std::vector<BYTE> sent = Pattern(5);
  ASSERT_TRUE(pty_.Write(sent));
  // The bytes may need a moment to cross the pair: read until they came.
  std::vector<BYTE> got;
  const auto giveUp = Clock::now() + milliseconds(kLongWait);
  while (got.size() < sent.size() && Clock::now() < giveUp) {
    ReadResult read = ReadChunk(port_);
    got.insert(got.end(), read.bytes.begin(), read.bytes.end());
  }
  EXPECT_EQ(got, sent);
}

TEST_F(SerialPortTest, TimeOutsTakeEffectAtTheNextOpen) {
  ASSERT_NE(OpenPty(), 0);
  port_.SetTimeoutDefaults(0, 0, 2 * kShortWait, 0, 2);
  auto start = Clock::now();
  EXPECT_EQ(ReadChunk(port_).count, 0u);
  const milliseconds withOldValues = Since(start);
  ASSERT_NE(OpenPty(), 0);
  start = Clock::now();
  EXPECT_EQ(ReadChunk(port_).count, 0u);
  EXPECT_GE(Since(start), milliseconds(2 * kShortWait));
  EXPECT_GE(withOldValues, milliseconds(kShortWait));
}

// The Win32 meaning of the five values, as the POSIX side waits by it.
struct PlanCase {
  detail::PortTimeouts timeouts;
  DWORD max;
  std::optional<milliseconds> total;
  std::optional<milliseconds> interval;
  bool returnOnFirstByte;
};

TEST(ReadPlanTest, FollowsTheWin32MeaningOfTheTimeOuts) {
  constexpr DWORD kMax = detail::kMaxDword;
  const PlanCase cases[] = {
      {{0, 0, 1000, 0, 2}, 64, milliseconds(1000), std::nullopt, false},
      {{0, 10, 100, 0, 0}, 64, milliseconds(740), std::nullopt, false},
      {{30, 0, 500, 0, 0}, 64, milliseconds(500), milliseconds(30), false},
      {{0, 0, 0, 0, 0}, 64, std::nullopt, std::nullopt, false},
      {{25, 0, 0, 0, 0}, 64, std::nullopt, milliseconds(25), false},
      {{kMax, 0, 0, 0, 0}, 64, milliseconds(0), std::nullopt, false},
      {{kMax, kMax, 200, 0, 0}, 64, milliseconds(200), std::nullopt, true},
      {{0, kMax, kMax, 0, 0}, kMax, milliseconds(kMax), std::nullopt, false},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.timeouts.readInterval << ", "
                 << c.timeouts.readTotalMultiplier << ", "
                 << c.timeouts.readTotalConstant << " for " << c.max);
    const detail::ReadPlan plan = detail::MakeReadPlan(c.timeouts, c.max);
    EXPECT_EQ(plan.total, c.total);
    EXPECT_EQ(plan.interval, c.interval);
    EXPECT_EQ(plan.returnOnFirstByte, c.returnOnFirstByte);
  }
}

TEST(ReadPlanTest, SilenceWithoutTotalLimitStillWaits) {
  EXPECT_EQ(detail::SilenceWait(detail::MakeReadPlan({0, 0, 0, 0, 0}, 64)),
            milliseconds(1000));
  EXPECT_EQ(detail::SilenceWait(detail::MakeReadPlan({0, 0, 70, 0, 0}, 64)),
            milliseconds(70));
}

// --- A vanished device and a closed port never spin ---------------------

// Reads `times` times and checks that each call waited out its time-out
// while the thread stayed mostly idle.
void ExpectIdleSilence(CRS232& port, int times) {
  const auto start = Clock::now();
  const double cpuStart = ThreadCpuSeconds();
  for (int i = 0; i < times; ++i) {
    const auto callStart = Clock::now();
    ReadResult read = ReadChunk(port);
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.count, 0u);
    EXPECT_GE(Since(callStart), milliseconds(kShortWait));
  }
  const double cpu = ThreadCpuSeconds() - cpuStart;
  const double wall =
      std::chrono::duration<double>(Clock::now() - start).count();
  // Waiting costs next to nothing; a spinning loop shows as a large share
  // of the wall time even on a busy machine.
  EXPECT_LT(cpu, 0.1 * wall) << "cpu " << cpu << " s of " << wall << " s";
}

TEST_F(SerialPortTest, VanishedDeviceReadsAsSilenceWithoutSpinning) {
  ASSERT_NE(OpenPty(), 0);
  ASSERT_TRUE(pty_.Write(Pattern(3)));
  ASSERT_EQ(ReadChunk(port_).count, 3u);
  pty_.CloseMaster();
  ExpectIdleSilence(port_, 5);
}

TEST_F(SerialPortTest, ClosedPortReadsAsSilenceWithoutSpinning) {
  ExpectIdleSilence(port_, 3);
  ASSERT_NE(OpenPty(), 0);
  port_.Close();
  ExpectIdleSilence(port_, 3);
}

// --- Exclusive open, close and reopen --------------------------------------

TEST_F(SerialPortTest, SecondOpenerGetsBusyUntilTheFirstCloses) {
  ASSERT_NE(OpenPty(), 0);
  CRS232 second;
  EXPECT_EQ(second.OpenDevice(pty_.SlavePath(), 9600), 0);
  EXPECT_EQ(second.LastError().kind, PortErrorKind::Busy);
  EXPECT_THAT(DescribePortError(second.LastError()),
              AllOf(HasSubstr(pty_.SlavePath()),
                    HasSubstr("another program is using")));
  port_.Close();
  EXPECT_NE(second.OpenDevice(pty_.SlavePath(), 9600), 0);
}

TEST_F(SerialPortTest, AnotherProcessGetsBusy) {
  ASSERT_NE(OpenPty(), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CRS232 other;
    int opened = other.OpenDevice(pty_.SlavePath(), 9600);
    _exit(opened == 0 && other.LastError().kind == PortErrorKind::Busy ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A program that leads a session of its own and has no terminal (as a
// launcher may start it) would take the first terminal it opens as its
// controlling terminal; a hang-up of the line (the adapter pulled out, the
// device closing its end) would then send it SIGHUP, which ends it without
// a word and loses the transfer not yet saved.
TEST_F(SerialPortTest, TheLineNeverBecomesTheProgramsControllingTerminal) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setsid();  // a session of its own, without a terminal
    CRS232 port;
    if (port.OpenDevice(pty_.SlavePath(), 9600) == 0) _exit(2);
    const bool controlled = open("/dev/tty", O_RDWR | O_NOCTTY) >= 0;
    _exit(controlled ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the line became the controlling terminal; 2: no open";
}

TEST_F(SerialPortTest, ReopenAfterCloseWorksAndLeaksNothing) {
  const std::size_t descriptors = OpenDescriptorCount();
  for (int i = 0; i < 20; ++i) {
    ASSERT_NE(OpenPty(), 0) << DescribePortError(port_.LastError());
    EXPECT_TRUE(port_.IsOpen());
    EXPECT_EQ(port_.Device(), pty_.SlavePath());
    EXPECT_EQ(port_.Close(), 1);
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_EQ(port_.Device(), "");
  }
  EXPECT_EQ(port_.Close(), 0);
  EXPECT_EQ(OpenDescriptorCount(), descriptors);

  ASSERT_NE(OpenPty(), 0);
  ASSERT_TRUE(pty_.Write(Pattern(4)));
  EXPECT_EQ(ReadChunk(port_).bytes, Pattern(4));
}

TEST_F(SerialPortTest, DestructorReleasesThePort) {
  {
    CRS232 scoped;
    ASSERT_NE(scoped.OpenDevice(pty_.SlavePath(), 9600), 0);
  }
  EXPECT_NE(OpenPty(), 0) << DescribePortError(port_.LastError());
}

TEST_F(SerialPortTest, OpeningAgainReleasesTheFirstDevice) {
  testkit::PseudoTerminal other;
  ASSERT_TRUE(other.Ok());
  ASSERT_NE(OpenPty(), 0);
  ASSERT_NE(port_.OpenDevice(other.SlavePath(), 9600), 0);
  EXPECT_EQ(port_.Device(), other.SlavePath());
  CRS232 second;
  EXPECT_NE(second.OpenDevice(pty_.SlavePath(), 9600), 0);
}

TEST_F(SerialPortTest, ShakeOnALineWithoutModemControlIsHarmless) {
  port_.Shake(5);  // closed: nothing to do
  ASSERT_NE(OpenPty(), 0);
  port_.Shake(5);
  ASSERT_TRUE(pty_.Write(Pattern(6)));
  EXPECT_EQ(ReadChunk(port_).bytes, Pattern(6));
  port_.Shake(6);
  port_.Shake(7);  // not a DTR code: ignored
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::None);
}

// --- Open errors and what the user is told --------------------------------

TEST_F(SerialPortTest, MissingDeviceSaysSoAndHowToMapAnother) {
  const std::string missing = (home_.root() / "ttyGone").string();
  EXPECT_EQ(port_.OpenDevice(missing, 9600), 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::NoDevice);
  EXPECT_THAT(
      DescribePortError(port_.LastError()),
      AllOf(HasSubstr(missing), HasSubstr("does not exist"),
            HasSubstr("[Ports]"), HasSubstr(SettingsFilePath().string())));
}

TEST_F(SerialPortTest, MappedComNumberNamesPortAndDevice) {
  const std::string missing = (home_.root() / "ttyGone").string();
  testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM7=" + missing + "\n");
  EXPECT_EQ(port_.Open(7, 9600), 0);
  const PortError& error = port_.LastError();
  EXPECT_EQ(error.kind, PortErrorKind::NoDevice);
  EXPECT_EQ(error.com, 7);
  EXPECT_EQ(error.device, missing);
  EXPECT_THAT(DescribePortError(error),
              AllOf(HasSubstr("COM7 (" + missing + ")"), HasSubstr("COM7=")));

  testkit::WriteFileText(SettingsFilePath(),
                         "[Ports]\nCOM7=" + pty_.SlavePath() + "\n");
  EXPECT_NE(port_.Open(7, 19200), 0);
  EXPECT_EQ(port_.Device(), pty_.SlavePath());
  EXPECT_EQ(pty_.SlaveSettings()->baud, 19200u);
}

TEST_F(SerialPortTest, ComNumberWithoutDeviceSaysHowToMapOne) {
  EXPECT_EQ(port_.Open(200, 9600), 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::NoDevice);
  EXPECT_EQ(port_.LastError().device, "");
  EXPECT_THAT(DescribePortError(port_.LastError()),
              AllOf(HasSubstr("COM200 has no device"), HasSubstr("COM200="),
                    HasSubstr("[Ports]")));
}

TEST_F(SerialPortTest, ComZeroIsNoPortEvenWhenMapped) {
  testkit::WriteFileText(SettingsFilePath(),
                         "[Ports]\nCOM0=" + pty_.SlavePath() + "\n");
  EXPECT_EQ(port_.Open(0, 9600), 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::NoPortSelected);
  EXPECT_THAT(DescribePortError(port_.LastError()),
              HasSubstr("No serial port is selected"));
  // The device was not touched: another opener still gets it.
  CRS232 other;
  EXPECT_NE(other.OpenDevice(pty_.SlavePath(), 9600), 0);
}

TEST_F(SerialPortTest, PathsThatAreNoSerialLineAreRefused) {
  const auto file = home_.root() / "plain.txt";
  testkit::WriteFileText(file, "not a port");
  for (const std::string& path :
       {std::string("/dev/null"), file.string(), home_.root().string()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(port_.OpenDevice(path, 9600), 0);
    EXPECT_EQ(port_.LastError().kind, PortErrorKind::NotSerial);
    EXPECT_THAT(DescribePortError(port_.LastError()),
                AllOf(HasSubstr(path), HasSubstr("not a serial line")));
  }
}

TEST_F(SerialPortTest, FailedOpenAfterASuccessfulOneLeavesThePortClosed) {
  ASSERT_NE(OpenPty(), 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::None);
  EXPECT_EQ(OpenPty(1234), 0);
  EXPECT_FALSE(port_.IsOpen());
  CRS232 other;
  EXPECT_NE(other.OpenDevice(pty_.SlavePath(), 9600), 0);
}

// Opened by a thread without privileges, so the line's permissions bind
// the superuser too.
TEST_F(SerialPortTest, LineTheUserMayNotOpenIsPermissionDenied) {
  ASSERT_EQ(chmod(pty_.SlavePath().c_str(), 0), 0);
  int opened = -1;
  ASSERT_TRUE(testkit::RunUnprivileged([&] { opened = OpenPty(); }))
      << "could not drop this thread's privileges";
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::PermissionDenied);
  EXPECT_THAT(DescribePortError(port_.LastError()), HasSubstr("dialout"));
}

TEST(PortErrorTextTest, EachReasonSaysWhatToDoInEitherLanguage) {
  struct Case {
    PortError error;
    std::vector<std::string> english;
    std::vector<std::string> polish;
  };
  const Case cases[] = {
      {{PortErrorKind::PermissionDenied, 1, "/dev/ttyS0", "Permission denied",
        9600},
       {"COM1 (/dev/ttyS0)", "permission", "\"dialout\" group",
        "log out and in"},
       {"Nie można otworzyć COM1 (/dev/ttyS0)", "odmówiono dostępu",
        "grupy \"dialout\"", "wyloguj się"}},
      {{PortErrorKind::Busy, 34, "/dev/ttyUSB1", "", 9600},
       {"COM34 (/dev/ttyUSB1)", "another program", "close that program"},
       {"COM34 (/dev/ttyUSB1)", "inny program", "zamknij ten program"}},
      {{PortErrorKind::NoDevice, 33, "/dev/ttyUSB0",
        "No such file or directory", 9600},
       {"COM33 (/dev/ttyUSB0)", "does not exist", "No such file or directory",
        "COM33=", "[Ports]"},
       {"COM33 (/dev/ttyUSB0)", "nie istnieje", "(No such file or directory)",
        "wskaż dla COM33", "COM33=/dev/ttyUSB0 w sekcji [Ports]"}},
      {{PortErrorKind::NoDevice, 200, "", "", 9600},
       {"COM200 has no device", "COM200=", "[Ports]"},
       {"Brak urządzenia dla COM200", "COM200=", "[Ports]"}},
      {{PortErrorKind::NoPortSelected, 0, "", "", 9600},
       {"No serial port is selected", "choose"},
       {"Nie wybrano portu szeregowego", "wybierz port COM"}},
      {{PortErrorKind::NotSerial, 2, "/dev/null", "", 9600},
       {"COM2 (/dev/null)", "not a serial line", "COM2="},
       {"COM2 (/dev/null)", "nie jest to łącze szeregowe", "COM2="}},
      {{PortErrorKind::BadBaudRate, 3, "/dev/ttyS2", "", 2400},
       {"COM3 (/dev/ttyS2)", "2400 baud", "4800, 9600 or 19200"},
       {"COM3 (/dev/ttyS2)", "2400 b/s", "4800, 9600 lub 19200"}},
      {{PortErrorKind::Other, 4, "/dev/ttyS3", "Input/output error", 9600},
       {"COM4 (/dev/ttyS3)", "Input/output error"},
       {"Nie można otworzyć COM4 (/dev/ttyS3): Input/output error."}},
  };
  testkit::IsolatedHome home;
  for (const Case& c : cases) {
    for (const auto& [language, says] :
         {std::pair{Language::English, c.english}, std::pair{Language::Polish, c.polish}}) {
      const std::string text = DescribePortError(c.error, language);
      SCOPED_TRACE(text);
      for (const std::string& part : says) EXPECT_THAT(text, HasSubstr(part));
      // One sentence on one line, ending in a full stop, every field filled.
      ASSERT_FALSE(text.empty());
      EXPECT_EQ(text.back(), '.');
      EXPECT_THAT(text, Not(HasSubstr("\n")));
      EXPECT_THAT(text, Not(HasSubstr("{")));
    }
  }
  EXPECT_EQ(DescribePortError(PortError{}), "");
  EXPECT_EQ(DescribePortError(PortError{}, Language::Polish), "");
}

TEST_F(SerialPortTest, ReportErrorHandsOneSentenceToTheReporter) {
  std::vector<std::string> reported;
  SetErrorReporter(
      [&](const std::string& message) { reported.push_back(message); });
  port_.ReportError();  // no failure yet: nothing to say
  EXPECT_TRUE(reported.empty());

  ASSERT_NE(OpenPty(), 0);
  CRS232 second;
  second.OpenDevice(pty_.SlavePath(), 9600);
  second.ReportError();
  SetErrorReporter([&](const std::string& message) { reported.push_back(message); },
                   Language::Polish);
  second.ReportError();
  SetErrorReporter(nullptr);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], DescribePortError(second.LastError()));
  EXPECT_THAT(reported[1], HasSubstr("ponieważ port jest używany przez inny program"));
}

TEST_F(SerialPortTest, ReportErrorWritesToStderrWithoutAReporter) {
  SetErrorReporter(nullptr);
  EXPECT_EQ(port_.Open(0, 9600), 0);
  testing::internal::CaptureStderr();
  port_.ReportError();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            DescribePortError(port_.LastError()) + "\n");
}

}  // namespace
}  // namespace zv
