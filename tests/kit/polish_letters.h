#pragma once

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
};
extern const std::array<PolishLetter, 18> kPolishLetters;

// The letter's byte in the device-encoding list's code page:
// `sourceSelection` 1 is Mazovia ("RS 232"), anything else code page 852.
std::uint8_t LetterByte(const PolishLetter& letter, int sourceSelection);

// Text of ASCII and Polish letters in that code page as UTF-8, each letter
// looked up in kPolishLetters. A byte that is no letter fails the test.
std::string ReferenceUtf8(const std::vector<std::uint8_t>& text, int sourceSelection);

}  // namespace zv::testkit
