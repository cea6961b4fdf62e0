#include "ui/reader_app.h"

#include <QLibraryInfo>

#include "support/strings.h"
#include "zv_version.h"
#include "ui/app_icon.h"
#include "ui/reader_dlg.h"

CReaderApp::CReaderApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("ZVReader"));
  setApplicationVersion(QStringLiteral(ZV_VERSION_STRING));
  setDesktopFileName(QStringLiteral("zvreader"));
  setWindowIcon(zv::AppIcon());
  LoadQtTranslations();
}

// In the Polish variant the file chooser and the message boxes speak
// Polish too, where Qt's translations are installed.
void CReaderApp::LoadQtTranslations() {
  if (zv::UiLanguage() != zv::Language::Polish) return;
  if (qtTranslator_.load(QStringLiteral("qtbase_pl"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(&qtTranslator_);
  }
}

int CReaderApp::InitInstance() {
  CReaderDlg dialog;
  dialog.exec();
  return 0;
}
