#include "ui/win32/port_list.h"

#include <algorithm>
#include <string>

#include "support/wide_text.h"

namespace zv {
namespace {

// Room around an entry's text in the open list: the borders, the item's
// margins and the vertical scroll bar.
int ListChrome() { return GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXBORDER) + 8; }

// Entry `index`'s text; empty past the end.
std::wstring EntryText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// Writes the items' entries: `write` puts entry `index` into the list; the
// open list is then made as wide as the longest entry.
template <typename Write>
void WriteEntries(HWND list, const std::vector<PortListItem>& items, Language language,
                  Write write) {
  const HDC dc = GetDC(list);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (std::size_t index = 0; index < items.size(); ++index) {
    const std::wstring entry = WideFromUtf8(PortListEntry(items[index], language));
    write(static_cast<int>(index), entry);
    SIZE size{};
    GetTextExtentPoint32W(dc, entry.c_str(), static_cast<int>(entry.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + ListChrome()), 0);
}

}  // namespace

void FillPortList(HWND list, const std::vector<PortListItem>& items, Language language) {
  SendMessageW(list, CB_INITSTORAGE, items.size(), items.size() * 64);
  WriteEntries(list, items, language, [list](int, const std::wstring& entry) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  });
}

// A combo box cannot change an entry's text: the entry is deleted and the
// new one inserted at its place, which takes the selection from a
// selected entry; the selection is given back after.
void UpdatePortList(HWND list, const std::vector<PortListItem>& items, Language language) {
  const LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  bool changed = false;
  WriteEntries(list, items, language, [list, &changed](int index, const std::wstring& entry) {
    if (EntryText(list, index) == entry) return;
    SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(list, CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(entry.c_str()));
    changed = true;
  });
  if (!changed) return;
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  ShowComInBox(list);
}

void ShowComInBox(HWND list) {
  const LRESULT selection = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) return;
  SetWindowTextW(list, WideFromUtf8(PortBoxText(static_cast<int>(selection) + 1)).c_str());
}

}  // namespace zv
