// The simulated serial line between the device and a reader.
#include "zvsim/serial_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace zv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::vector<Arrival>& arrivals) {
  Bytes bytes;
  for (const Arrival& arrival : arrivals) bytes.push_back(arrival.byte);
  return bytes;
}

Bytes AllBytes() {
  Bytes bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  return bytes;
}

TEST(SerialLine, EqualRatesDeliverEveryByteOnTime) {
  const Bytes sent = AllBytes();
  for (unsigned baud : {4800u, 9600u, 19200u}) {
    const auto arrivals = TransmitOverLine(sent, baud, baud);
    EXPECT_EQ(BytesOf(arrivals), sent) << baud;
    ASSERT_EQ(arrivals.size(), sent.size());
    // Ten bits a byte: byte i is complete in the middle of its stop bit.
    EXPECT_NEAR(arrivals[0].seconds, 9.5 / baud, 1e-9);
    EXPECT_NEAR(arrivals[255].seconds, (255 * 10 + 9.5) / baud, 1e-9);
  }
}

TEST(SerialLine, DifferentRatesGarbleTheBytesTheSameWayEveryTime) {
  const Bytes sent(AllBytes());
  for (const auto& [sender, receiver] : {std::pair{9600u, 4800u}, std::pair{4800u, 9600u},
                                         std::pair{4800u, 19200u}, std::pair{19200u, 9600u}}) {
    const Bytes first = BytesOf(TransmitOverLine(sent, sender, receiver));
    EXPECT_NE(first, sent) << sender << " → " << receiver;
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, BytesOf(TransmitOverLine(sent, sender, receiver)));
  }
}

TEST(SerialLine, AFasterReceiverSeesMoreBytesASlowerOneFewer) {
  const Bytes sent(1000, 'U');
  EXPECT_GT(TransmitOverLine(sent, 4800, 19200).size(), sent.size());
  EXPECT_LT(TransmitOverLine(sent, 19200, 4800).size(), sent.size());
}

TEST(SerialLine, HalfRateReceiverSamplesEveryOtherBit) {
  // Each of the slow receiver's samples falls on every other bit of the
  // sender: data bits 2, 4, 6 of 0xAA (0, 0, 0), its stop bit (1), then
  // four bits of 0xFF (1s). Its stop sample hits 0xFF's stop bit: one clean
  // byte, 0xF8, for the two sent.
  const Bytes sent{0xAA, 0xFF};
  EXPECT_EQ(BytesOf(TransmitOverLine(sent, 9600, 4800)), (Bytes{0xF8}));
}

TEST(SerialLine, FramingErrorsArriveAsZeroBytes) {
  // A long low run (0x00 bytes) read twice as fast: the stop sample falls
  // inside the next frame's low bits.
  const Bytes sent(20, 0x00);
  const Bytes received = BytesOf(TransmitOverLine(sent, 4800, 9600));
  EXPECT_THAT(received, testing::Contains(0x00));
}

TEST(SerialLine, NothingAtAll) {
  EXPECT_TRUE(TransmitOverLine({}, 9600, 9600).empty());
  EXPECT_TRUE(TransmitOverLine(AllBytes(), 9600, 0).empty()) << "hung-up line";
}

}  // namespace
}  // namespace zv::sim
