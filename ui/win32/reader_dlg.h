#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/strings.h"
#include "transfer/transfer_control.h"
#include "transfer/view_call_queue.h"
#include "ui/win32/control_names.h"

// The main dialog, made from its language's template: the settings panel,
// the system menu and the About box, and the view of zv::TransferControl.
// Threads: the IReceiveView calls come from the worker; the progress and
// status calls are queued (ViewCallQueue, woken by a posted message) and
// applied on the window's thread in call order, and the end command is
// posted as WM_COMMAND ID_TRANSFER_END after them, so the worker never
// waits for the window. Once the window closes, queued calls are dropped.
// Every other member runs on the window's thread.
class CReaderDlg final : public zv::IDialogView {
 public:
  CReaderDlg(HINSTANCE instance, zv::Language language = zv::UiLanguage());
  ~CReaderDlg() override;
  CReaderDlg(const CReaderDlg&) = delete;
  CReaderDlg& operator=(const CReaderDlg&) = delete;

  // Runs the dialog modally; IDOK (Done) or IDCANCEL (Esc, the close box).
  INT_PTR DoModal();

  // IReceiveView, called by the worker.
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int position) override;
  void SetStatusText(const std::string& text) override;
  void PostTransferEnd() override;

  // IDialogView, called on the window's thread.
  void SetButtonText(int id, const std::string& text) override;
  void EnableButton(int id, bool enable) override;
  void SetDefaultButton(int id) override;
  void FocusControl(int id) override;
  void ShowMessage(const std::string& text) override;
  std::optional<zv::SaveFileChoice> ChooseSaveFile(
      const std::string& filter, const std::string& defaultExtension) override;
  int ReadModelIndex() override;
  void WriteModelIndex(int modelIndex) override;
  int ListSelection(int listId) override;
  void FillList(int listId, std::span<const char* const> entries) override;
  void FillPortList(const std::vector<zv::PortListItem>& items) override;
  void UpdatePortList(const std::vector<zv::PortListItem>& items) override;
  void SelectListEntry(int listId, int index) override;
  void EnableList(int listId, bool enable) override;
  bool HasFocus(int id) override;
  void DropWorkerCalls() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);

  BOOL OnInitDialog();
  void AddAboutEntry();
  void ShowSettingsPanel();

  // Handlers; those returning bool say whether they handled the message.
  bool OnSysCommand(WPARAM id);
  bool OnPaint();
  void OnHelp();
  void OnSettings();
  void OnPortShown();
  void OnOK();
  void OnCancel();
  void OnAbout();

  HWND Item(int id) const;

  HINSTANCE instance_;
  const zv::Language language_;
  HWND window_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool settingsShown_ = false;
  std::unique_ptr<zv::ControlNames> names_;  // while the window exists
  zv::ViewCallQueue workerCalls_;
  zv::TransferControl control_;
};
