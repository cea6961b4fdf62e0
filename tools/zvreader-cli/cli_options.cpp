#include "zvreader-cli/cli_options.h"

#include <array>
#include <cctype>

#include "common/option_table.h"
#include "transfer/transfer_review.h"

namespace zv::cli {
namespace {

using tools::Choice;
using Option = tools::OptionSpec<CliOptions>;

constexpr int kModelB = 1;

constexpr std::array<Choice, 4> kModels{{{"A", 0}, {"B", 1}, {"0", 0}, {"1", 1}}};
constexpr std::array<Choice, 4> kSources{{{"usb", 0}, {"rs232", 1}, {"0", 0}, {"1", 1}}};
constexpr std::array<Choice, 10> kTargets{{{"none", 0},
                                          {"mazovia", 1},
                                          {"latin2", 2},
                                          {"windows", 3},
                                          {"utf8", kTargetUtf8},
                                          {"pdf", kTargetPdf},
                                          {"0", 0},
                                          {"1", 1},
                                          {"2", 2},
                                          {"3", 3}}};
constexpr std::array<int, 3> kBaudRates{4800, 9600, 19200};

std::string NotEmpty(std::string_view value, std::string& field) {
  if (value.empty()) return "needs a file name";
  field = value;
  return {};
}

// Each option once; the subcommands' tables pick from these.
const Option kHelp{"--help", "-h", "", [](CliOptions& o, std::string_view) {
                   o.help = true;
                   return std::string();
                 },
                 "show this help"};
const Option kModel{"--model", "", "A|B", [](CliOptions& o, std::string_view v) {
                    o.modelGiven = true;
                    return tools::PickChoice(kModels, v, o.modelIndex);
                  },
                  "ZORVEL model, default A (or 0, 1)"};
const Option kPort{"--port", "", "COMn|PATH", [](CliOptions& o, std::string_view v) {
                   const auto port = ParsePort(v);
                   if (!port) return "'" + std::string(v) + "' is neither COM1...COM256 nor a path";
                   o.port = *port;
                   o.portText = v;
                   return std::string();
                 },
                 "COM number, mapped as in the dialog (default COM1), or device path"};
const Option kBaud{"--baud", "", "4800|9600|19200", [](CliOptions& o, std::string_view v) {
                   const auto rate = tools::ParseInteger(v, 0, 1'000'000);
                   for (int baud : kBaudRates) {
                     if (rate && *rate == baud) {
                       o.baud = baud;
                       return std::string();
                     }
                   }
                   return "'" + std::string(v) + "' is not one of 4800|9600|19200";
                 },
                 "line speed (default 4800 for A, 9600 for B)"};
const Option kSource{"--source", "", "usb|rs232", [](CliOptions& o, std::string_view v) {
                     return tools::PickChoice(kSources, v, o.sourceSelection);
                   },
                   "device's code page, default usb (\"Canon / USB\"), or 0..1"};
const Option kTarget{"--target", "", "none|mazovia|latin2|windows|utf8|pdf",
                   [](CliOptions& o, std::string_view v) {
                     return tools::PickChoice(kTargets, v, o.targetSelection);
                   },
                   "code page of the text, default latin2, or 0..3; utf8: UTF-8; pdf: PDF"};
const Option kOutput{"--output", "-o", "FILE", [](CliOptions& o, std::string_view v) {
                     return NotEmpty(v, o.output);
                   },
                   "write the text to FILE, not standard output"};
const Option kRaw{"--raw", "", "FILE", [](CliOptions& o, std::string_view v) {
                  return NotEmpty(v, o.raw);
                },
                "also write the raw bytes to FILE"};
const Option kTimeout{"--timeout", "", "SECONDS", [](CliOptions& o, std::string_view v) {
                      o.timeoutSeconds = tools::ParsePositive(v);
                      if (!o.timeoutSeconds) return "'" + std::string(v) + "' is not a number of seconds";
                      return std::string();
                    },
                    "stop when no header has come after SECONDS"};
std::string SetJson(CliOptions& o, std::string_view) {
  o.json = true;
  return {};
}

const Option kJson{"--json", "", "", SetJson,
                   "one-line JSON summary on standard output (needs -o)"};

const std::array<Option, 10> kFetchOptions{kModel, kPort,   kBaud,    kSource, kTarget,
                                         kOutput, kRaw,   kTimeout, kJson,   kHelp};
const Option kJsonLines{"--json", "", "", SetJson, "one JSON object per transfer and line"};

const Option kOutDir{"--out-dir", "", "DIR", [](CliOptions& o, std::string_view v) {
                     return NotEmpty(v, o.outDir);
                   },
                   "write the text of each transfer into DIR (required)"};

const std::array<Option, 5> kConvertOptions{kModel, kSource, kTarget, kOutput, kHelp};
const std::array<Option, 2> kArchiveOptions{kJsonLines, kHelp};
const std::array<Option, 8> kWatchOptions{kModel,  kPort,   kBaud,      kSource,
                                          kTarget, kOutDir, kJsonLines, kHelp};
const Option kJsonPorts{"--json", "", "", SetJson, "one JSON object per port and line"};
const std::array<Option, 2> kPortsOptions{kJsonPorts, kHelp};

struct CommandEntry {
  std::string_view name;
  Command command;
  std::span<const Option> options;
  std::string_view synopsis;
  std::string_view description;
};

const std::array<CommandEntry, 5> kCommands{{
    {"fetch", Command::Fetch, kFetchOptions,
     "zvreader-cli fetch [--model A|B] [--port COMn|PATH] [--baud RATE] [--source usb|rs232]\n"
     "                   [--target none|mazovia|latin2|windows|utf8|pdf] [-o FILE] [--raw FILE]\n"
     "                   [--timeout SECONDS] [--json]",
     "Receives the stored tests from the spirometer, keeps the raw bytes in the\n"
     "model's temporary file and in the archive, and writes the cleaned text.\n"
     "Ctrl-C stops the transfer and keeps what came.\n"
     "--target utf8 writes UTF-8, the Polish letters decoded from the device's\n"
     "code page (--source); --target pdf lays that text out on A4 pages.\n"
     "Exit status: 0 received and written, 1 port or file error, 2 usage error,\n"
     "3 nothing received."},
    {"convert", Command::Convert, kConvertOptions,
     "zvreader-cli convert [--model A|B] [--source usb|rs232]\n"
     "                     [--target none|mazovia|latin2|windows|utf8|pdf] IN [-o OUT]",
     "Cleans a raw dump (for example ~ZVB.tmp or a file of the archive) and\n"
     "converts its Polish letters. The model of an archived transfer comes from\n"
     "its name unless --model is given; a bare archive name such as\n"
     "2026-12-08_101503_ZVB.raw is looked for in the archive.\n"
     "Exit status: 0 written, 1 file error, 2 usage error."},
    {"archive", Command::Archive, kArchiveOptions, "zvreader-cli archive [--json]",
     "Lists the transfers kept in the archive, oldest first: time, model, bytes,\n"
     "tests counted of announced, file. The archive keeps the last 500 transfers\n"
     "or those of the last 90 days, whichever are more.\n"
     "Exit status: 0 listed, 1 a file could not be read."},
    {"watch", Command::Watch, kWatchOptions,
     "zvreader-cli watch [--model A|B] [--port COMn|PATH] [--baud RATE] [--source usb|rs232]\n"
     "                   [--target none|mazovia|latin2|windows|utf8|pdf] --out-dir DIR [--json]",
     "Keeps the port open and files every transfer the device sends, without\n"
     "START: each one (a header, then the stream until the line falls silent for\n"
     "a second) is kept in the archive and its text is written to\n"
     "DIR/<date>_<time>_ZV<model>_<n>tests.txt (.pdf with --target pdf), with one\n"
     "line on standard output.\n"
     "A port that is missing or vanishes is tried again every 3 seconds.\n"
     "Ctrl-C (or SIGTERM) ends it and keeps a transfer under way.\n"
     "Exit status: 0 stopped, 1 DIR cannot be used, 2 usage error."},
    {"ports", Command::Ports, kPortsOptions, "zvreader-cli ports [--json]",
     "Lists the COM numbers whose device is present: COM n<TAB>device, then the\n"
     "adapter's own description and its stable /dev/serial/by-id/ link where the\n"
     "system knows them. --json gives com, device, description, manufacturer and\n"
     "by_id, null where unknown."},
}};

const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

const CommandEntry* EntryFor(Command command) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.command == command) return &entry;
  }
  return nullptr;
}

// Rules that involve more than one option or the positional arguments.
std::string CheckCombination(CliOptions& options, const std::vector<std::string>& positional) {
  if (options.help) return {};
  if (options.command == Command::Convert) {
    if (positional.size() != 1) return "convert needs exactly one input file";
    options.input = positional.front();
    return {};
  }
  if (!positional.empty()) return "unexpected argument '" + positional.front() + "'";
  if (options.command == Command::Watch && options.outDir.empty()) {
    return "watch needs --out-dir DIR for the texts";
  }
  if (options.command == Command::Fetch && options.json && options.output.empty()) {
    return "--json prints on standard output: give the text a file with -o";
  }
  return {};
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

int CliOptions::Baud() const {
  return baud ? *baud : UsualBaud(modelIndex);
}

std::optional<PortChoice> ParsePort(std::string_view text) {
  if (text.empty() || IsDigits(text)) return std::nullopt;
  const bool comPrefix = text.size() > 3 && std::toupper(static_cast<unsigned char>(text[0])) == 'C' &&
                         std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
                         std::toupper(static_cast<unsigned char>(text[2])) == 'M';
  if (comPrefix) {
    std::string_view number = text.substr(3);
    if (!number.empty() && number.front() == ' ') number.remove_prefix(1);
    if (IsDigits(number)) {
      const auto com = tools::ParseInteger(number, 1, 256);
      if (!com) return std::nullopt;
      return PortChoice{static_cast<int>(*com), {}};
    }
  }
  return PortChoice{0, std::string(text)};
}

ParseResult ParseCommandLine(std::span<const std::string> args) {
  ParseResult result;
  CliOptions& options = result.options;
  if (args.empty()) {
    result.error = "no command given";
    return result;
  }
  const std::string& first = args.front();
  if (args.size() == 1 && (first == "--help" || first == "-h")) {
    options.help = true;
    return result;
  }
  if (args.size() == 1 && first == "--version") {
    options.version = true;
    return result;
  }
  const CommandEntry* entry = FindCommand(first);
  if (!entry) {
    result.error = "unknown command '" + first + "'";
    return result;
  }
  options.command = entry->command;
  auto parsed = tools::ParseArguments(entry->options, args.subspan(1), options);
  result.error = parsed.error.empty() ? CheckCombination(options, parsed.positional)
                                      : parsed.error;
  return result;
}

std::string Usage(Command command) {
  const CommandEntry* entry = EntryFor(command);
  if (!entry) {
    return "Usage: zvreader-cli COMMAND [OPTIONS]\n"
           "Fetches the stored tests of a ZORVEL A or B spirometer without the dialog.\n\n"
           "Commands:\n"
           "  fetch    receive the tests from the device and write the text\n"
           "  convert  clean and convert a raw dump\n"
           "  archive  list the transfers kept in the archive\n"
           "  watch    file every transfer the device sends, until Ctrl-C\n"
           "  ports    list the COM ports present\n\n"
           "zvreader-cli COMMAND --help shows a command's options; --version the version.\n";
  }
  return "Usage: " + std::string(entry->synopsis) + "\n" + std::string(entry->description) +
         "\n\nOptions:\n" + tools::OptionsHelp(entry->options);
}

std::string_view ModelName(int modelIndex) { return modelIndex == kModelB ? "B" : "A"; }

}  // namespace zv::cli
