#include <cstdlib>
#include <string_view>

#include "support/strings.h"

namespace zv {

// The first of the locale variables that is set decides, as gettext does.
Language SystemUiLanguage() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      return std::string_view(value).starts_with("pl") ? Language::Polish
                                                         : Language::English;
    }
  }
  return Language::English;
}

}  // namespace zv
