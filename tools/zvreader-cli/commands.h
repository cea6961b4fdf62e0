#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "transfer/archive.h"
#include "transfer/receive.h"
#include "transfer/result_files.h"
#include "transfer/transfer_review.h"
#include "zvreader-cli/cli_options.h"

namespace zv::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;   // port or file
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNothing = 3;   // the transfer received nothing

// Where a command writes: `out` gets the text (and the JSON summary), `err`
// the progress and the messages. `terminal` says that `err` is a terminal.
struct Console {
  std::ostream& out;
  std::ostream& err;
  bool terminal = false;
};

// Receives the stored tests with the dialog's core: opens the port, runs
// the receive loop on a worker thread until the line falls silent after
// the header, Stop (Ctrl-C, SIGTERM) or the time-out, writes the raw dump
// and the cleaned text.
int RunFetch(const CliOptions& options, Console& console);

// Cleans and converts a raw dump or an archived transfer.
int RunConvert(const CliOptions& options, Console& console);

// Lists the archived transfers with their counts.
int RunArchive(const CliOptions& options, Console& console);

// Files every transfer the device sends until a stop is requested.
int RunWatch(const CliOptions& options, Console& console);

// Keeps the raw bytes of a transfer as the dialog does (KeepReceivedBytes:
// the raw dump and the archive) and says on console.err what could not be
// written.
KeptBytes KeepAndReport(int modelIndex, const std::vector<std::uint8_t>& bytes,
                        TransferArchive& archive, Console& console);

// What the review of a finished transfer (ReviewTransfer) needs to know
// besides its raw bytes.
TransferFacts FactsOf(const TransferShared& shared, bool stopped, const CliOptions& options);

// Says on console.err what the review of a transfer found: garbled text,
// with what to do about it, or tests announced and none sent.
void ReportReview(const TransferReview& review, const TransferFacts& facts, Console& console);

// Cleans received bytes, in place, into the text the options ask for (a
// code page, UTF-8, or the PDF of the UTF-8 text) and returns its length.
std::size_t MakeText(std::vector<std::uint8_t>& bytes, int modelIndex, const CliOptions& options);

// Writes the text to `output` atomically, or to console.out when `output`
// is empty; says why on console.err when it cannot.
bool WriteText(const std::string& output, const std::vector<std::uint8_t>& text, Console& console);

// Lists the COM numbers whose device is present, with what the system says
// of each: a line of text per port, or a JSON object per line.
int RunPorts(const CliOptions& options, Console& console);

}  // namespace zv::cli
