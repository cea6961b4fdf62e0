#include <unistd.h>

#include "zvreader-cli/console.h"

namespace zv::cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return {argv + 1, argv + argc};
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void MakeStdoutBinary() {}

}  // namespace zv::cli
