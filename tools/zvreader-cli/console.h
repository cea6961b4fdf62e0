#pragma once

#include <string>
#include <vector>

namespace zv::cli {

// The arguments after the program's name, in UTF-8. On Windows they are
// taken from the wide command line, so that a name with letters outside
// the ANSI code page (a Polish folder on an English system) arrives whole.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Whether standard error is a terminal (a progress bar can be redrawn).
bool StderrIsTerminal();
// Whether standard output is a terminal (no place for a PDF's bytes).
bool StdoutIsTerminal();

// Standard output passes bytes unchanged (no CR LF translation on
// Windows), so the text's own line ends reach the file as they are.
void MakeStdoutBinary();

}  // namespace zv::cli
