// The review of a finished transfer, judged on the simulated device's
// reports as its serial line delivers them at the right and at every wrong
// speed.
#include "transfer/transfer_review.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/plcode.h"
#include "zvsim/report_generator.h"
#include "zvsim/serial_line.h"

namespace zv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Each model and code page, with the device-encoding list's entry for it.
constexpr struct { int model; UINT code; int sourceSelection; } kDevices[] = {
    {kModelA, kCodeLatin2, 0}, {kModelB, kCodeLatin2, 0}, {kModelB, kCodeMazovia, 1}};
constexpr unsigned kBauds[] = {4800, 9600, 19200};

Bytes OverLine(const Bytes& sent, unsigned senderBaud, unsigned receiverBaud) {
  Bytes received;
  for (const sim::Arrival& arrival : sim::TransmitOverLine(sent, senderBaud, receiverBaud))
    received.push_back(arrival.byte);
  return received;
}

// What the receive loop makes of `bytes` read as `model`.
TransferFacts Counted(const Bytes& bytes, int model, int sourceSelection, int baud) {
  StreamCounter counter;
  counter.Feed(bytes, bytes.size(), model);
  return {model, sourceSelection, baud, counter.HeaderSeen(), counter.ExpectedCount(),
          counter.TestCount(), false};
}

TEST(TransferReview, RightSpeedReportsNeverWarnWrongSpeedCapturesAlwaysDo) {
  for (const auto& device : kDevices) {
    for (int tests : {1, 5, 42}) {
      const Bytes report = sim::MakeReport({device.model, tests, 3, device.code});
      for (unsigned sent : kBauds) {
        for (unsigned read : kBauds) {
          SCOPED_TRACE(testing::Message() << "model " << device.model << " code " << device.code
                                          << ", " << tests << " tests, sent at " << sent
                                          << ", read at " << read);
          const Bytes received = OverLine(report, sent, read);
          const TransferFacts facts = Counted(received, device.model, device.sourceSelection,
                                              static_cast<int>(read));
          const TransferReview review = ReviewTransfer(received, facts);
          EXPECT_EQ(review.garbled, sent != read) << review.strangeShare;
          EXPECT_FALSE(review.announcedNoneSent);
          if (sent == read) { EXPECT_EQ(review.strangeShare, 0.0); }
        }
      }
    }
  }
}

// The other model's rules find a count in the header and no test after it.
TEST(TransferReview, TheWrongModelIsHintedAtUnlessTheUserStopped) {
  for (const auto& device : kDevices) {
    const int other = device.model == kModelB ? kModelA : kModelB;
    const Bytes report = sim::MakeReport({device.model, 5, 3, device.code});
    TransferFacts facts = Counted(report, other, device.sourceSelection, 9600);
    const TransferReview review = ReviewTransfer(report, facts);
    EXPECT_FALSE(review.garbled) << device.model;
    EXPECT_TRUE(review.announcedNoneSent) << device.model;
    facts.stopped = true;
    EXPECT_FALSE(ReviewTransfer(report, facts).announcedNoneSent) << device.model;
  }
}

TEST(TransferReview, TooFewBytesAreNotJudged) {
  const Bytes noise(kFewestBytesJudged - 1, 0xFF);
  EXPECT_FALSE(ReviewTransfer(noise, {}).garbled);
  EXPECT_TRUE(ReviewTransfer(Bytes(kFewestBytesJudged, 0xFF), {}).garbled);
}

TEST(TransferReview, StrangeBytesAreThoseNoReportHolds) {
  const struct { Bytes bytes; int model; UINT code; double share; } cases[] = {
      {{'A', '\t', '\r', '\n', '\f', 0x0E, 0x0F, 0x12, 0x14, 0xB3}, kModelA, kCodeLatin2, 0.0},
      {{0x1B, 0x00, 0x1B, 0x1B, 0x00, 0x00}, kModelA, kCodeLatin2, 1.0 / 3},  // ESC takes one byte
      {{'Z', 'V', 0x00, 0x19}, kModelB, kCodeLatin2, 0.0},  // the count byte and the marker
      {{'Z', 'V', 0x00, 0x19}, kModelA, kCodeLatin2, 0.5},
      {{0xBE, 0xE4}, kModelB, kCodeLatin2, 0.0},  // ż ń in code page 852
      {{0xBE, 0xE4}, kModelB, kCodeMazovia, 1.0},  // no letters in Mazovia
      {{0x00, 0x7F, 0xFF, 0xC4}, kModelA, kCodeLatin2, 1.0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(StrangeByteShare(c.bytes, c.model, c.code), c.share)
        << testing::PrintToString(c.bytes);
  }
  EXPECT_EQ(StrangeByteShare({}, kModelA, kCodeLatin2), 0.0);
}

TEST(TransferReview, WhatTheUserIsTold) {
  const TransferReview garbled{.garbled = true}, announced{.announcedNoneSent = true};
  const struct {
    TransferReview review;
    TransferFacts facts;
    const char *english, *polish;
  } cases[] = {
      {garbled, {.modelIndex = kModelB, .baud = 4800},
       "The text looks garbled: the device may be set to another speed than the 4800 b/s "
       "chosen. ZORVEL B usually sends at 9600 b/s.",
       "Tekst wygląda na zniekształcony: urządzenie może nadawać z inną prędkością niż "
       "wybrane 4800 b/s. ZORVEL B zwykle nadaje z prędkością 9600 b/s."},
      {garbled, {.modelIndex = kModelA, .baud = 4800},
       "The text looks garbled: the device may be set to another speed than 4800 b/s, the "
       "usual speed of ZORVEL A.",
       "Tekst wygląda na zniekształcony: urządzenie może nadawać z inną prędkością niż "
       "4800 b/s (zwykła prędkość ZORVEL A)."},
      {announced, {.modelIndex = kModelA, .baud = 4800, .expectedCount = 9},
       "Tests announced: 9, none arrived: check that the device is a ZORVEL A (or choose the "
       "other model) and send the tests again.",
       "Zapowiedziano badań: 9, nie dotarło żadne: sprawdź, czy urządzenie to ZORVEL A (albo "
       "wybierz drugi model), i wyślij badania ponownie."},
      {TransferReview{}, {.modelIndex = kModelB, .baud = 19200}, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DescribeReview(c.review, c.facts, Language::English), c.english);
    EXPECT_EQ(DescribeReview(c.review, c.facts, Language::Polish), c.polish);
  }
}

}  // namespace
}  // namespace zv
