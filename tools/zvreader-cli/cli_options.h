#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zv::cli {

enum class Command { None, Fetch, Convert, Archive, Watch, Ports };

// Where to fetch from: COM n (through the same mapping as the dialog) or a
// device path taken as it is.
struct PortChoice {
  int com = 1;         // 1-256 when the port is a COM number, 0 for a path
  std::string device;  // the path when com == 0

  bool operator==(const PortChoice&) const = default;
};

// "COM3", "com3", "COM 3" → COM 3; anything else that is not empty is a
// device path. COM numbers outside 1-256 and bare numbers give nothing.
std::optional<PortChoice> ParsePort(std::string_view text);

// --target utf8: UTF-8 text, decoded from the device's code page. Not one of
// the dialog's target-encoding list entries (0-3).
inline constexpr int kTargetUtf8 = 4;
// --target pdf: a PDF of the UTF-8 text, A4 pages with page numbers.
inline constexpr int kTargetPdf = 5;

// What the command line asks for. The defaults are those of the dialog's
// first run: ZORVEL A on COM 1, device encoding "Canon / USB", target
// "Latin 2 (MS-DOS)", 4800 baud for A and 9600 for B.
struct CliOptions {
  Command command = Command::None;
  bool help = false;
  bool version = false;

  int modelIndex = 0;          // 0 ZORVEL A, 1 ZORVEL B
  bool modelGiven = false;     // --model was on the command line
  std::string portText = "COM1";
  PortChoice port;
  std::optional<int> baud;     // nothing: the model's default
  int sourceSelection = 0;     // device-encoding list: 0 usb, 1 rs232
  int targetSelection = 2;     // target list: 0 none, 1 mazovia, 2 latin2, 3 windows;
                               // or kTargetUtf8, kTargetPdf
  std::string output;          // -o; empty: standard output
  std::string raw;             // --raw; empty: none
  std::optional<double> timeoutSeconds;  // nothing: wait for the header until Stop
  bool json = false;
  std::string input;           // convert's IN
  std::string outDir;          // watch's --out-dir

  int Baud() const;            // the given rate or the model's default
};

struct ParseResult {
  CliOptions options;
  std::string error;  // empty when the command line was understood
  bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name: a subcommand (fetch,
// convert, archive, watch, ports) and its options, or --help / --version alone.
ParseResult ParseCommandLine(std::span<const std::string> args);

// The usage text of a subcommand (Command::None: the overview).
std::string Usage(Command command);

// Names the dialog shows and the command line accepts.
std::string_view ModelName(int modelIndex);  // "A" or "B"

}  // namespace zv::cli
