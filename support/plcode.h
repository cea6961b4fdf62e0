#pragma once

#include "support/types.h"

namespace zv {

// Code numbers of the Polish code pages.
inline constexpr UINT kCodeNoPolish = 0;  // plain Latin letters
inline constexpr UINT kCodeMazovia = 2;
inline constexpr UINT kCodeLatin2 = 3;    // MS-DOS code page 852
inline constexpr UINT kCodeWindows = 11;  // code page 1250

// The 18 Polish letters with diacritics in each code page.
class CPLCode {
 public:
  // Nonzero when `byte` is a Polish letter in code page `code`.
  int IsPLChar(UINT code, BYTE byte) const;
  // The same letter in code page `to`; a byte that is no Polish letter in
  // `from` comes back unchanged. Target kCodeNoPolish gives the base letter.
  BYTE Convert(UINT from, UINT to, BYTE byte) const;
};

}  // namespace zv
