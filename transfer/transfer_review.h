#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "support/strings.h"
#include "support/types.h"
#include "transfer/receive.h"

namespace zv {

// What the end of a transfer knows besides the bytes.
struct TransferFacts {
  int modelIndex = kModelA;
  int sourceSelection = 0;  // device-encoding list: 0 "Canon / USB", 1 "RS 232"
  int baud = 0;             // the rate the port was opened at
  bool headerSeen = false;
  int expectedCount = 0;
  int testCount = 0;
  bool stopped = false;     // the user ended the transfer
};

// Share of `bytes` that no report of the device holds: bytes that are
// neither printable ASCII (0x20-0x7E), line and page controls (TAB, LF,
// VT, FF, CR), the printer codes the clean-up removes (ESC with the byte
// after it, SO, SI, DC2, DC4, BS; ZORVEL B's test marker 0x19 and the
// count byte of its header), the box line 0xB3, nor the Polish letters of
// code page `deviceCode`. A byte received at the wrong speed lands
// anywhere in 0x00-0xFF, a framing error gives 0x00; a report sent at the
// right speed holds next to none of them. 0 for no bytes.
double StrangeByteShare(std::span<const std::uint8_t> bytes, int modelIndex, UINT deviceCode);

// Above this share of strange bytes the text counts as garbled. Measured
// with the simulated device (zvsim and its serial line model, 1 to 42
// tests, both models, both code pages of ZORVEL B, fetched with
// zvreader-cli over a pseudo-terminal and recomputed offline):
//   right speed:  0.000; at most 0.036 when ZORVEL B's letters are judged
//                 in the other code page;
//   wrong speed:  0.28 to 1.00 over every pairing of 4800, 9600 and 19200
//                 (the least read at half the rate sent, 0.95 to 1.00 read
//                 at four times or a quarter of it).
// 0.15 lies far from both.
inline constexpr double kGarbledShare = 0.15;

// Fewer bytes than this are too few to judge: a header and a line or two.
inline constexpr std::size_t kFewestBytesJudged = 64;

struct TransferReview {
  double strangeShare = 0;
  // The bytes look garbled, most likely read at another speed than the
  // device sends at.
  bool garbled = false;
  // The header announced tests but none was counted, and the user did not
  // stop the transfer: most likely the other model was chosen. Not said
  // of a garbled transfer, whose header means nothing.
  bool announcedNoneSent = false;
};

// Judges the raw bytes of a finished transfer (before the clean-up pass).
// Pure: changes nothing and may run on any thread.
TransferReview ReviewTransfer(std::span<const std::uint8_t> bytes, const TransferFacts& facts);

// The usual speed of a model: 4800 b/s for ZORVEL A, 9600 b/s for ZORVEL B.
int UsualBaud(int modelIndex);

// How much room the words have: a whole sentence (the command-line tool),
// or the dialog's status line of two short lines.
enum class ReviewForm { Sentence, StatusLine };

// The sentence the user is told after the transfer, UTF-8: that the text
// looks garbled and the device may be set to another speed than the one
// chosen, naming the model's usual speed; or that tests were announced and
// none arrived. Empty when the review found nothing. The raw bytes are
// kept and saved as always; this only explains them.
std::string DescribeReview(const TransferReview& review, const TransferFacts& facts,
                           Language language = Language::English,
                           ReviewForm form = ReviewForm::Sentence);

}  // namespace zv
