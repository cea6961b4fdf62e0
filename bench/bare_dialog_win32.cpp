// A plain Win32 dialog with the main dialog's controls, from the same
// English template and with the same list entries, and nothing else: no
// settings, no icon, no system-menu entry, no transfer logic. It is the
// floor that zvreader.exe's start-up time and memory are held against.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "res/dialog_lists.h"
#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/win32/dialog_template.h"

namespace {

template <typename Entries>
void Fill(HWND dialog, int id, const Entries& entries) {
  for (const char* entry : entries) {
    const std::wstring text(entry, entry + std::char_traits<char>::length(entry));
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    Fill(dialog, zv::IDC_BAUD, zv::kBaudEntries);
    Fill(dialog, zv::IDC_CODE_DEST, zv::kTargetEncodingEntries);
    Fill(dialog, zv::IDC_CODE_SOURCE, zv::kDeviceEncodingEntries);
    for (int com = 1; com <= 256; ++com) {
      const std::wstring entry = L"COM " + std::to_wstring(com);
      SendDlgItemMessageW(dialog, zv::IDC_PORT, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendDlgItemMessageW(dialog, zv::IDC_PORT, CB_SETCURSEL, 0, 0);
    CheckDlgButton(dialog, zv::IDC_MODEL_A, BST_CHECKED);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);
  const zv::Win32DialogTemplate dialog(
      zv::MainDialogTemplate(zv::Language::English),
      {WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
       WS_EX_APPWINDOW});
  DialogBoxIndirectParamW(instance, dialog.get(), nullptr, &BareProc, 0);
  return 0;
}
