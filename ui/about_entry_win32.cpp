// The program's IDs first: <windows.h> defines IDOK and IDCANCEL as macros.
#include "res/resource.h"
#include "ui/about_entry.h"

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDialog>

namespace zv {
namespace {

// Runs the About box for the system-menu command IDM_ABOUTBOX of one
// window; every other command goes on to the default processing.
class SystemMenuCommand : public QObject, public QAbstractNativeEventFilter {
 public:
  SystemMenuCommand(QDialog& dialog, HWND window, std::function<void()> showAbout)
      : QObject(&dialog), window_(window), showAbout_(std::move(showAbout)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~SystemMenuCommand() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->hwnd != window_ || msg->message != WM_SYSCOMMAND) return false;
    if ((msg->wParam & 0xFFF0) != static_cast<WPARAM>(IDM_ABOUTBOX)) return false;
    showAbout_();
    *result = 0;
    return true;
  }

 private:
  HWND window_;
  std::function<void()> showAbout_;
};

}  // namespace

void InstallAboutEntry(QDialog& dialog, const QString& text, std::function<void()> showAbout) {
  if (text.isEmpty()) return;
  const HWND window = reinterpret_cast<HWND>(dialog.winId());
  const HMENU systemMenu = GetSystemMenu(window, FALSE);
  if (!systemMenu) return;
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(text.utf16()));
  new SystemMenuCommand(dialog, window, std::move(showAbout));
}

}  // namespace zv
