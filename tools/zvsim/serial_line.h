#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zv::sim {

// A byte as the receiving UART hands it over, and when.
struct Arrival {
  std::uint8_t byte;
  double seconds;  // from the first start bit to the byte's stop-bit sample
};

// What a UART set to `receiverBaud` makes of `sent`, transmitted back to
// back at `senderBaud` with 8 data bits, no parity and 1 stop bit. The
// receiver waits for the line to go low, samples each bit in the middle of
// its own bit time, and delivers 0x00 for a byte whose stop bit it finds
// low (a framing error, as a serial driver reports it when errors are not
// marked). Equal rates give the bytes unchanged; different rates give the
// garbled, deterministic bytes of a real line. A receiver rate of 0 (the
// line is hung up) receives nothing.
std::vector<Arrival> TransmitOverLine(std::span<const std::uint8_t> sent,
                                      unsigned senderBaud, unsigned receiverBaud);

}  // namespace zv::sim
