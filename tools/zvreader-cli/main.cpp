// zvreader-cli: fetches and converts the stored tests of a ZORVEL
// spirometer from a shell, with the same core as the dialog.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "zv_version.h"
#include "zvreader-cli/cli_options.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/console.h"

namespace {

// A PDF's bytes are no text: on a terminal they are unreadable and can
// leave it in a garbled state.
bool PdfForTheTerminal(const zv::cli::CliOptions& options) {
  using namespace zv::cli;
  const bool writesText = options.command == Command::Fetch || options.command == Command::Convert;
  return writesText && options.targetSelection == kTargetPdf && options.output.empty() &&
         StdoutIsTerminal();
}

int Run(const std::vector<std::string>& args) {
  using namespace zv::cli;
  const ParseResult parsed = ParseCommandLine(args);
  const CliOptions& options = parsed.options;
  if (!parsed.ok()) {
    std::cerr << "zvreader-cli: " << parsed.error << "\n\n" << Usage(options.command);
    return kExitUsage;
  }
  if (options.version) {
    std::cout << "zvreader-cli " << ZV_VERSION_STRING << "\n";
    return kExitOk;
  }
  if (options.help) {
    std::cout << Usage(options.command);
    return kExitOk;
  }
  if (PdfForTheTerminal(options)) {
    std::cerr << "zvreader-cli: a PDF cannot be shown on the terminal: give -o FILE, or redirect "
                 "standard output\n";
    return kExitUsage;
  }
  MakeStdoutBinary();
  Console console{std::cout, std::cerr, StderrIsTerminal()};
  switch (options.command) {
    case Command::Fetch: return RunFetch(options, console);
    case Command::Convert: return RunConvert(options, console);
    case Command::Archive: return RunArchive(options, console);
    case Command::Watch: return RunWatch(options, console);
    case Command::Ports: return RunPorts(options, console);
    case Command::None: break;
  }
  std::cerr << Usage(Command::None);
  return kExitUsage;
}

}  // namespace

// Whatever goes wrong ends in a message and exit status 1, never in an
// abort (memory running out while a large file is converted, say).
int main(int argc, char** argv) {
  try {
    return Run(zv::cli::Utf8Arguments(argc, argv));
  } catch (const std::bad_alloc&) {
    std::cerr << "zvreader-cli: not enough memory" << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "zvreader-cli: " << error.what() << std::endl;
  }
  return zv::cli::kExitFailure;
}
