#pragma once

#include "support/types.h"

namespace zv {

// Code numbers of the Polish code pages.
inline constexpr UINT kCodeNoPolish = 0;  // plain Latin letters
inline constexpr UINT kCodeMazovia = 2;
inline constexpr UINT kCodeLatin2 = 3;    // MS-DOS code page 852
inline constexpr UINT kCodeWindows = 11;  // code page 1250

// ą ć ę ł ń ó ś ź ż and their capitals.
inline constexpr int kPolishLetterCount = 18;

// The 18 Polish letters with diacritics in each code page. Stateless and
// cheap: any thread may use any instance.
class CPLCode {
 public:
  // Nonzero when `byte` is a Polish letter in code page `code`. Only
  // kCodeMazovia, kCodeLatin2 and kCodeWindows hold letters; kCodeNoPolish
  // and unknown codes never do.
  int IsPLChar(UINT code, BYTE byte) const;
  // The same letter in code page `to`; a byte that is no Polish letter in
  // `from` comes back unchanged. Target kCodeNoPolish gives the base letter
  // (ą -> a, Ł -> L); an unknown target gives the byte back unchanged.
  BYTE Convert(UINT from, UINT to, BYTE byte) const;
};

// The Unicode code point of the Polish letter `byte` in code page `code`
// (U+0104 for Ą, ...); 0 when the byte is no Polish letter there.
char32_t PolishLetterCodePoint(UINT code, BYTE byte);

}  // namespace zv
