#include "ui/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zv {

bool InstallQtTranslations(QCoreApplication& application, QTranslator& translator,
                           Language language) {
  if (language != Language::Polish) return false;
  if (!translator.load(QStringLiteral("qtbase_pl"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return application.installTranslator(&translator);
}

}  // namespace zv
