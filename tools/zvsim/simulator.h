#pragma once

#include <cstdint>
#include <vector>

#include "zvsim/sim_options.h"

namespace zv::sim {

// Offers `stream` on a new pseudo-terminal: prints the device path as the
// first line of standard output, then for each reader that opens the
// device waits 200 ms and sends the stream at the pace of the line,
// garbled as a real line would when the reader's baud rate differs. Ends
// on SIGINT, SIGTERM or SIGHUP, or with --once after the first reader has
// closed the device. Progress goes to standard error. Returns the exit
// status: 0, or 1 when the device or the link cannot be made.
int RunSimulator(const SimOptions& options, const std::vector<std::uint8_t>& stream);

}  // namespace zv::sim
