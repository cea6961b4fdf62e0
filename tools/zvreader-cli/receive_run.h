#pragma once

#include <functional>

#include "support/rs232.h"
#include "transfer/receive.h"
#include "zvreader-cli/cli_options.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/progress_view.h"

namespace zv::cli {

// Opens the port the options name (a COM number through the dialog's
// mapping, or a device path) at their baud rate, with the dialog's
// time-outs: a Read returns after at most one silent second. False when
// it cannot be opened; port.LastError() says why.
bool OpenPort(CRS232& port, const CliOptions& options);

enum class Ending { Silence, Stopped, NoWorker };

// One transfer: runs the dialog's receive loop on a worker over the open
// `port` until the line falls silent after the header. `stopWanted` is
// asked on this thread several times a second until it says yes; the loop
// then ends after its current read and keeps what came (Stopped).
// NoWorker, with the dialog's message on console.err, when no thread
// could be started.
Ending ReceiveTransfer(CRS232& port, TransferShared& shared, ProgressView& view, int modelIndex,
                       const std::function<bool()>& stopWanted, Console& console);

}  // namespace zv::cli
