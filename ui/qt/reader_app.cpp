#include "ui/qt/reader_app.h"

#include "res/string_table.h"
#include "support/strings.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/reader_dlg.h"
#include "zv_version.h"

CReaderApp::CReaderApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromUtf8(zv::kAppName));
  setApplicationVersion(QStringLiteral(ZV_VERSION_STRING));
  setDesktopFileName(QStringLiteral("zvreader"));
  setWindowIcon(zv::AppIcon());
  // In the Polish variant the file chooser and the message boxes speak
  // Polish too, where Qt's translations are installed.
  zv::InstallQtTranslations(*this, qtTranslator_, zv::UiLanguage());
}

int CReaderApp::InitInstance() {
  CReaderDlg dialog;
  dialog.exec();
  return 0;
}
