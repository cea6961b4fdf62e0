#include "zvsim/serial_line.h"

namespace zv::sim {
namespace {

constexpr int kBitsPerFrame = 10;  // start, 8 data, stop
constexpr int kStopBit = 9;

// The sender's line level over time. Time runs in ticks of
// 1 / (2 * senderBaud * receiverBaud) s, so both bit times and the
// receiver's half bit are whole numbers of ticks.
class Line {
 public:
  Line(std::span<const std::uint8_t> sent, std::int64_t senderBit)
      : sent_(sent), senderBit_(senderBit) {}

  bool High(std::int64_t tick) const {
    const std::int64_t bit = tick / senderBit_;
    const std::int64_t frame = bit / kBitsPerFrame;
    if (frame >= static_cast<std::int64_t>(sent_.size())) return true;  // idle
    const int position = static_cast<int>(bit % kBitsPerFrame);
    if (position == 0) return false;
    if (position == kStopBit) return true;
    return ((sent_[static_cast<std::size_t>(frame)] >> (position - 1)) & 1) != 0;
  }

  // The first tick at or after `tick` where the level is `high`; the level
  // changes only on the sender's bit boundaries. Nothing past the end when
  // looking for low.
  std::int64_t NextLevel(std::int64_t tick, bool high) const {
    while (High(tick) != high) {
      if (!high && tick >= End()) return -1;
      tick = (tick / senderBit_ + 1) * senderBit_;
    }
    return tick;
  }

  std::int64_t End() const {
    return static_cast<std::int64_t>(sent_.size()) * kBitsPerFrame * senderBit_;
  }

 private:
  std::span<const std::uint8_t> sent_;
  std::int64_t senderBit_;
};

}  // namespace

std::vector<Arrival> TransmitOverLine(std::span<const std::uint8_t> sent,
                                      unsigned senderBaud, unsigned receiverBaud) {
  std::vector<Arrival> arrivals;
  if (senderBaud == 0 || receiverBaud == 0) return arrivals;
  const std::int64_t senderBit = 2 * static_cast<std::int64_t>(receiverBaud);
  const std::int64_t receiverBit = 2 * static_cast<std::int64_t>(senderBaud);
  const double ticksPerSecond = 2.0 * senderBaud * receiverBaud;
  const Line line(sent, senderBit);
  arrivals.reserve(sent.size());
  std::int64_t tick = 0;
  for (;;) {
    const std::int64_t start = line.NextLevel(tick, false);
    if (start < 0) break;
    const std::int64_t middle = start + receiverBit / 2;  // of the start bit
    std::uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (line.High(middle + (bit + 1) * receiverBit)) byte |= static_cast<std::uint8_t>(1 << bit);
    }
    const std::int64_t stopSample = middle + kStopBit * receiverBit;
    if (!line.High(stopSample)) byte = 0;  // framing error
    arrivals.push_back({byte, static_cast<double>(stopSample) / ticksPerSecond});
    // A new start needs the line to have gone high again.
    tick = line.NextLevel(stopSample, true);
  }
  return arrivals;
}

}  // namespace zv::sim
