#include "ui/win32/port_list.h"

#include <algorithm>
#include <string>

#include "support/wide_text.h"

namespace zv {
namespace {

// Room around an entry's text in the open list: the borders, the item's
// margins and the vertical scroll bar.
int ListChrome() { return GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXBORDER) + 8; }

}  // namespace

void FillPortList(HWND list, const std::vector<PortListItem>& items, Language language) {
  const HDC dc = GetDC(list);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  SendMessageW(list, CB_INITSTORAGE, items.size(), items.size() * 64);
  for (const PortListItem& item : items) {
    const std::wstring entry = WideFromUtf8(PortListEntry(item, language));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SIZE size{};
    GetTextExtentPoint32W(dc, entry.c_str(), static_cast<int>(entry.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + ListChrome()), 0);
}

void ShowComInBox(HWND list) {
  const LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) return;
  SetWindowTextW(list, WideFromUtf8(PortBoxText(static_cast<int>(selection) + 1)).c_str());
}

}  // namespace zv
