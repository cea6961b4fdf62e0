// UTF-8 text for today's editors: the clean-up with the device's own code
// page as the target, decoded from that code page.
#include "transfer/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/convert_reference.h"
#include "kit/polish_letters.h"
#include "support/plcode.h"

namespace zv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testkit::kPolishLetters;
using testkit::PolishLetter;

constexpr int kFromLatin2 = 0;   // "Canon / USB"
constexpr int kFromMazovia = 1;  // "RS 232"

std::string AllLettersUtf8() {
  std::string text;
  for (const PolishLetter& letter : kPolishLetters) text += letter.utf8;
  return text;
}

// A report line as the device sends it: every letter in its code page,
// with a printer escape, a box line, a byte that is no letter and CR LF.
Bytes DeviceText(int source) {
  std::string text = std::string("B\x01\x02" "1234567") + "\x1B" "E\xB3P: ";
  for (const PolishLetter& letter : kPolishLetters) text += static_cast<char>(letter.In(source));
  text += "\xC8\xFE\r\n";
  return Bytes(text.begin(), text.end());
}

TEST(Utf8Text, IsTheCleanUpInTheDevicesOwnCodePageDecodedToUtf8) {
  const struct {
    int model;
    int source;
    int ownTarget;  // the target-encoding list's entry of the device's code page
  } cases[] = {{0, kFromLatin2, 2}, {0, kFromMazovia, 1}, {1, kFromLatin2, 2}, {1, kFromMazovia, 1}};
  for (const auto& c : cases) {
    const Bytes stream = DeviceText(c.source);
    Bytes text = stream;
    const std::size_t length = ConvertBufferToUtf8(text, c.model, c.source);
    const std::string got(text.begin(), text.end());
    const Bytes cleaned = testkit::ReferenceConvert(stream, c.model, c.ownTarget, c.source);
    EXPECT_EQ(got, testkit::ReferenceUtf8(cleaned, c.source)) << "model " << c.model << ", source " << c.source;
    EXPECT_EQ(length, text.size());
    const bool lettersKept = got.find(AllLettersUtf8()) != std::string::npos;
    EXPECT_EQ(lettersKept, c.model == 1) << "ZORVEL A's letters go, ZORVEL B's stay";
  }
}

TEST(Utf8Text, ABytePastTheLettersStillGivesValidUtf8) {
  const Bytes text = {'A', 0xB0, 0xA5};  // 0xB0 is no letter in code page 852; 0xA5 is ą
  EXPECT_EQ(DecodeToUtf8(text, kCodeLatin2), (Bytes{'A', 0xEF, 0xBF, 0xBD, 0xC4, 0x85}));
}

}  // namespace
}  // namespace zv
