// The application: starts the main dialog and ends with it. The command
// line is never looked at.
#include <windows.h>
#include <commctrl.h>

#include "ui/win32/reader_dlg.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  CReaderDlg dialog(instance);
  dialog.DoModal();
  return 0;
}
