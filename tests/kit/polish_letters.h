#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::testkit {

// The Polish letters as UTF-8 and their bytes in the published tables of
// code page 852 ("Canon / USB") and of Mazovia ("RS 232").
struct PolishLetter {
  const char* utf8;
  std::uint8_t latin2;
  std::uint8_t mazovia;
  // The byte in the device-encoding list's code page: `sourceSelection` 1
  // is Mazovia ("RS 232"), anything else code page 852.
  std::uint8_t In(int sourceSelection) const { return sourceSelection == 1 ? mazovia : latin2; }
};
inline constexpr std::array<PolishLetter, 18> kPolishLetters{{
    {"Ą", 0xA4, 0x8F}, {"ą", 0xA5, 0x86}, {"Ć", 0x8F, 0x95}, {"ć", 0x86, 0x8D},
    {"Ę", 0xA8, 0x90}, {"ę", 0xA9, 0x91}, {"Ł", 0x9D, 0x9C}, {"ł", 0x88, 0x92},
    {"Ń", 0xE3, 0xA5}, {"ń", 0xE4, 0xA4}, {"Ó", 0xE0, 0xA3}, {"ó", 0xA2, 0xA2},
    {"Ś", 0x97, 0x98}, {"ś", 0x98, 0x9E}, {"Ź", 0x8D, 0xA0}, {"ź", 0xAB, 0xA6},
    {"Ż", 0xBD, 0xA1}, {"ż", 0xBE, 0xA7},
}};

// Text of ASCII and Polish letters in that code page as UTF-8, each letter
// looked up in kPolishLetters. A byte that is no letter fails the test.
inline std::string ReferenceUtf8(const std::vector<std::uint8_t>& text, int sourceSelection) {
  std::string utf8;
  for (const std::uint8_t byte : text) {
    const auto letter = std::find_if(kPolishLetters.begin(), kPolishLetters.end(),
                                     [&](const auto& l) { return l.In(sourceSelection) == byte; });
    if (byte < 0x80) {
      utf8 += static_cast<char>(byte);
    } else if (letter != kPolishLetters.end()) {
      utf8 += letter->utf8;
    } else {
      ADD_FAILURE() << "byte " << int{byte} << " is no letter";
    }
  }
  return utf8;
}

}  // namespace zv::testkit
