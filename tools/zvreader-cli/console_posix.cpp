#include <unistd.h>

#include "zvreader-cli/console.h"

namespace zv::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void MakeStdoutBinary() {}

}  // namespace zv::cli
