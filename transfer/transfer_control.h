#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "support/file_io.h"
#include "support/port_map.h"
#include "support/rs232.h"
#include "transfer/archive.h"
#include "transfer/receive.h"
#include "transfer/worker.h"

namespace zv {

// The file a save-file chooser was confirmed with: its path, which has the
// extension of the type chosen when the name was typed without one, and
// the entry chosen in its type list (0 for the filter's first pair).
struct SaveFileChoice {
  std::filesystem::path path;
  int typeIndex = 0;
};

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
  // "label|pattern|...||" filter, its first type selected; a name typed
  // without an extension gets that of the type chosen, or
  // `defaultExtension` when the type's pattern names none. Nothing when the
  // user cancels.
  virtual std::optional<SaveFileChoice> ChooseSaveFile(
      const std::string& filter, const std::string& defaultExtension) = 0;
  // Data exchange of the model radio group: 0 or 1 for the checked button,
  // -1 when none is checked.
  virtual int ReadModelIndex() = 0;
  virtual void WriteModelIndex(int modelIndex) = 0;
  // Selected entry of a list (IDC_BAUD, IDC_PORT, IDC_CODE_DEST,
  // IDC_CODE_SOURCE), -1 when none.
  virtual int ListSelection(int listId) = 0;
  // Appends these entries to a list, in order.
  virtual void FillList(int listId, std::span<const char* const> entries) = 0;
  // Appends COM 1 to 256 to the port list, each as PortListEntry says in
  // the window's language; the present ports stand out.
  virtual void FillPortList(const std::vector<PortListItem>& items) = 0;
  // Puts these items' texts and marks in place of the filled port list's,
  // entry for entry (the same COM numbers in the same order): the
  // selection and the closed box's text stay as they are.
  virtual void UpdatePortList(const std::vector<PortListItem>& items) = 0;
  // Selects a list's entry; the port list's closed box shows only "COM n"
  // (PortBoxText).
  virtual void SelectListEntry(int listId, int index) = 0;
  virtual void EnableList(int listId, bool enable) = 0;
  // Whether control `id`, or a part of it such as a list's edit field, has
  // the keyboard focus.
  virtual bool HasFocus(int id) = 0;
  // The window is closing: the worker's progress and status calls not yet
  // shown, and every later one, are dropped.
  virtual void DropWorkerCalls() = 0;
};

// Everything from the outside world the transfer logic uses, replaceable in
// tests.
struct TransferEnvironment {
  std::function<std::unique_ptr<CRS232>()> makePort;  // empty: a real CRS232
  IFileWriter* fileWriter = nullptr;                  // null: RealFileWriter()
  TransferArchive* archive = nullptr;                 // null: in ArchiveFolder()
  SleepFunction sleep;                                // empty: a real sleep
  // Starts the worker's body on `worker`; empty: worker.Start(body).
  // False when no thread could be created.
  std::function<bool(WorkerThread& worker, std::function<void()> body)>
      startWorker;
  // Waits up to `limit` (kWorkerEndWait) for the worker to return; true
  // when it has. Empty: worker.WaitFor(limit).
  std::function<bool(WorkerThread& worker, std::chrono::milliseconds limit)>
      awaitWorker;
  // What the system says of each present port, asked afresh each time the
  // port list opens; empty: MakeSystemPortDescriber().
  std::function<std::unique_ptr<IPortDescriber>()> makePortDescriber;
};

enum class TransferState { Idle, Transferring, StopRequested };

// The main dialog's model rule: the baud-list entry a model selects ("4800
// b/s" for ZORVEL A, "9600 b/s" for any other model index) and whether the
// encoding lists are enabled (for any model but ZORVEL A).
struct ModelRule {
  int baudSelection;
  bool encodingListsEnabled;
};
ModelRule RuleForModel(int modelIndex);

inline constexpr const char* kThreadsError = "Working with threads error!";

// How long the end handling waits for the worker to return after its end
// command has arrived.
inline constexpr std::chrono::milliseconds kWorkerEndWait{550};

// The dialog's state and the UI-thread side of a transfer: opening the
// port, starting and stopping the worker, the end of a transfer with the
// raw dump and the clean-up pass, Save, Done, and the persisted settings.
// The window forwards its handlers here.
//
// Threads: every member belongs to the UI thread. The view must outlive
// this object: the worker calls it until it has been joined.
//
// States: Idle (no worker held), Transferring (running flag set),
// StopRequested (flag cleared, worker still held until its end has been
// handled). Save is disabled when a transfer starts and enabled again only
// by a transfer that received bytes, so it never reads the buffer while
// the worker owns it and an empty transfer cannot overwrite a good file.
class TransferControl {
 public:
  TransferControl(IDialogView& view, TransferEnvironment environment = {});
  // Stops and joins a running worker and closes the port. Makes no calls
  // on the view or the file writer.
  ~TransferControl();
  TransferControl(const TransferControl&) = delete;
  TransferControl& operator=(const TransferControl&) = delete;

  // Creates the port on first use, sets its time-outs (0, 0, 1000, 0, 2)
  // and opens COM portIndex + 1 at the baud rate selected in IDC_BAUD
  // (4800, 9600, 19200; with no selection the rate the model rule selects:
  // 4800 for ZORVEL A, 9600 otherwise). A failed open is reported through the
  // port's ReportError. Nonzero when open.
  int OpenPort();
  // Start/Stop. Reads the model first. Transferring: requests the stop.
  // StopRequested: ignored. Idle: opens the port and starts the worker;
  // if no thread can be created, says "Working with threads error!" and
  // leaves the port open.
  void OnStartStop();
  // The worker's end command. Waits up to kWorkerEndWait for the worker to
  // return, closes the port, restores the buttons and, when bytes arrived,
  // enables Save and writes the raw dump and its archive copy (a failed
  // dump is skipped silently, a failed archive copy noted after the status
  // text in the window's language). Bytes that arrived are judged
  // (ReviewTransfer, at the rate the port was opened at): garbled text, or
  // tests announced and none sent, is told in the status line in place of
  // the worker's last text, in the line's short form (DescribeReview), the
  // archive note after it; nothing else changes. Then it cleans the buffer
  // (ConvertBuffer) with the encoding lists' selections. If the worker has
  // not returned in time it says "Working with threads error!" and keeps
  // the worker, the port and the buffer untouched; the worker posts its end
  // command once more when it returns, and the end is handled then. An end
  // command that does not come from the current worker (a repeated or stray
  // one) is ignored: cleaning the buffer twice would garble it.
  void OnTransferEnd();
  // Save: asks for a file (SaveFileTypes: the types of IDS_FILE_FILTER and
  // the PDF; default extension "txt") and writes the buffer atomically; a
  // name ending in ".pdf", or the PDF type chosen (ResultFormatForChoice),
  // gets the report's PDF instead, its letters decoded from the code page
  // the buffer was cleaned into. A failure
  // names the file and the system's reason; the buffer is kept and Save
  // can be retried. Ignored while a transfer runs.
  void OnSave();
  // Done: stops and joins a worker that still runs (Done is disabled then,
  // so only in odd sequences), then closes and releases the port.
  void OnOK();
  // Cancel or the window's close: stops a running worker and waits for it
  // to end (its view calls never wait for the UI thread), then closes the
  // port. A transfer whose end was not handled yet keeps its raw dump when
  // bytes arrived. Makes no calls on the view.
  void StopAndJoin();

  // The window's initialisation, once it has made its controls: loads the
  // settings and shows them (the model's button; the port and both
  // encodings selected in their filled lists), selects "4800 b/s" in the
  // filled baud list, applies the model rule and disables Save. The port
  // list shows which ports are present; what each one is, which only the
  // open list shows, is asked when it opens.
  void OnInitDialog();
  // The port list is about to open: it shows afresh which ports are
  // present (an adapter plugged in or pulled out since) and what the
  // system says each one is.
  void OnPortListOpening();
  // A click on either model button: reads the model, then applies the
  // model rule (the baud entry it selects replaces one chosen by hand;
  // the encoding lists enabled or disabled).
  void OnModel();
  // The port list lost the focus: its selection (-1 when none) becomes the
  // port index. The only place where the port index follows the list.
  void OnKillFocusPort();
  // The window is closing, whichever way (Done, Esc, the close box): drops
  // the worker's pending view calls, stops and joins a running worker (its
  // raw dump is written), closes the port, takes the port a focused port
  // list shows (closing takes the focus from it, as leaving it would) and
  // saves the settings. Only the first call does anything.
  void OnWindowClosing();

  // Loads "Device", "Com", "CodeDest" and "CodeSource" of the section
  // "Settings" into the state; the window then shows them. Stored values
  // out of range load as the defaults (0, 0, 2, 0); the port index is
  // always one of the port list's entries afterwards.
  void LoadSettings();
  // Reads the model (radio group) and both encoding lists' selections into
  // the state and saves the four values as they are. The port index is not
  // read from its list. A model index of -1 (no button checked) is saved as
  // -1 and loads as ZORVEL A next time; so does an encoding list's -1.
  void SaveSettings();

  TransferState State() const;

  // The dialog state the window reads and writes.
  int modelIndex() const;
  void setModelIndex(int modelIndex);
  int portIndex = 0;             // 0-based, COM portIndex + 1
  int targetSelection = 2;       // stored "CodeDest"
  int sourceSelection = 0;       // stored "CodeSource"

  // The receive buffer; read it only in the state Idle.
  const std::vector<std::uint8_t>& buffer() const;
  const CRS232* port() const;  // null until the first Start, again after Done

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zv
