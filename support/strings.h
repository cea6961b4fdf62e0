#pragma once

#include <string>

#include "support/types.h"

namespace zv {

inline constexpr UINT IDS_ABOUTBOX = 101;
inline constexpr UINT IDS_TRANSMITTED = 102;
inline constexpr UINT IDS_WAITING = 103;
inline constexpr UINT IDS_FILE_FILTER = 104;

enum class Language { English, Polish };

// The user interface language: Polish when the system says so (POSIX: the
// first set of LANGUAGE, LC_ALL, LC_MESSAGES, LANG begins with "pl";
// Windows: the user's UI language), English otherwise. A language forced
// with SetUiLanguage wins.
Language UiLanguage();
void SetUiLanguage(Language language);
void ClearUiLanguage();

// A string of the program's string table, UTF-8; empty for an unknown ID.
std::string LoadStringA(UINT id);
std::string LoadStringA(UINT id, Language language);

// IDS_TRANSMITTED formatted with the test count and the expected count.
std::string FormatTransmitted(int tests, int expected);
std::string FormatTransmitted(int tests, int expected, Language language);

}  // namespace zv
