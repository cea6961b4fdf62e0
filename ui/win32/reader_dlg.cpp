#include "ui/win32/reader_dlg.h"

#include <commctrl.h>


#include "res/dialog_templates.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "support/wide_text.h"
#include "ui/win32/about_dlg.h"
#include "ui/win32/dialog_template.h"
#include "ui/win32/placement.h"
#include "ui/win32/port_list.h"
#include "ui/win32/save_file_chooser.h"

using namespace zv;

namespace {

// Visible popup with caption, system menu and modal frame, no minimise or
// maximise box, on the task bar.
constexpr DialogFrame kMainFrame{
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_APPWINDOW};

// Wakes the window for the worker's queued calls.
constexpr UINT kWorkerCallsMessage = WM_APP + 1;
// Shows only "COM n" in the port list's box, once the list has put the
// whole entry there.
constexpr UINT kPortShownMessage = WM_APP + 2;

// One row of a handler table: a control's notification and the member
// of `Target` that handles it.
template <typename Target>
struct Handler {
  int id;
  int code;
  void (Target::*handle)();
};

template <typename Target, std::size_t N>
bool Dispatch(const Handler<Target> (&table)[N], Target& target, int id, int code) {
  for (const Handler<Target>& handler : table) {
    if (handler.id != id || handler.code != code) continue;
    (target.*handler.handle)();
    return true;
  }
  return false;
}

HICON LoadAppIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), 0));
}

}  // namespace

CReaderDlg::CReaderDlg(HINSTANCE instance, Language language)
    : instance_(instance),
      language_(language),
      bigIcon_(LoadAppIcon(instance, SM_CXICON, SM_CYICON)),
      smallIcon_(LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON)),
      workerCalls_([this] {
        return window_ != nullptr && PostMessageW(window_, kWorkerCallsMessage, 0, 0) != 0;
      }),
      control_(*this) {
  SetErrorReporter([this](const std::string& message) { ShowMessage(message); }, language_);
}

CReaderDlg::~CReaderDlg() {
  control_.StopAndJoin();
  SetErrorReporter({});
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

INT_PTR CReaderDlg::DoModal() {
  const Win32DialogTemplate dialog(MainDialogTemplate(language_), kMainFrame);
  return DialogBoxIndirectParamW(instance_, dialog.get(), nullptr, &CReaderDlg::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CReaderDlg::DialogProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<CReaderDlg*>(lParam)->window_ = window;
  }
  auto* dialog = reinterpret_cast<CReaderDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CReaderDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam);
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(bigIcon_);
    case WM_HELP:
      OnHelp();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case kWorkerCallsMessage:
      workerCalls_.RunPending();
      return TRUE;
    case kPortShownMessage:
      ShowComInBox(Item(IDC_PORT));
      return TRUE;
    case WM_DESTROY:
      names_.reset();
      control_.OnWindowClosing();
      return FALSE;
    default:
      return FALSE;
  }
}

// The handler table: every control notification and the end command; the
// transfer's handlers are TransferControl's, the window's own follow.
void CReaderDlg::OnCommand(int id, int code) {
  static constexpr Handler<TransferControl> kTransferHandlers[] = {
      {IDC_START, BN_CLICKED, &TransferControl::OnStartStop},
      {IDC_SAVE, BN_CLICKED, &TransferControl::OnSave},
      {IDC_MODEL_B, BN_CLICKED, &TransferControl::OnModel},
      {IDC_MODEL_A, BN_CLICKED, &TransferControl::OnModel},
      {IDC_PORT, CBN_KILLFOCUS, &TransferControl::OnKillFocusPort},
      {IDC_PORT, CBN_DROPDOWN, &TransferControl::OnPortListOpening},
      {ID_TRANSFER_END, 0, &TransferControl::OnTransferEnd},
  };
  static constexpr Handler<CReaderDlg> kWindowHandlers[] = {
      {IDC_SETTINGS, BN_CLICKED, &CReaderDlg::OnSettings},
      {IDC_PORT, CBN_SELCHANGE, &CReaderDlg::OnPortShown},
      {IDC_PORT, CBN_CLOSEUP, &CReaderDlg::OnPortShown},
      {IDOK, BN_CLICKED, &CReaderDlg::OnOK},
      {IDCANCEL, BN_CLICKED, &CReaderDlg::OnCancel},
  };
  if (!Dispatch(kTransferHandlers, control_, id, code)) Dispatch(kWindowHandlers, *this, id, code);
}

BOOL CReaderDlg::OnInitDialog() {
  AddAboutEntry();
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  ShowSettingsPanel();
  control_.OnInitDialog();
  names_ = std::make_unique<ControlNames>();
  names_->NameLabelledControls(window_, MainDialogTemplate(language_));
  names_->Name(Item(IDC_PROGRESS), LoadStringA(IDS_PROGRESS_NAME, language_));
  CenterWindow(window_, nullptr);  // with the panel cut, as it is shown
  return TRUE;  // the focus goes to the first control with a tab stop, START
}

// A separator and the About entry at the end of the system menu, unless
// the string table has no text for it.
void CReaderDlg::AddAboutEntry() {
  const HMENU menu = GetSystemMenu(window_, FALSE);
  const std::wstring text = WideFromUtf8(LoadStringA(IDS_ABOUTBOX, language_));
  if (!menu || text.empty()) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

// Cuts the window at the top of the settings frame, or extends it to just
// below the frame, keeping its left, top and width.
void CReaderDlg::ShowSettingsPanel() {
  RECT dialog;
  RECT frame;
  GetWindowRect(window_, &dialog);
  GetWindowRect(Item(IDC_SETTINGS_FRAME), &frame);
  const LONG bottom = settingsShown_ ? frame.bottom + kPanelMargin : frame.top;
  MoveWindow(window_, dialog.left, dialog.top, dialog.right - dialog.left, bottom - dialog.top,
             TRUE);
}

// The About entry; every other command goes on to the default processing.
bool CReaderDlg::OnSysCommand(WPARAM id) {
  if ((id & 0xFFF0) != static_cast<WPARAM>(IDM_ABOUTBOX)) return false;
  OnAbout();
  return true;
}

// Drawn only while minimised: the icon in the middle of the client area.
bool CReaderDlg::OnPaint() {
  if (!IsIconic(window_)) return false;
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window_, &paint);
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window_, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, bigIcon_);
  EndPaint(window_, &paint);
  return true;
}

// F1 in the main window. The About box and the message boxes pass their
// own F1 on to their owner, this window, which must not open another
// About box on top of them.
void CReaderDlg::OnHelp() {
  if (GetActiveWindow() == window_) OnAbout();
}

void CReaderDlg::OnSettings() {
  settingsShown_ = !settingsShown_;
  ShowSettingsPanel();
}

// The list has just put the whole entry into its box, or will do so right
// after this notification: the box is cut to "COM n" after that.
void CReaderDlg::OnPortShown() { PostMessageW(window_, kPortShownMessage, 0, 0); }

// The window's destruction (WM_DESTROY) stops the worker and saves the
// settings (TransferControl::OnWindowClosing). Ending the dialog takes
// the focus from a focused port list first, which stores its port.
void CReaderDlg::OnOK() {
  control_.OnOK();
  EndDialog(window_, IDOK);
}

void CReaderDlg::OnCancel() { EndDialog(window_, IDCANCEL); }

void CReaderDlg::OnAbout() { RunAboutBox(instance_, window_); }

HWND CReaderDlg::Item(int id) const { return GetDlgItem(window_, id); }

void CReaderDlg::SetProgressRange(int lower, int upper) {
  workerCalls_.Push([this, lower, upper] {
    SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
  });
}

void CReaderDlg::SetProgressPos(int position) {
  workerCalls_.Push([this, position] {
    SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
  });
}

void CReaderDlg::SetStatusText(const std::string& text) {
  workerCalls_.Push(
      [this, text = WideFromUtf8(text)] { SetDlgItemTextW(window_, IDC_STATUS, text.c_str()); });
}

void CReaderDlg::PostTransferEnd() {
  // Notification code 0 in the high word: the command ID alone.
  PostMessageW(window_, WM_COMMAND, static_cast<WPARAM>(ID_TRANSFER_END), 0);
}

void CReaderDlg::SetButtonText(int id, const std::string& text) {
  SetDlgItemTextW(window_, id, WideFromUtf8(text).c_str());
}

void CReaderDlg::EnableButton(int id, bool enable) { EnableWindow(Item(id), enable); }

void CReaderDlg::SetDefaultButton(int id) {
  SendMessageW(window_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}

void CReaderDlg::FocusControl(int id) {
  SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void CReaderDlg::ShowMessage(const std::string& text) {
  MessageBoxW(window_, WideFromUtf8(text).c_str(), WideFromUtf8(kAppName).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
}

std::optional<SaveFileChoice> CReaderDlg::ChooseSaveFile(
    const std::string& filter, const std::string& defaultExtension) {
  return zv::ChooseSaveFile(window_, filter, defaultExtension);
}

int CReaderDlg::ReadModelIndex() {
  if (IsDlgButtonChecked(window_, IDC_MODEL_A) == BST_CHECKED) return kModelA;
  if (IsDlgButtonChecked(window_, IDC_MODEL_B) == BST_CHECKED) return kModelB;
  return -1;
}

// Checks the model's button; any other value leaves both unchecked.
void CReaderDlg::WriteModelIndex(int modelIndex) {
  CheckDlgButton(window_, IDC_MODEL_A, modelIndex == kModelA ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window_, IDC_MODEL_B, modelIndex == kModelB ? BST_CHECKED : BST_UNCHECKED);
}

int CReaderDlg::ListSelection(int listId) {
  return static_cast<int>(SendDlgItemMessageW(window_, listId, CB_GETCURSEL, 0, 0));
}

void CReaderDlg::FillList(int listId, std::span<const char* const> entries) {
  for (const char* entry : entries) {
    SendDlgItemMessageW(window_, listId, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(WideFromUtf8(entry).c_str()));
  }
}

void CReaderDlg::FillPortList(const std::vector<PortListItem>& items) {
  zv::FillPortList(Item(IDC_PORT), items, language_);
}

void CReaderDlg::UpdatePortList(const std::vector<PortListItem>& items) {
  zv::UpdatePortList(Item(IDC_PORT), items, language_);
}

void CReaderDlg::SelectListEntry(int listId, int index) {
  SendDlgItemMessageW(window_, listId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (listId == IDC_PORT) ShowComInBox(Item(IDC_PORT));
}

void CReaderDlg::EnableList(int listId, bool enable) { EnableWindow(Item(listId), enable); }

bool CReaderDlg::HasFocus(int id) {
  const HWND control = Item(id);
  const HWND focus = GetFocus();
  return focus && (focus == control || IsChild(control, focus));
}

void CReaderDlg::DropWorkerCalls() { workerCalls_.Close(); }
