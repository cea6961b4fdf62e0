// Looks at the running zvreader.exe from outside, for the end-to-end test
// that drives it with real mouse and key events: where its controls are on
// the screen and what they show. It never sends input and never changes
// anything.
//
//   dialog_probe wait-main SECONDS    the main dialog is shown
//   dialog_probe wait-owned SECONDS   a window owned by it is shown (file
//                                     chooser, About box, message box);
//                                     prints its title and its texts
//   dialog_probe wait-no-owned SECONDS  no such window any more
//   dialog_probe wait-gone SECONDS    the main dialog has gone
//   dialog_probe wait-class CLASS SECONDS  a window of that class is shown
//                                     (#32768: a menu, ComboLBox: a list)
//   dialog_probe center ID            screen centre of control ID: "x y"
//   dialog_probe rect ID              its screen rectangle: "left top right bottom"
//   dialog_probe caption close|menu   screen centre of the close box or
//                                     the system-menu button
//   dialog_probe state                the controls' state, "key=value"
//   dialog_probe list ID              the entries of list ID, one a line
//   dialog_probe item ID INDEX        screen centre of entry INDEX in the
//                                     dropped-down list ID, when shown
//   dialog_probe handle ID            the window handle of control ID, as
//                                     Wine's messages write it
//
// Texts are printed as UTF-8. Exit status 0 on success, 1 when the window
// is missing or a wait ran out, 2 on a usage error.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const wchar_t* kMainTitle = L"ZORVEL Reader";

// Control IDs of the main dialog (res/resource.h).
constexpr int kStart = 1000, kModelA = 1001, kProgress = 1003, kStatus = 1004,
              kSettings = 1005, kSave = 1006, kBaud = 1011, kFrame = 1012,
              kModelB = 1013, kCodeDest = 1014, kCodeSource = 1015, kPort = 1016;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                      length, nullptr, nullptr);
  return utf8;
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// A window's text, asked of the window itself: GetWindowText would give
// another program's window's caption, not what a list box shows.
std::wstring Text(HWND window) {
  const auto length = static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXT, text.size(),
                                                    reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

HWND MainDialog() {
  const HWND window = FindWindowW(L"#32770", kMainTitle);
  return window && IsWindowVisible(window) ? window : nullptr;
}

struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND OwnedWindow(HWND owner) {
  OwnedSearch search{owner, nullptr};
  if (owner) EnumWindows(&FindOwned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls `done` every 50 ms for up to `seconds`.
template <typename Condition>
bool WaitFor(double seconds, Condition done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
  wchar_t className[64] = {};
  GetClassNameW(child, className, 64);
  const std::wstring text = Text(child);
  const bool icon = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
  if (IsWindowVisible(child) && !text.empty() && !icon && _wcsicmp(className, L"Static") == 0) {
    Print("text=" + Utf8(text));
  }
  return TRUE;
}

void PrintCenter(const RECT& rect) {
  std::printf("%ld %ld\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// The centre of the caption area that answers WM_NCHITTEST with `hit`.
bool CaptionPart(HWND window, LRESULT hit) {
  RECT rect;
  GetWindowRect(window, &rect);
  RECT found{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  for (LONG y = rect.top; y < rect.top + 48 && y < rect.bottom; ++y) {
    for (LONG x = rect.left; x < rect.right; x += 2) {
      if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != hit) continue;
      found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x),
               std::max(found.bottom, y)};
    }
  }
  if (found.left == LONG_MAX) return false;
  PrintCenter(found);
  return true;
}

std::wstring ListEntry(HWND list, int index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

struct ClassSearch {
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (!IsWindowVisible(window) || _wcsicmp(className, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of this class.
HWND ShownWindowOfClass(const wchar_t* className) {
  ClassSearch search{className, nullptr};
  EnumWindows(&FindClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Entry `index` of an open drop-down list (a top-level window of its own,
// below or above the closed box): one item height per entry from the top
// index on.
bool DroppedItemCenter(HWND list, int index) {
  if (!SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0)) return false;
  const HWND dropped = ShownWindowOfClass(L"ComboLBox");
  if (!dropped) return false;
  RECT rect;
  GetWindowRect(dropped, &rect);
  const int top = static_cast<int>(SendMessageW(list, CB_GETTOPINDEX, 0, 0));
  const int height = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
  const LONG y = rect.top + 1 + (index - top) * height + height / 2;
  if (index < top || height <= 0 || y >= rect.bottom - 1) return false;
  std::printf("%ld %ld\n", rect.left + (rect.right - rect.left) / 3, y);
  return true;
}

// A list's selection, the text its box shows and the selected entry.
void PrintList(HWND dialog, const char* name, int id) {
  const HWND list = GetDlgItem(dialog, id);
  const int selection = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
  Print(std::string(name) + ".selection=" + std::to_string(selection));
  Print(std::string(name) + ".text=" + Utf8(Text(list)));
  Print(std::string(name) + ".entry=" + (selection >= 0 ? Utf8(ListEntry(list, selection)) : ""));
  Print(std::string(name) + ".enabled=" + (IsWindowEnabled(list) ? "1" : "0"));
  Print(std::string(name) + ".visible=" + (IsWindowVisible(list) ? "1" : "0"));
}

void PrintButton(HWND dialog, const char* name, int id) {
  const HWND button = GetDlgItem(dialog, id);
  Print(std::string(name) + ".text=" + Utf8(Text(button)));
  Print(std::string(name) + ".enabled=" + (IsWindowEnabled(button) ? "1" : "0"));
}

// The ID of the dialog's control that has the keyboard focus (a list's
// edit field counts as its list); 0 when none has.
int FocusedControl(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return 0;
  for (HWND window = info.hwndFocus; window; window = GetParent(window)) {
    if (GetParent(window) == dialog) return GetDlgCtrlID(window);
  }
  return 0;
}

void PrintState(HWND dialog) {
  PrintButton(dialog, "start", kStart);
  PrintButton(dialog, "settings", kSettings);
  PrintButton(dialog, "save", kSave);
  PrintButton(dialog, "done", IDOK);
  Print("status=" + Utf8(Text(GetDlgItem(dialog, kStatus))));
  const HWND progress = GetDlgItem(dialog, kProgress);
  Print("progress.position=" + std::to_string(SendMessageW(progress, PBM_GETPOS, 0, 0)));
  Print("progress.maximum=" + std::to_string(SendMessageW(progress, PBM_GETRANGE, FALSE, 0)));
  const bool a = IsDlgButtonChecked(dialog, kModelA) == BST_CHECKED;
  const bool b = IsDlgButtonChecked(dialog, kModelB) == BST_CHECKED;
  Print(std::string("model=") + (a ? "A" : b ? "B" : "none"));
  PrintList(dialog, "baud", kBaud);
  PrintList(dialog, "port", kPort);
  PrintList(dialog, "dest", kCodeDest);
  PrintList(dialog, "source", kCodeSource);
  const DWORD defId = static_cast<DWORD>(SendMessageW(dialog, DM_GETDEFID, 0, 0));
  Print("default=" + std::to_string(HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0));
  Print("focus=" + std::to_string(FocusedControl(dialog)));
  RECT window;
  RECT frame;
  GetWindowRect(dialog, &window);
  GetWindowRect(GetDlgItem(dialog, kFrame), &frame);
  Print("window=" + std::to_string(window.left) + " " + std::to_string(window.top) + " " +
        std::to_string(window.right) + " " + std::to_string(window.bottom));
  Print("frame=" + std::to_string(frame.left) + " " + std::to_string(frame.top) + " " +
        std::to_string(frame.right) + " " + std::to_string(frame.bottom));
  Print(std::string("taskbar=") +
        ((GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) ? "1" : "0"));
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  Print(std::string("minmaxbox=") + ((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? "1" : "0"));
}

int Usage() {
  std::fputs("usage: dialog_probe wait-main|wait-owned|wait-no-owned|wait-active|wait-gone SECONDS\n"
             "       dialog_probe wait-class CLASS SECONDS\n"
             "       dialog_probe center|rect|handle ID | caption close|menu | state | list ID\n"
             "       dialog_probe item ID INDEX\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  const char* argument = argc > 2 ? argv[2] : "";
  const double seconds = std::atof(argument);

  if (command == "wait-main") return WaitFor(seconds, [] { return MainDialog() != nullptr; }) ? 0 : 1;
  if (command == "wait-gone") {
    return WaitFor(seconds, [] { return FindWindowW(L"#32770", kMainTitle) == nullptr; }) ? 0 : 1;
  }
  if (command == "wait-owned") {
    HWND owned = nullptr;
    if (!WaitFor(seconds, [&owned] { return (owned = OwnedWindow(MainDialog())) != nullptr; })) {
      return 1;
    }
    Print("title=" + Utf8(Text(owned)));
    EnumChildWindows(owned, &PrintChildText, 0);
    return 0;
  }
  if (command == "wait-class" && argc > 3) {
    const std::wstring className(argument, argument + std::strlen(argument));
    const double wait = std::atof(argv[3]);
    return WaitFor(wait, [&className] { return ShownWindowOfClass(className.c_str()) != nullptr; })
               ? 0
               : 1;
  }
  if (command == "wait-no-owned") {
    return WaitFor(seconds, [] {
             const HWND dialog = MainDialog();
             return dialog && !OwnedWindow(dialog);
           })
               ? 0
               : 1;
  }
  // The main dialog is the active window again, as after a box it owned
  // closed: only then do its keys (F1) reach it.
  if (command == "wait-active") {
    return WaitFor(seconds, [] { return MainDialog() && GetForegroundWindow() == MainDialog(); })
               ? 0
               : 1;
  }

  const HWND dialog = MainDialog();
  if (!dialog) {
    std::fputs("dialog_probe: the main dialog is not shown\n", stderr);
    return 1;
  }
  if ((command == "center" || command == "rect") && argc > 2) {
    const HWND control = GetDlgItem(dialog, std::atoi(argument));
    if (!control) {
      std::fprintf(stderr, "dialog_probe: no control %s in the main dialog\n", argument);
      return 1;
    }
    RECT rect;
    GetWindowRect(control, &rect);
    if (command == "center") {
      PrintCenter(rect);
    } else {
      std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    }
    return 0;
  }
  if (command == "caption" && argc > 2) {
    const LRESULT hit = std::strcmp(argument, "close") == 0 ? HTCLOSE : HTSYSMENU;
    return CaptionPart(dialog, hit) ? 0 : 1;
  }
  if (command == "handle" && argc > 2) {
    const HWND control = GetDlgItem(dialog, std::atoi(argument));
    if (!control) return 1;
    std::printf("%016llX\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(control)));
    return 0;
  }
  if (command == "state") {
    PrintState(dialog);
    return 0;
  }
  if (command == "list" && argc > 2) {
    const HWND list = GetDlgItem(dialog, std::atoi(argument));
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) Print(Utf8(ListEntry(list, i)));
    return 0;
  }
  if (command == "item" && argc > 3) {
    return DroppedItemCenter(GetDlgItem(dialog, std::atoi(argument)), std::atoi(argv[3])) ? 0 : 1;
  }
  return Usage();
}
