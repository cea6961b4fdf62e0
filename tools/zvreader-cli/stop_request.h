#pragma once

namespace zv::cli {

// Ctrl-C (SIGINT) and SIGTERM become a request to stop the transfer, as
// the dialog's Stop button: the program goes on, ends the transfer
// normally and keeps everything received.
void InstallStopRequestHandlers();

// True once Ctrl-C or SIGTERM has come. Any thread may ask.
bool StopRequested();

}  // namespace zv::cli
