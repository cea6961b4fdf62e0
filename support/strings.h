#pragma once

#include <span>
#include <string>
#include <string_view>

#include "support/types.h"

namespace zv {

inline constexpr UINT IDS_ABOUTBOX = 101;
inline constexpr UINT IDS_TRANSMITTED = 102;
inline constexpr UINT IDS_WAITING = 103;
inline constexpr UINT IDS_FILE_FILTER = 104;
// Save's PDF type, "label|pattern|", joined to IDS_FILE_FILTER's types.
inline constexpr UINT IDS_PDF_FILE_TYPE = 105;
// The progress bar's accessible name: what it shows.
inline constexpr UINT IDS_PROGRESS_NAME = 106;

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

// A field of a sentence: "{name}" in the sentence stands for `value`.
struct TextField {
  std::string_view name;
  std::string value;
};

// `text` with each "{name}" replaced by its field's value (nothing for an
// unknown name); the values are not searched again, so a device path with
// braces stays as it is.
std::string FillFields(std::string_view text, std::span<const TextField> fields);

}  // namespace zv
