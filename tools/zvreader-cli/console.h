#pragma once

namespace zv::cli {

// Whether standard error is a terminal (a progress bar can be redrawn).
bool StderrIsTerminal();

// Standard output passes bytes unchanged (no CR LF translation on
// Windows), so the text's own line ends reach the file as they are.
void MakeStdoutBinary();

}  // namespace zv::cli
