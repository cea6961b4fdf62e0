#include "zvsim/sim_options.h"

#include <array>
#include <limits>

#include "common/option_table.h"
#include "support/plcode.h"

namespace zv::sim {
namespace {

using tools::Choice;
using Option = tools::OptionSpec<SimOptions>;

constexpr std::array<Choice, 2> kModels{{{"A", 0}, {"B", 1}}};
constexpr std::array<Choice, 3> kBauds{{{"4800", 4800}, {"9600", 9600}, {"19200", 19200}}};
constexpr std::array<Choice, 2> kDeviceCodes{
    {{"rs232", static_cast<int>(kCodeMazovia)}, {"usb", static_cast<int>(kCodeLatin2)}}};

std::string Flag(bool& field) {
  field = true;
  return {};
}

const std::array<Option, 13> kOptions{{
    {"--model", "", "A|B", [](SimOptions& o, std::string_view v) { return tools::PickChoice(kModels, v, o.modelIndex); },
     "the simulated device (required)"},
    {"--tests", "", "N", [](SimOptions& o, std::string_view v) {
       const auto n = tools::ParseInteger(v, 0, 255);
       if (!n) return "'" + std::string(v) + "' is not a number from 0 to 255";
       o.tests = static_cast<int>(*n);
       return std::string();
     },
     "stored tests to send (default 5)"},
    {"--baud", "", "4800|9600|19200", [](SimOptions& o, std::string_view v) {
       int baud = 0;
       std::string complaint = tools::PickChoice(kBauds, v, baud);
       o.baud = static_cast<unsigned>(baud);
       return complaint;
     },
     "the device's line speed (default 4800 for A, 9600 for B)"},
    {"--speed", "", "FACTOR", [](SimOptions& o, std::string_view v) {
       const auto factor = tools::ParsePositive(v);
       if (!factor) return "'" + std::string(v) + "' is not a positive number";
       o.speed = *factor;
       return std::string();
     },
     "send FACTOR times faster than the line would (default 1)"},
    {"--link", "", "PATH", [](SimOptions& o, std::string_view v) {
       o.link = v;
       return v.empty() ? std::string("needs a path") : std::string();
     },
     "make PATH a symbolic link to the device while running"},
    {"--play", "", "FILE", [](SimOptions& o, std::string_view v) {
       o.play = v;
       return v.empty() ? std::string("needs a file") : std::string();
     },
     "send FILE's bytes (a raw dump) instead of a generated report"},
    {"--dump", "", "FILE", [](SimOptions& o, std::string_view v) {
       o.dump = v;
       return v.empty() ? std::string("needs a file") : std::string();
     },
     "write the bytes each reader was sent to FILE"},
    {"--once", "", "", [](SimOptions& o, std::string_view) { return Flag(o.once); },
     "exit when the first reader has closed the device"},
    {"--repeat", "", "N", [](SimOptions& o, std::string_view v) {
       const auto n = tools::ParseInteger(v, 1, 1000);
       if (!n) return "'" + std::string(v) + "' is not a number from 1 to 1000";
       o.repeat = static_cast<int>(*n);
       return std::string();
     },
     "send the stream N times to each reader, as if send were pressed again (default 1)"},
    {"--pause", "", "SECONDS", [](SimOptions& o, std::string_view v) {
       const auto seconds = tools::ParsePositive(v);
       if (!seconds) return "'" + std::string(v) + "' is not a positive number";
       o.pause = *seconds;
       return std::string();
     },
     "the silence between two sends (default 3)"},
    {"--seed", "", "S", [](SimOptions& o, std::string_view v) {
       const auto seed = tools::ParseInteger(v, 0, std::numeric_limits<std::int64_t>::max());
       if (!seed) return "'" + std::string(v) + "' is not a whole number";
       o.seed = static_cast<std::uint64_t>(*seed);
       return std::string();
     },
     "the report's patients and values (default 1)"},
    {"--device-code", "", "rs232|usb", [](SimOptions& o, std::string_view v) {
       int code = 0;
       std::string complaint = tools::PickChoice(kDeviceCodes, v, code);
       o.deviceCode = static_cast<UINT>(code);
       return complaint;
     },
     "ZORVEL B's letters: rs232 (Mazovia) or usb (code page 852, default)"},
    {"--help", "-h", "", [](SimOptions& o, std::string_view) { return Flag(o.help); },
     "show this help"},
}};

}  // namespace

unsigned SimOptions::Baud() const {
  if (baud != 0) return baud;
  return modelIndex == 1 ? 9600 : 4800;
}

SimParse ParseSimOptions(std::span<const std::string> args) {
  SimParse result;
  const auto parsed =
      tools::ParseArguments(std::span<const Option>(kOptions), args, result.options);
  result.error = parsed.error;
  if (!result.ok() || result.options.help) return result;
  if (!parsed.positional.empty()) {
    result.error = "unexpected argument '" + parsed.positional.front() + "'";
  } else if (result.options.modelIndex < 0) {
    result.error = "--model A|B is required";
  }
  return result;
}

std::string SimUsage() {
  return "Usage: zvsim --model A|B [--tests N] [--baud 4800|9600|19200] [--speed FACTOR]\n"
         "             [--link PATH] [--play FILE] [--dump FILE] [--once] [--seed S]\n"
         "             [--device-code rs232|usb] [--repeat N] [--pause SECONDS]\n"
         "Plays a ZORVEL spirometer on a pseudo-terminal: prints the device path,\n"
         "waits for a reader to open it and sends the stored tests at the line's pace.\n\n"
         "Options:\n" +
         tools::OptionsHelp(std::span<const Option>(kOptions));
}

}  // namespace zv::sim
