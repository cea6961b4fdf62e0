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

std::string FillFields(std::string_view text, std::span<const TextField> fields) {
  std::string filled;
  while (!text.empty()) {
    const std::size_t open = text.find('{');
    const std::size_t close = text.find('}', open);
    filled += text.substr(0, open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    const std::string_view name = text.substr(open + 1, close - open - 1);
    for (const TextField& field : fields) {
      if (field.name == name) filled += field.value;
    }
    text.remove_prefix(close + 1);
  }
  return filled;
}

}  // namespace zv
