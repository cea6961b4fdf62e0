#pragma once

#include <QApplication>
#include <QTranslator>

// The application: Qt's start-up, the user interface language for Qt's own
// dialogs, then the main dialog; the program ends with the dialog.
class CReaderApp : public QApplication {
  Q_OBJECT

 public:
  // Qt takes its own arguments; the rest are ignored.
  CReaderApp(int& argc, char** argv);

  // Runs the main dialog modally. Always 0.
  int InitInstance();

 private:
  QTranslator qtTranslator_;
};
