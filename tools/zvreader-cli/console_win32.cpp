#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "support/wide_text.h"
#include "zvreader-cli/console.h"

namespace zv::cli {

std::vector<std::string> Utf8Arguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void MakeStdoutBinary() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace zv::cli
