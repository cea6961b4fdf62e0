#include "ui/qt/reader_app.h"

int main(int argc, char** argv) {
  CReaderApp app(argc, argv);
  return app.InitInstance();
}
