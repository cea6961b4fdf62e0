#include "support/plcode.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

namespace zv {
namespace {

// The published code-page tables, letter by letter.
struct Letter {
  const char* name;  // UTF-8
  BYTE base;
  BYTE mazovia;
  BYTE latin2;
  BYTE windows;
};

constexpr std::array<Letter, 18> kExpected{{
    {"Ą", 'A', 0x8F, 0xA4, 0xA5}, {"ą", 'a', 0x86, 0xA5, 0xB9},
    {"Ć", 'C', 0x95, 0x8F, 0xC6}, {"ć", 'c', 0x8D, 0x86, 0xE6},
    {"Ę", 'E', 0x90, 0xA8, 0xCA}, {"ę", 'e', 0x91, 0xA9, 0xEA},
    {"Ł", 'L', 0x9C, 0x9D, 0xA3}, {"ł", 'l', 0x92, 0x88, 0xB3},
    {"Ń", 'N', 0xA5, 0xE3, 0xD1}, {"ń", 'n', 0xA4, 0xE4, 0xF1},
    {"Ó", 'O', 0xA3, 0xE0, 0xD3}, {"ó", 'o', 0xA2, 0xA2, 0xF3},
    {"Ś", 'S', 0x98, 0x97, 0x8C}, {"ś", 's', 0x9E, 0x98, 0x9C},
    {"Ź", 'Z', 0xA0, 0x8D, 0x8F}, {"ź", 'z', 0xA6, 0xAB, 0x9F},
    {"Ż", 'Z', 0xA1, 0xBD, 0xAF}, {"ż", 'z', 0xA7, 0xBE, 0xBF},
}};

constexpr std::array<UINT, 3> kLetterCodes{kCodeMazovia, kCodeLatin2, kCodeWindows};
// Codes that hold no letters, including numbers no list ever selects.
constexpr std::array<UINT, 6> kCodesWithoutLetters{kCodeNoPolish, 1, 4, 10, 852, 1250};

BYTE ByteIn(UINT code, const Letter& letter) {
  switch (code) {
    case kCodeMazovia: return letter.mazovia;
    case kCodeLatin2: return letter.latin2;
    case kCodeWindows: return letter.windows;
    default: ADD_FAILURE() << "no column for code " << code; return 0;
  }
}

std::set<int> LetterBytes(UINT code) {
  std::set<int> bytes;
  for (const Letter& letter : kExpected) bytes.insert(ByteIn(code, letter));
  return bytes;
}

TEST(PLCode, ConvertsEveryLetterBetweenEveryPairOfCodePages) {
  const CPLCode plcode;
  for (const Letter& letter : kExpected) {
    for (UINT from : kLetterCodes) {
      for (UINT to : kLetterCodes) {
        EXPECT_EQ(plcode.Convert(from, to, ByteIn(from, letter)), ByteIn(to, letter))
            << letter.name << " from " << from << " to " << to;
      }
    }
  }
}

TEST(PLCode, TargetWithoutPolishGivesTheBaseLetter) {
  const CPLCode plcode;
  for (const Letter& letter : kExpected) {
    for (UINT from : kLetterCodes) {
      EXPECT_EQ(plcode.Convert(from, kCodeNoPolish, ByteIn(from, letter)), letter.base)
          << letter.name << " from " << from;
    }
  }
}

TEST(PLCode, TheEighteenLettersAreExactlyThePolishBytes) {
  const CPLCode plcode;
  for (UINT code : kLetterCodes) {
    const std::set<int> expected = LetterBytes(code);
    ASSERT_EQ(expected.size(), 18u) << "code " << code;
    int count = 0;
    for (int byte = 0; byte < 256; ++byte) {
      const bool isLetter = plcode.IsPLChar(code, static_cast<BYTE>(byte)) != 0;
      EXPECT_EQ(isLetter, expected.count(byte) == 1) << "code " << code << " byte " << byte;
      count += isLetter ? 1 : 0;
    }
    EXPECT_EQ(count, kPolishLetterCount) << "code " << code;
  }
}

TEST(PLCode, CodesWithoutLettersHaveNoLetters) {
  const CPLCode plcode;
  for (UINT code : kCodesWithoutLetters) {
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(plcode.IsPLChar(code, static_cast<BYTE>(byte)), 0)
          << "code " << code << " byte " << byte;
    }
  }
}

TEST(PLCode, NonLettersConvertToThemselves) {
  const CPLCode plcode;
  std::vector<UINT> targets(kLetterCodes.begin(), kLetterCodes.end());
  targets.insert(targets.end(), kCodesWithoutLetters.begin(), kCodesWithoutLetters.end());
  for (UINT from : kLetterCodes) {
    const std::set<int> letters = LetterBytes(from);
    for (int byte = 0; byte < 256; ++byte) {
      if (letters.count(byte) != 0) continue;
      for (UINT to : targets) {
        EXPECT_EQ(plcode.Convert(from, to, static_cast<BYTE>(byte)), byte)
            << "byte " << byte << " from " << from << " to " << to;
      }
    }
  }
  // A source without letters leaves every byte alone.
  for (UINT from : kCodesWithoutLetters) {
    for (int byte = 0; byte < 256; ++byte) {
      for (UINT to : kLetterCodes) {
        EXPECT_EQ(plcode.Convert(from, to, static_cast<BYTE>(byte)), byte)
            << "byte " << byte << " from " << from << " to " << to;
      }
    }
  }
}

TEST(PLCode, UnknownTargetLeavesLettersUnchanged) {
  const CPLCode plcode;
  for (const Letter& letter : kExpected) {
    for (UINT from : kLetterCodes) {
      for (UINT to : {1u, 4u, 852u}) {
        EXPECT_EQ(plcode.Convert(from, to, ByteIn(from, letter)), ByteIn(from, letter))
            << letter.name << " from " << from << " to " << to;
      }
    }
  }
}

// Bytes that mean different things in different code pages.
TEST(PLCode, SharedAndAmbiguousBytes) {
  const CPLCode plcode;
  // ó is 0xA2 in both MS-DOS code pages.
  EXPECT_EQ(plcode.Convert(kCodeMazovia, kCodeLatin2, 0xA2), 0xA2);
  EXPECT_EQ(plcode.Convert(kCodeLatin2, kCodeWindows, 0xA2), 0xF3);
  // 0xB3 is ł only in code page 1250; in the MS-DOS pages it is a box line.
  EXPECT_NE(plcode.IsPLChar(kCodeWindows, 0xB3), 0);
  EXPECT_EQ(plcode.IsPLChar(kCodeMazovia, 0xB3), 0);
  EXPECT_EQ(plcode.IsPLChar(kCodeLatin2, 0xB3), 0);
  EXPECT_EQ(plcode.Convert(kCodeWindows, kCodeMazovia, 0xB3), 0x92);
  // 0xA5 is ą in 852, Ń in Mazovia, Ą in 1250.
  EXPECT_EQ(plcode.Convert(kCodeLatin2, kCodeMazovia, 0xA5), 0x86);
  EXPECT_EQ(plcode.Convert(kCodeMazovia, kCodeLatin2, 0xA5), 0xE3);
  EXPECT_EQ(plcode.Convert(kCodeWindows, kCodeLatin2, 0xA5), 0xA4);
}

}  // namespace
}  // namespace zv
