#include "kit/polish_letters.h"

#include <gtest/gtest.h>

namespace zv::testkit {

const std::array<PolishLetter, 18> kPolishLetters{{
    {"Ą", 0xA4, 0x8F}, {"ą", 0xA5, 0x86}, {"Ć", 0x8F, 0x95}, {"ć", 0x86, 0x8D},
    {"Ę", 0xA8, 0x90}, {"ę", 0xA9, 0x91}, {"Ł", 0x9D, 0x9C}, {"ł", 0x88, 0x92},
    {"Ń", 0xE3, 0xA5}, {"ń", 0xE4, 0xA4}, {"Ó", 0xE0, 0xA3}, {"ó", 0xA2, 0xA2},
    {"Ś", 0x97, 0x98}, {"ś", 0x98, 0x9E}, {"Ź", 0x8D, 0xA0}, {"ź", 0xAB, 0xA6},
    {"Ż", 0xBD, 0xA1}, {"ż", 0xBE, 0xA7},
}};

std::uint8_t LetterByte(const PolishLetter& letter, int sourceSelection) {
  return sourceSelection == 1 ? letter.mazovia : letter.latin2;
}

std::string ReferenceUtf8(const std::vector<std::uint8_t>& text, int sourceSelection) {
  std::string utf8;
  for (const std::uint8_t byte : text) {
    if (byte < 0x80) {
      utf8 += static_cast<char>(byte);
      continue;
    }
    bool found = false;
    for (const PolishLetter& letter : kPolishLetters) {
      if (LetterByte(letter, sourceSelection) == byte) {
        utf8 += letter.utf8;
        found = true;
      }
    }
    if (!found) ADD_FAILURE() << "byte " << int{byte} << " is no letter";
  }
  return utf8;
}

}  // namespace zv::testkit
