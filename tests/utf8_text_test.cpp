// UTF-8 text for today's editors: the clean-up with the device's own code
// page as the target, decoded from that code page.
#include "transfer/utf8_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "kit/convert_reference.h"
#include "support/plcode.h"

namespace zv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The letters as UTF-8 and their bytes in the published tables of code page
// 852 and of Mazovia.
struct Letter {
  const char* utf8;
  BYTE latin2;
  BYTE mazovia;
};

constexpr std::array<Letter, 18> kLetters{{
    {"Ą", 0xA4, 0x8F}, {"ą", 0xA5, 0x86}, {"Ć", 0x8F, 0x95}, {"ć", 0x86, 0x8D},
    {"Ę", 0xA8, 0x90}, {"ę", 0xA9, 0x91}, {"Ł", 0x9D, 0x9C}, {"ł", 0x88, 0x92},
    {"Ń", 0xE3, 0xA5}, {"ń", 0xE4, 0xA4}, {"Ó", 0xE0, 0xA3}, {"ó", 0xA2, 0xA2},
    {"Ś", 0x97, 0x98}, {"ś", 0x98, 0x9E}, {"Ź", 0x8D, 0xA0}, {"ź", 0xAB, 0xA6},
    {"Ż", 0xBD, 0xA1}, {"ż", 0xBE, 0xA7},
}};

constexpr int kFromLatin2 = 0;   // "Canon / USB"
constexpr int kFromMazovia = 1;  // "RS 232"

BYTE ByteOf(const Letter& letter, int source) {
  return source == kFromMazovia ? letter.mazovia : letter.latin2;
}

std::string AllLettersUtf8() {
  std::string text;
  for (const Letter& letter : kLetters) text += letter.utf8;
  return text;
}

// A report line as the device sends it: every letter in its code page,
// with a printer escape, a box line, a byte that is no letter and CR LF.
Bytes DeviceText(int source) {
  std::string text = std::string("B\x01\x02" "1234567") + "\x1B" "E\xB3P: ";
  for (const Letter& letter : kLetters) text += static_cast<char>(ByteOf(letter, source));
  text += "\xC8\xFE\r\n";
  return Bytes(text.begin(), text.end());
}

// The independent decoding: ASCII as it is, each letter by the table.
std::string Decoded(const Bytes& text, int source) {
  std::string utf8;
  for (const std::uint8_t byte : text) {
    if (byte < 0x80) {
      utf8 += static_cast<char>(byte);
      continue;
    }
    bool found = false;
    for (const Letter& letter : kLetters) {
      if (ByteOf(letter, source) == byte) {
        utf8 += letter.utf8;
        found = true;
      }
    }
    if (!found) ADD_FAILURE() << "byte " << int{byte} << " is no letter";
  }
  return utf8;
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
    EXPECT_EQ(got, Decoded(cleaned, c.source)) << "model " << c.model << ", source " << c.source;
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
