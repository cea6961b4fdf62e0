#include "support/plcode.h"

#include <array>
#include <cstddef>

namespace zv {
namespace {

// One row per letter: its plain Latin base letter, its byte in each code
// page and its Unicode code point. Every other table in this file is
// derived from this one.
struct PolishLetter {
  BYTE base;
  BYTE mazovia;
  BYTE latin2;
  BYTE windows;
  char32_t unicode;
};

constexpr std::array<PolishLetter, kPolishLetterCount> kLetters{{
    {'A', 0x8F, 0xA4, 0xA5, 0x0104},  // Ą
    {'a', 0x86, 0xA5, 0xB9, 0x0105},  // ą
    {'C', 0x95, 0x8F, 0xC6, 0x0106},  // Ć
    {'c', 0x8D, 0x86, 0xE6, 0x0107},  // ć
    {'E', 0x90, 0xA8, 0xCA, 0x0118},  // Ę
    {'e', 0x91, 0xA9, 0xEA, 0x0119},  // ę
    {'L', 0x9C, 0x9D, 0xA3, 0x0141},  // Ł
    {'l', 0x92, 0x88, 0xB3, 0x0142},  // ł
    {'N', 0xA5, 0xE3, 0xD1, 0x0143},  // Ń
    {'n', 0xA4, 0xE4, 0xF1, 0x0144},  // ń
    {'O', 0xA3, 0xE0, 0xD3, 0x00D3},  // Ó
    {'o', 0xA2, 0xA2, 0xF3, 0x00F3},  // ó
    {'S', 0x98, 0x97, 0x8C, 0x015A},  // Ś
    {'s', 0x9E, 0x98, 0x9C, 0x015B},  // ś
    {'Z', 0xA0, 0x8D, 0x8F, 0x0179},  // Ź
    {'z', 0xA6, 0xAB, 0x9F, 0x017A},  // ź
    {'Z', 0xA1, 0xBD, 0xAF, 0x017B},  // Ż
    {'z', 0xA7, 0xBE, 0xBF, 0x017C},  // ż
}};

// The code pages that hold the letters, in the column order used below.
constexpr std::array<UINT, 3> kLetterCodes{kCodeMazovia, kCodeLatin2, kCodeWindows};
constexpr int kNoColumn = -1;
constexpr int kNoLetter = -1;

constexpr int ColumnOf(UINT code) {
  for (std::size_t column = 0; column < kLetterCodes.size(); ++column) {
    if (kLetterCodes[column] == code) return static_cast<int>(column);
  }
  return kNoColumn;
}

constexpr BYTE ByteIn(int column, const PolishLetter& letter) {
  constexpr std::array<BYTE PolishLetter::*, 3> kFields{
      &PolishLetter::mazovia, &PolishLetter::latin2, &PolishLetter::windows};
  return letter.*kFields[static_cast<std::size_t>(column)];
}

// For each code page: byte -> index into kLetters, or kNoLetter.
using LetterIndex = std::array<signed char, 256>;

constexpr std::array<LetterIndex, 3> BuildLetterIndexes() {
  std::array<LetterIndex, 3> indexes{};
  for (int column = 0; column < 3; ++column) {
    LetterIndex& index = indexes[static_cast<std::size_t>(column)];
    index.fill(kNoLetter);
    for (std::size_t letter = 0; letter < kLetters.size(); ++letter) {
      index[ByteIn(column, kLetters[letter])] = static_cast<signed char>(letter);
    }
  }
  return indexes;
}

constexpr std::array<LetterIndex, 3> kLetterIndexes = BuildLetterIndexes();

constexpr int LetterAt(UINT code, BYTE byte) {
  const int column = ColumnOf(code);
  if (column == kNoColumn) return kNoLetter;
  return kLetterIndexes[static_cast<std::size_t>(column)][byte];
}

// Each code page must give each letter a byte of its own.
constexpr bool EveryLetterHasItsOwnByte() {
  for (UINT code : kLetterCodes) {
    for (std::size_t letter = 0; letter < kLetters.size(); ++letter) {
      if (LetterAt(code, ByteIn(ColumnOf(code), kLetters[letter])) !=
          static_cast<int>(letter)) {
        return false;
      }
    }
  }
  return true;
}
static_assert(EveryLetterHasItsOwnByte());

}  // namespace

int CPLCode::IsPLChar(UINT code, BYTE byte) const {
  return LetterAt(code, byte) != kNoLetter ? 1 : 0;
}

char32_t PolishLetterCodePoint(UINT code, BYTE byte) {
  const int letter = LetterAt(code, byte);
  return letter == kNoLetter ? 0 : kLetters[static_cast<std::size_t>(letter)].unicode;
}

BYTE CPLCode::Convert(UINT from, UINT to, BYTE byte) const {
  const int letter = LetterAt(from, byte);
  if (letter == kNoLetter) return byte;
  const PolishLetter& row = kLetters[static_cast<std::size_t>(letter)];
  if (to == kCodeNoPolish) return row.base;
  const int column = ColumnOf(to);
  return column == kNoColumn ? byte : ByteIn(column, row);
}

}  // namespace zv
