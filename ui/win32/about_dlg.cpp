#include "ui/win32/about_dlg.h"

#include "res/dialog_templates.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/placement.h"

namespace zv {
namespace {

constexpr DialogFrame kAboutFrame{DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0};

// A plain dialog: OK, Esc and the close box end it.
INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CenterWindow(window, GetWindow(window, GW_OWNER));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner) {
  const Win32DialogTemplate about(AboutDialogTemplate(), kAboutFrame);
  DialogBoxIndirectParamW(instance, about.get(), owner, &AboutProc, 0);
}

}  // namespace zv
