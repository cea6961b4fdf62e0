#pragma once

#include "support/strings.h"

class QCoreApplication;
class QTranslator;

namespace zv {

// Loads Qt's own translations for `language` (its buttons, file chooser
// and message boxes) into `translator` and installs it in `application`.
// False for English or when the translations are not installed.
bool InstallQtTranslations(QCoreApplication& application, QTranslator& translator,
                           Language language);

}  // namespace zv
