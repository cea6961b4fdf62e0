#include <windows.h>

#include "support/strings.h"

namespace zv {

Language SystemUiLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH
             ? Language::Polish
             : Language::English;
}

}  // namespace zv
