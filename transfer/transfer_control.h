#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "support/file_io.h"
#include "support/rs232.h"
#include "transfer/receive.h"
#include "transfer/worker.h"

namespace zv {

// What the transfer logic asks of the main window beyond the receive view.
// All calls come on the UI thread. Controls are named by their IDs
// (res/resource.h).
class IDialogView : public IReceiveView {
 public:
  virtual void SetButtonText(int id, const std::string& text) = 0;
  virtual void EnableButton(int id, bool enable) = 0;
  virtual void SetDefaultButton(int id) = 0;
  virtual void FocusControl(int id) = 0;
  // A modal message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A save-file chooser (hide read-only, prompt before overwriting) with a
  // "label|pattern|...||" filter; nothing when the user cancels.
  virtual std::optional<std::filesystem::path> ChooseSaveFile(
      const std::string& filter, const std::string& defaultExtension) = 0;
  // Data exchange of the model radio group: 0 or 1 for the checked button,
  // -1 when none is checked.
  virtual int ReadModelIndex() = 0;
  virtual void WriteModelIndex(int modelIndex) = 0;
  // Selected entry of a list (IDC_BAUD, IDC_PORT, IDC_CODE_DEST,
  // IDC_CODE_SOURCE), -1 when none.
  virtual int ListSelection(int listId) = 0;
};

// Everything from the outside world the transfer logic uses, replaceable in
// tests.
struct TransferEnvironment {
  std::function<std::unique_ptr<CRS232>()> makePort;  // empty: a real CRS232
  IFileWriter* fileWriter = nullptr;                  // null: RealFileWriter()
  SleepFunction sleep;                                // empty: a real sleep
};

enum class TransferState { Idle, Transferring, StopRequested };

inline constexpr const char* kThreadsError = "Working with threads error!";

// The dialog's state and the UI-thread side of a transfer: opening the
// port, starting and stopping the worker, the end of a transfer with the
// raw dump and the clean-up pass, Save, Done, and the persisted settings.
// The window forwards its handlers here.
class TransferControl {
 public:
  TransferControl(IDialogView& view, TransferEnvironment environment = {});
  ~TransferControl();  // stops and joins a running worker
  TransferControl(const TransferControl&) = delete;
  TransferControl& operator=(const TransferControl&) = delete;

  int OpenPort();
  void OnStartStop();
  void OnTransferEnd();
  void OnSave();
  void OnOK();  // Done: closes and releases the port
  // Cancel or the window's close: stops a running worker and waits for it
  // to end, then closes the port.
  void StopAndJoin();

  void LoadSettings();
  void SaveSettings();

  TransferState State() const;

  // The dialog state the window reads and writes.
  int modelIndex() const;
  void setModelIndex(int modelIndex);
  int portIndex = 0;             // 0-based, COM portIndex + 1
  int targetSelection = 2;       // stored "CodeDest"
  int sourceSelection = 0;       // stored "CodeSource"

  const std::vector<std::uint8_t>& buffer() const;
  const CRS232* port() const;  // null until the first Start

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zv
