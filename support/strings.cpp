#include "support/strings.h"

#include <atomic>
#include <cstdio>

#include "res/string_table.h"

namespace zv {

Language SystemUiLanguage();  // ui_language_<platform>.cpp

namespace {

// -1: follow the system; otherwise a forced Language.
std::atomic<int> forcedLanguage{-1};

}  // namespace

Language UiLanguage() {
  const int forced = forcedLanguage.load();
  return forced < 0 ? SystemUiLanguage() : static_cast<Language>(forced);
}

void SetUiLanguage(Language language) {
  forcedLanguage.store(static_cast<int>(language));
}

void ClearUiLanguage() { forcedLanguage.store(-1); }

std::string LoadStringA(UINT id) { return LoadStringA(id, UiLanguage()); }

std::string LoadStringA(UINT id, Language language) {
  const char* text = StringTableEntry(id, language);
  return text ? text : "";
}

std::string FormatTransmitted(int tests, int expected) {
  return FormatTransmitted(tests, expected, UiLanguage());
}

std::string FormatTransmitted(int tests, int expected, Language language) {
  const char* format = StringTableEntry(IDS_TRANSMITTED, language);
  char text[128];
  std::snprintf(text, sizeof text, format, tests, expected);
  return text;
}

}  // namespace zv
