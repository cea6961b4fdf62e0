#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "transfer/transfer_control.h"

namespace zv::testkit {

// The main window as the transfer logic sees it, without any widgets. It
// starts as the dialog does after its initialisation: Start reads
// "START !" and is the default button, Done is enabled, Save disabled;
// model ZORVEL A; baud entry 0, port entry 0, target encoding 2, device
// encoding 0 selected.
//
// The IReceiveView calls may come from the worker while the test thread
// (standing in for the UI thread) makes the IDialogView calls, reads the
// state or waits for the end command. The end command is not delivered:
// the test takes it with TakeTransferEnd and calls OnTransferEnd itself.
class FakeDialogView : public IDialogView {
 public:
  FakeDialogView();

  // IReceiveView: any thread.
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int position) override;
  void SetStatusText(const std::string& text) override;
  void PostTransferEnd() override;

  // IDialogView: the test thread.
  void SetButtonText(int id, const std::string& text) override;
  void EnableButton(int id, bool enable) override;
  void SetDefaultButton(int id) override;
  void FocusControl(int id) override;
  void ShowMessage(const std::string& text) override;
  std::optional<SaveFileChoice> ChooseSaveFile(
      const std::string& filter, const std::string& defaultExtension) override;
  int ReadModelIndex() override;
  void WriteModelIndex(int modelIndex) override;
  int ListSelection(int listId) override;
  // The lists' entries and enabled states are not kept, but for the port
  // list's items: the dialogs' own tests show them.
  void FillList(int, std::span<const char* const>) override {}
  void FillPortList(const std::vector<PortListItem>& items) override;
  void UpdatePortList(const std::vector<PortListItem>& items) override;
  // Also what the user does with a list: -1 selects none.
  void SelectListEntry(int listId, int selection) override;
  void EnableList(int, bool) override {}
  bool HasFocus(int id) override;  // the control FocusControl named last
  void DropWorkerCalls() override {}

  // What the user does with the controls.
  void CheckModel(int modelIndex);  // -1: no button checked
  // The answer of every later save-file chooser, with the entry chosen in
  // its type list; nothing: cancelled.
  void AnswerSaveFile(std::optional<std::filesystem::path> path, int typeIndex = 0);

  // True when an end command not yet taken was posted within `timeout`;
  // takes it.
  bool TakeTransferEnd(std::chrono::milliseconds timeout);
  int TransferEndsPosted() const;
  // The next PostTransferEnd is counted and then blocks the worker until
  // ReleaseTransferEnd, like a worker slow to return after posting.
  void HoldNextTransferEnd();
  void ReleaseTransferEnd();

  // What the window shows.
  std::string ButtonText(int id) const;
  bool ButtonEnabled(int id) const;
  int DefaultButton() const;
  int FocusedControl() const;  // 0 when no call gave the focus yet
  std::vector<std::string> Messages() const;
  std::string StatusText() const;
  // The port list's items as filled, then as last updated.
  std::vector<PortListItem> PortItems() const;
  int ProgressPos() const;
  std::pair<int, int> ProgressRange() const;
  int SaveChooserCalls() const;
  std::string LastFilter() const;
  std::string LastDefaultExtension() const;
  // The IDialogView calls in order, as "EnableButton 1006 0",
  // "SetButtonText 1000 STOP", "SetDefaultButton 1006", "FocusControl 1",
  // "ShowMessage <text>", "ChooseSaveFile", "SetProgressPos 0" (from the
  // test thread only; the worker's calls are not logged).
  std::vector<std::string> Log() const;
  void ClearLog();

 private:
  void Note(std::string entry);
  bool OnTestThread() const;

  mutable std::mutex mutex_;
  std::condition_variable endPosted_;
  std::condition_variable endReleased_;
  std::thread::id testThread_;
  std::map<int, std::string> texts_;
  std::map<int, bool> enabled_;
  std::map<int, int> selections_;
  int defaultButton_ = 0;
  int focused_ = 0;
  int model_ = 0;
  std::vector<std::string> messages_;
  std::string status_;
  std::vector<PortListItem> portItems_;
  int progressPos_ = 0;
  std::pair<int, int> progressRange_{0, 100};
  std::optional<SaveFileChoice> saveAnswer_;
  int saveChooserCalls_ = 0;
  std::string lastFilter_;
  std::string lastExtension_;
  std::vector<std::string> log_;
  int endsPosted_ = 0;
  int endsTaken_ = 0;
  bool holdNextEnd_ = false;
  bool endHeld_ = false;
};

}  // namespace zv::testkit
