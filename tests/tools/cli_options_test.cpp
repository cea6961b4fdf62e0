// Command-line parsing of zvreader-cli and zvsim.
#include "zvreader-cli/cli_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "zvsim/sim_options.h"

namespace zv::cli {
namespace {

using testing::HasSubstr;

ParseResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CliDefaults, FetchAloneIsTheDialogsFirstRun) {
  const ParseResult result = Parse({"fetch"});
  ASSERT_TRUE(result.ok()) << result.error;
  const CliOptions& o = result.options;
  EXPECT_EQ(o.command, Command::Fetch);
  EXPECT_EQ(o.modelIndex, 0);
  EXPECT_EQ(o.port, (PortChoice{1, ""}));
  EXPECT_EQ(o.portText, "COM1");
  EXPECT_EQ(o.sourceSelection, 0) << "Canon / USB";
  EXPECT_EQ(o.targetSelection, 2) << "Latin 2 (MS-DOS)";
  EXPECT_EQ(o.Baud(), 4800);
  EXPECT_FALSE(o.timeoutSeconds);
  EXPECT_FALSE(o.json);
  EXPECT_TRUE(o.output.empty());
  EXPECT_TRUE(o.raw.empty());
}

TEST(CliDefaults, BaudFollowsTheModelUnlessGiven) {
  EXPECT_EQ(Parse({"fetch", "--model", "B"}).options.Baud(), 9600);
  EXPECT_EQ(Parse({"fetch", "--model", "B", "--baud", "4800"}).options.Baud(), 4800);
  EXPECT_EQ(Parse({"fetch", "--baud", "19200", "--model", "A"}).options.Baud(), 19200);
}

// One accepted spelling and the field it sets.
struct Accepted {
  std::vector<std::string> args;
  std::function<int(const CliOptions&)> field;
  int expected;
};

TEST(CliValues, NamesAndTheDialogsListIndicesAreAccepted) {
  const auto model = [](const CliOptions& o) { return o.modelIndex; };
  const auto source = [](const CliOptions& o) { return o.sourceSelection; };
  const auto target = [](const CliOptions& o) { return o.targetSelection; };
  const auto baud = [](const CliOptions& o) { return o.Baud(); };
  const std::vector<Accepted> cases = {
      {{"--model", "A"}, model, 0},          {{"--model", "b"}, model, 1},
      {{"--model=B"}, model, 1},             {{"--model", "0"}, model, 0},
      {{"--model", "1"}, model, 1},          {{"--source", "usb"}, source, 0},
      {{"--source", "rs232"}, source, 1},    {{"--source", "RS232"}, source, 1},
      {{"--source", "0"}, source, 0},        {{"--source", "1"}, source, 1},
      {{"--target", "none"}, target, 0},     {{"--target", "mazovia"}, target, 1},
      {{"--target", "latin2"}, target, 2},   {{"--target", "windows"}, target, 3},
      {{"--target", "0"}, target, 0},        {{"--target", "3"}, target, 3},
      {{"--target=1"}, target, 1},           {{"--baud", "9600"}, baud, 9600},
      {{"--baud=19200"}, baud, 19200},       {{"--target", "utf8"}, target, kTargetUtf8},
      {{"--target", "pdf"}, target, kTargetPdf},
  };
  for (const Accepted& c : cases) {
    std::vector<std::string> args{"fetch"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ParseResult result = Parse(args);
    ASSERT_TRUE(result.ok()) << c.args.front() << ": " << result.error;
    EXPECT_EQ(c.field(result.options), c.expected) << c.args.front();
  }
}

TEST(CliValues, BadValuesAndUnknownOptionsAreUsageErrors) {
  const std::vector<std::vector<std::string>> rejected = {
      {"fetch", "--model", "C"},        {"fetch", "--model", "2"},
      {"fetch", "--model"},             {"fetch", "--source", "2"},
      {"fetch", "--source", "latin2"},  {"fetch", "--target", "4"},
      {"fetch", "--target", "-1"},      {"fetch", "--target", "utf16"},
      {"fetch", "--baud", "115200"},    {"fetch", "--baud", "1"},
      {"fetch", "--baud", "9600x"},     {"fetch", "--timeout", "0"},
      {"fetch", "--timeout", "-3"},     {"fetch", "--timeout", "soon"},
      {"fetch", "--timeout", "1e3"},    {"fetch", "--port", "COM0"},
      {"fetch", "--port", "COM257"},    {"fetch", "--port", "3"},
      {"fetch", "--port", ""},          {"fetch", "--speed", "2"},
      {"fetch", "-o", ""},              {"fetch", "--json=yes"},
      {"fetch", "stray"},               {"fetch", "--json"},
      {"convert"},                      {"convert", "a", "b"},
      {"convert", "--port", "COM1", "in"}, {"ports", "--model", "A"},
      {"ports", "extra"},               {"upload"},
      {"watch"},                        {"watch", "--out-dir", "d", "-o", "t"},
      {},                               {"--version", "fetch"},
  };
  for (const auto& args : rejected) {
    const ParseResult result = Parse(args);
    EXPECT_FALSE(result.ok()) << testing::PrintToString(args);
  }
}

TEST(CliValues, TheComplaintNamesTheOptionAndTheAcceptedValues) {
  const ParseResult result = Parse({"fetch", "--target", "utf16"});
  EXPECT_THAT(result.error, HasSubstr("--target"));
  EXPECT_THAT(result.error, HasSubstr("none|mazovia|latin2|windows|utf8"));
  EXPECT_THAT(Parse({"fetch", "--bogus"}).error, HasSubstr("--bogus"));
  EXPECT_THAT(Parse({"fetch", "--json"}).error, HasSubstr("-o"));
}

TEST(CliPorts, ComNumbersAndPaths) {
  const struct {
    const char* text;
    std::optional<PortChoice> port;
  } kCases[] = {
      {"COM1", PortChoice{1, ""}},
      {"com7", PortChoice{7, ""}},
      {"COM 12", PortChoice{12, ""}},
      {"COM256", PortChoice{256, ""}},
      {"/dev/ttyUSB0", PortChoice{0, "/dev/ttyUSB0"}},
      {"\\\\.\\COM3", PortChoice{0, "\\\\.\\COM3"}},
      {"COMPORT", PortChoice{0, "COMPORT"}},
      {"COM0", std::nullopt},
      {"COM257", std::nullopt},
      {"5", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParsePort(c.text), c.port) << c.text;
}

TEST(CliCommands, EachSubcommandTakesItsOwnOptions) {
  const ParseResult fetch =
      Parse({"fetch", "--port", "/dev/pts/4", "-o", "out.txt", "--raw", "raw.bin",
             "--timeout", "2.5", "--json", "--target", "windows", "--source", "rs232"});
  ASSERT_TRUE(fetch.ok()) << fetch.error;
  EXPECT_EQ(fetch.options.port, (PortChoice{0, "/dev/pts/4"}));
  EXPECT_EQ(fetch.options.portText, "/dev/pts/4");
  EXPECT_EQ(fetch.options.output, "out.txt");
  EXPECT_EQ(fetch.options.raw, "raw.bin");
  EXPECT_DOUBLE_EQ(fetch.options.timeoutSeconds.value_or(0), 2.5);
  EXPECT_TRUE(fetch.options.json);

  const ParseResult convert = Parse({"convert", "--model", "B", "~ZVB.tmp", "-o", "t.txt"});
  ASSERT_TRUE(convert.ok()) << convert.error;
  EXPECT_EQ(convert.options.command, Command::Convert);
  EXPECT_EQ(convert.options.input, "~ZVB.tmp");
  EXPECT_EQ(convert.options.output, "t.txt");

  const ParseResult dashInput = Parse({"convert", "--", "-odd-name"});
  ASSERT_TRUE(dashInput.ok()) << dashInput.error;
  EXPECT_EQ(dashInput.options.input, "-odd-name");

  EXPECT_EQ(Parse({"ports"}).options.command, Command::Ports);
}

TEST(CliCommands, HelpAndVersion) {
  EXPECT_TRUE(Parse({"--version"}).options.version);
  EXPECT_TRUE(Parse({"--help"}).options.help);
  for (const char* command : {"fetch", "convert", "ports"}) {
    const ParseResult result = Parse({command, "--help"});
    ASSERT_TRUE(result.ok()) << command;
    EXPECT_TRUE(result.options.help);
    EXPECT_THAT(Usage(result.options.command), HasSubstr(std::string("zvreader-cli ") + command));
  }
  EXPECT_TRUE(Parse({"convert", "-h"}).ok()) << "help needs no input file";
  const std::string fetchUsage = Usage(Command::Fetch);
  for (const char* option : {"--model", "--port", "--baud", "--source", "--target", "-o, --output FILE",
                             "--raw", "--timeout", "--json"}) {
    EXPECT_THAT(fetchUsage, HasSubstr(option));
  }
}

}  // namespace
}  // namespace zv::cli

namespace zv::sim {
namespace {

SimParse Parse(std::vector<std::string> args) { return ParseSimOptions(args); }

TEST(SimOptions, DefaultsPerModel) {
  const SimParse a = Parse({"--model", "A"});
  ASSERT_TRUE(a.ok()) << a.error;
  EXPECT_EQ(a.options.Baud(), 4800u);
  EXPECT_EQ(a.options.tests, 5);
  EXPECT_EQ(a.options.deviceCode, kCodeLatin2);
  EXPECT_DOUBLE_EQ(a.options.speed, 1.0);
  EXPECT_FALSE(a.options.once);
  EXPECT_EQ(Parse({"--model", "B"}).options.Baud(), 9600u);
}

TEST(SimOptions, Values) {
  const SimParse parsed = Parse({"--model", "B", "--tests", "255", "--baud", "19200", "--speed",
                                 "50", "--link", "/tmp/l", "--once", "--seed", "9",
                                 "--device-code", "rs232", "--dump", "d.bin"});
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  const SimOptions& o = parsed.options;
  EXPECT_EQ(o.tests, 255);
  EXPECT_EQ(o.Baud(), 19200u);
  EXPECT_DOUBLE_EQ(o.speed, 50);
  EXPECT_EQ(o.link, "/tmp/l");
  EXPECT_TRUE(o.once);
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.deviceCode, kCodeMazovia);
  EXPECT_EQ(o.dump, "d.bin");
}

TEST(SimOptions, Rejected) {
  const std::vector<std::vector<std::string>> rejected = {
      {},
      {"--tests", "3"},
      {"--model", "C"},
      {"--model", "A", "--tests", "256"},
      {"--model", "A", "--tests", "-1"},
      {"--model", "A", "--baud", "2400"},
      {"--model", "A", "--speed", "0"},
      {"--model", "A", "--device-code", "latin2"},
      {"--model", "A", "--seed", "x"},
      {"--model", "A", "extra"},
  };
  for (const auto& args : rejected) {
    EXPECT_FALSE(Parse(args).ok()) << testing::PrintToString(args);
  }
  EXPECT_TRUE(Parse({"--help"}).options.help) << "help needs no model";
}

}  // namespace
}  // namespace zv::sim
