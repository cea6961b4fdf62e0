#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "zvreader-cli/console.h"

namespace zv::cli {

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void MakeStdoutBinary() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace zv::cli
