#include <QApplication>

#include <gmock/gmock.h>

// Under ThreadSanitizer: Qt is not built with it, so its own threads (the
// pool that loads fonts and images) free memory it allocated elsewhere
// without the detector seeing Qt's locks. Calls made from Qt's libraries
// are left out; races are looked for in the program's own code. The
// variable TSAN_OPTIONS still adds to and overrides this.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }

// The dialog tests run on Qt's offscreen platform: no display needed.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
