// zvsim and zvreader-cli as processes over a real pseudo-terminal: what the
// simulated device sends arrives in the raw dump byte for byte, is counted,
// cleaned and summed up, and Stop, time-outs, wrong baud rates and missing
// devices end as a user of the command line expects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "kit/convert_reference.h"
#include "kit/pdf_oracle.h"
#include "kit/pty.h"
#include "kit/temp_env.h"
#include "support/paths.h"
#include "support/rs232.h"
#include "tools/child_process.h"
#include "transfer/receive.h"
#include "transfer/utf8_text.h"
#include "zv_version.h"
#include "zvsim/report_generator.h"
#include "zvsim/serial_line.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::ChildProcess;
using testkit::ReadFileBytes;
using testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;
using std::chrono::seconds;

constexpr auto kStartUp = seconds(10);
constexpr auto kTransfer = seconds(30);

Bytes Read(const fs::path& path) {
  const auto bytes = ReadFileBytes(path);
  return Bytes(bytes.begin(), bytes.end());
}

// The text the reader must write: the clean-up rules applied literally.
Bytes Converted(const Bytes& bytes, int model, int target, int source) {
  return testkit::ReferenceConvert(bytes, model, target, source);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Each test runs with its own settings and raw-dump folders and in English
// unless it asks for Polish.
class ToolsEndToEnd : public testing::Test {
 protected:
  ToolsEndToEnd() : language_("LANGUAGE", "en") {}

  fs::path Temp(const std::string& name) const { return home_.root() / name; }

  // Starts zvsim and returns it once it has printed its device path.
  std::unique_ptr<ChildProcess> StartSimulator(std::vector<std::string> args) {
    args.insert(args.begin(), ZVSIM_PATH);
    auto simulator = std::make_unique<ChildProcess>(args);
    EXPECT_TRUE(simulator->Started());
    const auto path = simulator->ReadLine(kStartUp);
    EXPECT_TRUE(path) << simulator->Error();
    device_ = path.value_or("");
    return simulator;
  }

  static std::unique_ptr<ChildProcess> StartReader(std::vector<std::string> args) {
    args.insert(args.begin(), ZVREADER_CLI_PATH);
    auto reader = std::make_unique<ChildProcess>(args);
    EXPECT_TRUE(reader->Started());
    return reader;
  }

  static int Finish(ChildProcess& process) {
    const auto status = process.Wait(kTransfer);
    EXPECT_TRUE(status) << "still running: " << process.Error();
    return status.value_or(-1);
  }

  testkit::IsolatedHome home_;
  testkit::ScopedEnv language_;
  std::string device_;
};

struct Transfer {
  int model;
  int tests;
  const char* deviceCode;  // zvsim --device-code
  const char* source;      // zvreader-cli --source
  int sourceSelection;
  const char* target;
  int targetSelection;
};

void PrintTo(const Transfer& t, std::ostream* out) {
  *out << (t.model == kModelB ? "B" : "A") << " " << t.tests << " tests " << t.deviceCode << "→"
       << t.source << "→" << t.target;
}

class WholeTransfer : public ToolsEndToEnd, public testing::WithParamInterface<Transfer> {};

TEST_P(WholeTransfer, RawDumpTextCountAndSummaryMatchWhatTheDeviceSent) {
  const Transfer t = GetParam();
  const std::string model = t.model == kModelB ? "B" : "A";
  auto simulator = StartSimulator({"--model", model, "--tests", std::to_string(t.tests), "--speed",
                                   "50", "--once", "--seed", "17", "--device-code", t.deviceCode,
                                   "--dump", Temp("sent.bin").string()});
  auto reader = StartReader({"fetch", "--model", model, "--port", device_, "--source", t.source,
                             "--target", t.target, "-o", Temp("tests.txt").string(), "--raw",
                             Temp("copy.bin").string(), "--json"});
  ASSERT_EQ(Finish(*reader), 0) << reader->Error();
  EXPECT_EQ(Finish(*simulator), 0) << simulator->Error();

  const UINT code = std::string(t.deviceCode) == "rs232" ? kCodeMazovia : kCodeLatin2;
  const Bytes report = sim::MakeReport({t.model, t.tests, 17, code});
  const fs::path dump = RawDumpPath(t.model);
  EXPECT_EQ(Read(Temp("sent.bin")), report);
  EXPECT_EQ(Read(dump), report) << "the raw dump holds exactly what was sent";
  EXPECT_EQ(Read(Temp("copy.bin")), report);
  const Bytes text = Converted(report, t.model, t.targetSelection, t.sourceSelection);
  EXPECT_EQ(Read(Temp("tests.txt")), text);

  const std::string summary =
      "{\"model\":\"" + model + "\",\"port\":" + Quoted(device_) + ",\"device\":" +
      Quoted(device_) + ",\"baud\":" + (t.model == kModelB ? "9600" : "4800") +
      ",\"bytes_received\":" + std::to_string(report.size()) +
      ",\"expected_tests\":" + std::to_string(t.tests) +
      ",\"counted_tests\":" + std::to_string(t.tests) + ",\"stopped\":false,\"raw_file\":" +
      Quoted(dump.string()) + ",\"output_file\":" + Quoted(Temp("tests.txt").string()) +
      ",\"output_bytes\":" + std::to_string(text.size()) + ",\"garbled\":false}\n";
  EXPECT_EQ(reader->Output(), summary);
  EXPECT_THAT(reader->Error(), testing::Not(HasSubstr("garbled")));
  EXPECT_THAT(reader->Error(), HasSubstr("Waiting for transmission\n"));
  char last[32];
  std::snprintf(last, sizeof last, "Transmited test: %d / %02d\n", t.tests, t.tests);
  EXPECT_THAT(reader->Error(), HasSubstr(last));
}

INSTANTIATE_TEST_SUITE_P(
    BothModels, WholeTransfer,
    testing::Values(Transfer{kModelA, 4, "usb", "usb", 0, "latin2", 2},
                    Transfer{kModelB, 4, "usb", "usb", 0, "latin2", 2},
                    Transfer{kModelB, 3, "rs232", "1", 1, "windows", 3}));

TEST_F(ToolsEndToEnd, ConvertGivesTheSameTextAsFetch) {
  const Bytes report = sim::MakeReport({kModelB, 3, 5, kCodeMazovia});
  testkit::WriteFileText(Temp("raw.bin"), std::string(report.begin(), report.end()));
  auto toFile = StartReader({"convert", "--model", "B", "--source", "rs232", "--target", "mazovia",
                             Temp("raw.bin").string(), "-o", Temp("out.txt").string()});
  EXPECT_EQ(Finish(*toFile), 0) << toFile->Error();
  EXPECT_EQ(Read(Temp("out.txt")), Converted(report, kModelB, 1, 1));

  auto toStdout = StartReader({"convert", "--model", "1", "--target", "0", Temp("raw.bin").string()});
  EXPECT_EQ(Finish(*toStdout), 0) << toStdout->Error();
  const Bytes plain = Converted(report, kModelB, 0, 0);
  EXPECT_EQ(toStdout->Output(), std::string(plain.begin(), plain.end()));

  auto missing = StartReader({"convert", Temp("absent.bin").string()});
  EXPECT_EQ(Finish(*missing), 1);
  EXPECT_THAT(missing->Error(), HasSubstr("absent.bin"));
}

// The PDF holds the text of --target utf8, also over five pages.
TEST_F(ToolsEndToEnd, ConvertToPdfLaysOutTheUtf8Text) {
  // --source 0: usb (Latin 2), 1: rs232 (Mazovia).
  const struct { int model, sourceSelection, tests; } cases[] = {
      {kModelA, 0, 4}, {kModelB, 0, 4}, {kModelB, 1, 4}, {kModelB, 0, 20}};
  for (const auto& c : cases) {
    const UINT code = c.sourceSelection == 1 ? kCodeMazovia : kCodeLatin2;
    Bytes text = sim::MakeReport({c.model, c.tests, 3, code});
    testkit::WriteFileText(Temp("raw.bin"), std::string(text.begin(), text.end()));
    auto reader = StartReader({"convert", "--model", c.model == kModelB ? "B" : "A", "--source",
                               std::to_string(c.sourceSelection), "--target", "pdf",
                               Temp("raw.bin").string(), "-o", Temp("report.pdf").string()});
    ASSERT_EQ(Finish(*reader), 0) << reader->Error();
    ConvertBufferToUtf8(text, c.model, c.sourceSelection);
    EXPECT_EQ(testkit::PdfShowsText(Temp("report.pdf"), std::string(text.begin(), text.end())), "");
  }
}

TEST_F(ToolsEndToEnd, ComNumberGoesThroughTheSettingsMapping) {
  auto simulator = StartSimulator({"--model", "A", "--tests", "2", "--speed", "50", "--once"});
  testkit::WriteFileText(SettingsFilePath(), "[Ports]\nCOM7=" + device_ + "\n");
  auto ports = StartReader({"ports"});
  EXPECT_EQ(Finish(*ports), 0);
  EXPECT_THAT(ports->Output(), HasSubstr("COM 7\t" + device_ + "\n"));
  auto portsJson = StartReader({"ports", "--json"});
  EXPECT_EQ(Finish(*portsJson), 0);
  EXPECT_THAT(portsJson->Output(),
              HasSubstr("{\"com\":7,\"device\":" + Quoted(device_) +
                        ",\"description\":null,\"manufacturer\":null,\"by_id\":null}\n"))
      << "a pseudo-terminal has no adapter to describe";

  auto reader = StartReader({"fetch", "--port", "COM7"});
  EXPECT_EQ(Finish(*reader), 0) << reader->Error();
  const Bytes report = sim::MakeReport({kModelA, 2, 1, kCodeLatin2});
  const Bytes text = Converted(report, kModelA, 2, 0);
  EXPECT_EQ(reader->Output(), std::string(text.begin(), text.end())) << "text on stdout";
  EXPECT_EQ(Read(RawDumpPath(kModelA)), report);
  EXPECT_EQ(Finish(*simulator), 0);
}

TEST_F(ToolsEndToEnd, CtrlCWhileWaitingEndsWithNothingReceived) {
  testkit::PseudoTerminal silentDevice;
  ASSERT_TRUE(silentDevice.Ok()) << silentDevice.Error();
  auto reader = StartReader({"fetch", "--model", "B", "--port", silentDevice.SlavePath(), "-o",
                             Temp("tests.txt").string(), "--json"});
  ASSERT_TRUE(reader->WaitForError("Waiting for transmission", kStartUp)) << reader->Error();
  reader->Signal(SIGINT);
  EXPECT_EQ(Finish(*reader), 3) << reader->Error();
  EXPECT_THAT(reader->Error(), HasSubstr("Nothing was received"));
  EXPECT_THAT(reader->Output(), HasSubstr("\"bytes_received\":0,\"expected_tests\":null,"
                                          "\"counted_tests\":0,\"stopped\":true,"
                                          "\"raw_file\":null,\"output_file\":null"));
  EXPECT_FALSE(fs::exists(RawDumpPath(kModelB)));
  EXPECT_FALSE(fs::exists(Temp("tests.txt")));
}

TEST_F(ToolsEndToEnd, TimeOutWithoutAHeaderActsAsStop) {
  testkit::PseudoTerminal silentDevice;
  ASSERT_TRUE(silentDevice.Ok()) << silentDevice.Error();
  ASSERT_TRUE(silentDevice.Write("ZV-"));  // fewer bytes than a header
  auto reader = StartReader({"fetch", "--port", silentDevice.SlavePath(), "--timeout", "0.5",
                             "-o", Temp("tests.txt").string(), "--json"});
  EXPECT_EQ(Finish(*reader), 0) << reader->Error();
  EXPECT_THAT(reader->Output(), HasSubstr("\"bytes_received\":3,\"expected_tests\":null,"
                                          "\"counted_tests\":0,\"stopped\":true"));
  EXPECT_EQ(Read(RawDumpPath(kModelA)), (Bytes{'Z', 'V', '-'})) << "what came is kept";
}

TEST_F(ToolsEndToEnd, CtrlCDuringATransferKeepsWhatCame) {
  // 30 tests at 1920 bytes a second take several seconds.
  auto simulator = StartSimulator({"--model", "B", "--tests", "30", "--baud", "19200", "--once",
                                   "--dump", Temp("sent.bin").string()});
  testkit::ScopedEnv polish("LANGUAGE", "pl");
  auto reader = StartReader({"fetch", "--model", "B", "--baud", "19200", "--port", device_, "-o",
                             Temp("tests.txt").string(), "--json"});
  ASSERT_TRUE(reader->WaitForError("Przetransmitowano badań: 2 / 30", kTransfer))
      << reader->Error();
  reader->Signal(SIGINT);
  EXPECT_EQ(Finish(*reader), 0) << reader->Error();
  EXPECT_EQ(Finish(*simulator), 0) << "the device notices the reader leave";

  const Bytes raw = Read(RawDumpPath(kModelB));
  const Bytes report = sim::MakeReport({kModelB, 30, 1, kCodeLatin2});
  ASSERT_GT(raw.size(), 0u);
  ASSERT_LT(raw.size(), report.size());
  EXPECT_TRUE(std::equal(raw.begin(), raw.end(), report.begin())) << "a prefix of the report";
  const Bytes sent = Read(Temp("sent.bin"));
  EXPECT_TRUE(std::equal(raw.begin(), raw.end(), sent.begin())) << "nothing lost on the way";
  EXPECT_EQ(Read(Temp("tests.txt")), Converted(raw, kModelB, 2, 0));
  const auto counted = std::count(raw.begin() + 10, raw.end(), 0x19);
  EXPECT_THAT(reader->Output(),
              HasSubstr("\"bytes_received\":" + std::to_string(raw.size()) +
                        ",\"expected_tests\":30,\"counted_tests\":" + std::to_string(counted) +
                        ",\"stopped\":true"));
}

// The device sends at 9600 baud to a reader listening at 4800: what
// arrives is the line's garbling of the report, whose own header then
// announces a count, so the transfer ends by silence like any other. The
// reader says the text looks garbled and why, and keeps every byte.
TEST_F(ToolsEndToEnd, AWrongBaudRateGarblesTheBytesWithoutHarm) {
  auto simulator = StartSimulator({"--model", "B", "--speed", "20", "--once", "--dump",
                                   Temp("sent.bin").string()});
  auto reader = StartReader({"fetch", "--model", "B", "--baud", "4800", "--port", device_, "-o",
                             Temp("tests.txt").string(), "--timeout", "5", "--json"});
  EXPECT_EQ(Finish(*reader), 0) << reader->Error();
  EXPECT_THAT(reader->Error(),
              HasSubstr("\nThe text looks garbled: the device may be set to another speed than "
                        "the 4800 b/s chosen. ZORVEL B usually sends at 9600 b/s.\n"));
  EXPECT_THAT(reader->Output(), HasSubstr(",\"garbled\":true}\n"));
  EXPECT_EQ(Finish(*simulator), 0) << simulator->Error();

  Bytes garbled;
  for (const sim::Arrival& arrival :
       sim::TransmitOverLine(sim::MakeReport({kModelB, 5, 1, kCodeLatin2}), 9600, 4800))
    garbled.push_back(arrival.byte);
  ASSERT_GE(garbled.size(), kHeaderSize);
  EXPECT_EQ(Read(Temp("sent.bin")), garbled);
  const Bytes raw = Read(RawDumpPath(kModelB));
  EXPECT_EQ(raw, garbled) << "the garbled bytes are kept as they came";
  EXPECT_EQ(Read(Temp("tests.txt")), Converted(raw, kModelB, 2, 0));
}

TEST_F(ToolsEndToEnd, AMissingDeviceIsReportedAndExitsWith1) {
  const std::string missing = Temp("no-such-tty").string();
  auto reader = StartReader({"fetch", "--port", missing, "-o", Temp("tests.txt").string()});
  EXPECT_EQ(Finish(*reader), 1);
  EXPECT_THAT(reader->Error(), HasSubstr(missing));
  CRS232 port;
  ASSERT_FALSE(port.OpenDevice(missing, 4800));
  EXPECT_EQ(reader->Error(), DescribePortError(port.LastError()) + "\n")
      << "the same sentence as the dialog's message box, and nothing else";
  EXPECT_FALSE(fs::exists(Temp("tests.txt")));
}

TEST_F(ToolsEndToEnd, AnUnwritableOutputExitsWith1ButKeepsTheRawDump) {
  auto simulator = StartSimulator({"--model", "A", "--tests", "1", "--speed", "50", "--once"});
  const std::string output = Temp("missing-folder/tests.txt").string();
  auto reader = StartReader({"fetch", "--port", device_, "-o", output});
  EXPECT_EQ(Finish(*reader), 1);
  EXPECT_THAT(reader->Error(), HasSubstr("cannot write " + output));
  EXPECT_EQ(Read(RawDumpPath(kModelA)), sim::MakeReport({kModelA, 1, 1, kCodeLatin2}));
  EXPECT_EQ(Finish(*simulator), 0);
}

TEST_F(ToolsEndToEnd, UsageErrorsVersionAndHelp) {
  auto bad = StartReader({"fetch", "--model", "C"});
  EXPECT_EQ(Finish(*bad), 2);
  EXPECT_THAT(bad->Error(), HasSubstr("Usage: zvreader-cli fetch"));

  auto version = StartReader({"--version"});
  EXPECT_EQ(Finish(*version), 0);
  EXPECT_EQ(version->Output(), std::string("zvreader-cli ") + ZV_VERSION_STRING + "\n");

  auto help = StartReader({"convert", "--help"});
  EXPECT_EQ(Finish(*help), 0);
  EXPECT_THAT(help->Output(), HasSubstr("Usage: zvreader-cli convert"));

  auto simulatorUsage = std::make_unique<ChildProcess>(std::vector<std::string>{ZVSIM_PATH, "--tests", "3"});
  EXPECT_EQ(Finish(*simulatorUsage), 2);
  EXPECT_THAT(simulatorUsage->Error(), HasSubstr("--model"));
}

TEST_F(ToolsEndToEnd, APlayedFileArrivesUnchangedAfterAProbeOfTheDevice) {
  std::string played = "\x1B@ZV-A 01\r\nTest Number: 001 ....................\r\n";
  played += std::string("\x00\xB3\xFF\x19", 4);
  testkit::WriteFileText(Temp("played.bin"), played);
  auto simulator = StartSimulator({"--model", "A", "--play", Temp("played.bin").string(),
                                   "--once", "--speed", "10"});
  // Something that only opens and closes the device is not the reader
  // --once waits for.
  const int probe = open(device_.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(probe, 0);
  ASSERT_TRUE(simulator->WaitForError("a reader opened the device", kStartUp));
  close(probe);
  ASSERT_TRUE(simulator->WaitForError("left before the device answered", kStartUp));
  auto reader = StartReader({"fetch", "--port", device_, "--json", "-o", Temp("t.txt").string()});
  EXPECT_EQ(Finish(*reader), 0) << reader->Error();
  EXPECT_EQ(testkit::ReadFileText(RawDumpPath(kModelA)), played);
  EXPECT_THAT(reader->Output(), HasSubstr("\"expected_tests\":1,\"counted_tests\":1,"));
  EXPECT_EQ(Finish(*simulator), 0);
}

TEST_F(ToolsEndToEnd, TheSimulatorsLinkLastsWhileItRuns) {
  const fs::path link = Temp("zvsim-tty");
  auto simulator = StartSimulator({"--model", "A", "--link", link.string()});
  EXPECT_EQ(fs::read_symlink(link), device_);
  simulator->Signal(SIGTERM);
  EXPECT_EQ(Finish(*simulator), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(ToolsEndToEnd, TheSimulatorServesOneReaderAfterAnother) {
  auto simulator = StartSimulator({"--model", "A", "--tests", "1", "--speed", "50"});
  for (int round = 0; round < 2; ++round) {
    auto reader = StartReader({"fetch", "--port", device_, "--raw", Temp("copy.bin").string()});
    EXPECT_EQ(Finish(*reader), 0) << reader->Error();
    EXPECT_EQ(Read(Temp("copy.bin")), sim::MakeReport({kModelA, 1, 1, kCodeLatin2})) << round;
  }
  simulator->Signal(SIGINT);
  EXPECT_EQ(Finish(*simulator), 0);
}

}  // namespace
}  // namespace zv
