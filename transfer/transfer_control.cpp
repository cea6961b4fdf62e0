#include "transfer/transfer_control.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "res/dialog_lists.h"
#include "res/resource.h"
#include "settings/profile.h"
#include "support/plcode.h"
#include "support/strings.h"
#include "transfer/convert.h"
#include "transfer/report_pdf.h"
#include "transfer/result_files.h"
#include "transfer/transfer_review.h"
#include "transfer/utf8_text.h"

namespace zv {

namespace {

constexpr std::array<DWORD, 3> kBaudRates = {4800, 9600, 19200};

constexpr const char* kSettingsSection = "Settings";

// With no selection in the baud list the rate the model rule selects is
// used.
DWORD BaudRate(int selection, int modelIndex) {
  if (selection < 0 || selection >= static_cast<int>(kBaudRates.size()))
    selection = RuleForModel(modelIndex).baudSelection;
  return kBaudRates[static_cast<std::size_t>(selection)];
}

// The four persisted values in their stored order, loaded or saved.
void ExchangeSettings(int direction, int& model, int& port, int& target,
                      int& source) {
  struct Setting {
    const char* key;
    int& value;
    int def;
    int minimum;
    int maximumOnLoad;
    int maximumOnSave;
  };
  const Setting settings[] = {
      {"Device", model, 0, 0, 1, 1},
      {"Com", port, 0, 0, kMaxComNumber - 1, kMaxComNumber - 1},
      {"CodeDest", target, 2, 0, 3, 3},
      {"CodeSource", source, 0, 0, 1, 2},
  };
  for (const Setting& s : settings) {
    const int maximum =
        direction == kProfileLoad ? s.maximumOnLoad : s.maximumOnSave;
    SerialProfileInt(direction, kSettingsSection, s.key, s.value, s.def,
                     s.minimum, maximum, false);
  }
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

std::string SaveFailedMessage(const std::filesystem::path& path,
                              const std::string& reason) {
  const std::string file = PathText(path);
  if (UiLanguage() == Language::Polish)
    return "Nie udało się zapisać wyników w pliku \"" + file + "\": " +
           reason +
           ". Wybierz inny folder albo zwolnij miejsce na dysku i ponownie "
           "naciśnij Zapisz.";
  return "Could not save the results to \"" + file + "\": " + reason +
         ". Choose another folder or free some space and press Save again.";
}

// Follows the status text when a transfer could not be copied into the
// archive.
std::string ArchiveFailedNote() {
  if (UiLanguage() == Language::Polish) return " (brak w archiwum!)";
  return " (not in the archive!)";
}

// Says nothing of any device: the port list's presence marks alone, which
// cost the system no more than a look at each device's name.
class NoPortDescriber final : public IPortDescriber {
 public:
  PortDetails Describe(const std::string&) const override { return {}; }
};

// Passes the worker's view calls on and notes that the end command was
// posted, so that the end handling can tell the current worker's end
// command from a stray one. Just before posting, still on the worker
// thread, which owns the buffer until then, it runs the last step of the
// transfer: the raw dump and its archive copy, whose writes and flushes
// must not stall the window.
class EndNotingView final : public IReceiveView {
 public:
  EndNotingView(IReceiveView& view, std::function<void()> beforePost)
      : view_(view), beforePost_(std::move(beforePost)) {}

  void SetProgressRange(int lower, int upper) override {
    view_.SetProgressRange(lower, upper);
  }
  void SetProgressPos(int position) override { view_.SetProgressPos(position); }
  void SetStatusText(const std::string& text) override {
    lastStatus_ = text;
    view_.SetStatusText(text);
  }
  void PostTransferEnd() override {
    beforePost_();
    posted_.store(true);
    view_.PostTransferEnd();
  }

  void Reset() { posted_.store(false); }
  bool Posted() const { return posted_.load(); }
  // The worker's last status text; read it once the worker has been joined.
  const std::string& LastStatus() const { return lastStatus_; }

 private:
  IReceiveView& view_;
  std::function<void()> beforePost_;
  std::atomic<bool> posted_{false};
  std::string lastStatus_;
};

}  // namespace

struct TransferControl::Impl {
  Impl(IDialogView& dialogView, TransferEnvironment environment)
      : view(dialogView),
        env(std::move(environment)),
        workerView(dialogView, [this] { DumpReceived(); }) {}

  IFileWriter& Writer() const {
    return env.fileWriter != nullptr ? *env.fileWriter : RealFileWriter();
  }
  TransferArchive& Archive() {
    return env.archive != nullptr ? *env.archive : ownArchive;
  }
  int Model() const { return shared.modelIndex.load(); }

  bool StartWorker();
  void DumpReceived();
  bool AwaitWorkerEnd();
  void RunWorkerBody();
  void FinishTransfer();
  std::string ReviewNote() const;
  void ShowEndStatus(const std::string& review);
  void ClosePort();
  void StopWorker();
  std::vector<std::uint8_t> ReportPdf() const;
  void ApplyModel();

  IDialogView& view;
  TransferEnvironment env;
  std::unique_ptr<CRS232> port;
  TransferShared shared;
  EndNotingView workerView;
  TransferArchive ownArchive;
  // What the last clean-up pass made of the buffer: the model it cleaned
  // for and the code page the letters are in.
  int cleanedModel = kModelA;
  UINT cleanedCode = kCodeLatin2;
  bool archiveFailed = false;  // written by the worker before its end command
  DWORD openedBaud = 0;        // the rate of the last open
  bool stopPressed = false;    // the user ended the current transfer

  // Guards the hand-over when the end handling gave up waiting: the worker
  // then posts its end command again once its body has returned.
  std::mutex endMutex;
  bool bodyReturned = false;
  bool repostEnd = false;

  bool windowClosed = false;

  // Last, so that it is joined before anything the worker uses goes away.
  WorkerThread worker;
};

void TransferControl::Impl::RunWorkerBody() {
  ReceiveJob job{*port, shared, workerView, env.sleep};
  ReceiveProc(job);
  std::lock_guard lock(endMutex);
  bodyReturned = true;
  if (repostEnd) view.PostTransferEnd();
}

// A dump or archive copy that cannot be written is skipped; the clean-up
// still runs, and the end of the transfer tells of a missing archive copy.
void TransferControl::Impl::DumpReceived() {
  archiveFailed = false;
  if (shared.buffer.empty()) return;
  const KeptBytes kept = KeepReceivedBytes(Model(), shared.buffer, Writer(), Archive());
  archiveFailed = !kept.archived.result;
}

bool TransferControl::Impl::StartWorker() {
  {
    std::lock_guard lock(endMutex);
    bodyReturned = false;
    repostEnd = false;
  }
  workerView.Reset();
  std::function<void()> body = [this] { RunWorkerBody(); };
  return env.startWorker ? env.startWorker(worker, std::move(body))
                         : worker.Start(std::move(body));
}

// True once the worker has returned and been joined. False when it still
// runs after the bounded wait; it then posts its end command again.
bool TransferControl::Impl::AwaitWorkerEnd() {
  const bool ended = env.awaitWorker ? env.awaitWorker(worker, kWorkerEndWait)
                                     : worker.WaitFor(kWorkerEndWait);
  if (ended) return true;
  {
    std::lock_guard lock(endMutex);
    if (!bodyReturned) {
      repostEnd = true;
      return false;
    }
  }
  worker.Join();  // the body has just returned; only the thread's exit is left
  return true;
}

void TransferControl::Impl::FinishTransfer() {
  ClosePort();
  view.SetButtonText(IDC_START, "START");
  view.EnableButton(IDOK, true);
  if (!shared.buffer.empty()) {
    view.EnableButton(IDC_SAVE, true);
    view.SetDefaultButton(IDC_SAVE);
    view.FocusControl(IDC_SAVE);
  }
  ShowEndStatus(ReviewNote());
  const int target = view.ListSelection(IDC_CODE_DEST);
  const std::size_t length = ConvertBuffer(shared.buffer, Model(), target,
                                           view.ListSelection(IDC_CODE_SOURCE));
  shared.buffer.resize(length);
  cleanedModel = Model();
  cleanedCode = TargetCodeForSelection(target);
}

// What the review of the raw bytes tells the user, in the status line's
// short form; empty when nothing arrived or nothing is wrong.
std::string TransferControl::Impl::ReviewNote() const {
  if (shared.buffer.empty()) return {};
  const TransferFacts facts{.modelIndex = Model(),
                            .sourceSelection = view.ListSelection(IDC_CODE_SOURCE),
                            .baud = static_cast<int>(openedBaud),
                            .headerSeen = shared.headerSeen.load(),
                            .expectedCount = shared.expectedCount.load(),
                            .testCount = shared.testCount.load(),
                            .stopped = stopPressed};
  return DescribeReview(ReviewTransfer(shared.buffer, facts), facts, UiLanguage(),
                        ReviewForm::StatusLine);
}

// The status line at the end of a transfer: what the review found takes
// the place of the worker's last text, which is then a count read from
// garbled bytes or the waiting text of a transfer that counted no test
// (and the two would not fit the line's two lines together); a missing
// archive copy is noted after either.
void TransferControl::Impl::ShowEndStatus(const std::string& review) {
  if (review.empty() && !archiveFailed) return;
  const std::string text = review.empty() ? workerView.LastStatus() : review;
  view.SetStatusText(archiveFailed ? text + ArchiveFailedNote() : text);
}

std::vector<std::uint8_t> TransferControl::Impl::ReportPdf() const {
  return MakeReportPdf(DecodeToUtf8(shared.buffer, cleanedCode),
                       {ReportPdfTitle(cleanedModel), std::chrono::system_clock::now()});
}

void TransferControl::Impl::ClosePort() {
  if (port && port->IsOpen()) port->Close();
}

// Stops a worker whose end will not be handled any more (the window is
// closing); the worker has written the raw dump of what it received.
void TransferControl::Impl::StopWorker() {
  shared.running.store(0);
  if (worker.Held()) worker.Join();
}

// The baud entry the model selects and whether the encoding lists apply.
void TransferControl::Impl::ApplyModel() {
  const ModelRule rule = RuleForModel(Model());
  view.SelectListEntry(IDC_BAUD, rule.baudSelection);
  view.EnableList(IDC_CODE_DEST, rule.encodingListsEnabled);
  view.EnableList(IDC_CODE_SOURCE, rule.encodingListsEnabled);
}

ModelRule RuleForModel(int modelIndex) {
  const bool modelA = modelIndex == kModelA;
  return {modelA ? 0 : 1, !modelA};
}

TransferControl::TransferControl(IDialogView& view,
                                 TransferEnvironment environment)
    : impl_(std::make_unique<Impl>(view, std::move(environment))) {}

TransferControl::~TransferControl() {
  impl_->shared.running.store(0);
  impl_->worker.Join();
  impl_->ClosePort();
}

int TransferControl::OpenPort() {
  Impl& d = *impl_;
  if (!d.port) d.port = d.env.makePort ? d.env.makePort()
                                       : std::make_unique<CRS232>();
  if (!d.port) return 0;
  d.port->SetTimeoutDefaults(0, 0, 1000, 0, 2);
  const DWORD baud = BaudRate(d.view.ListSelection(IDC_BAUD), d.Model());
  if (d.port->Open(portIndex + 1, baud)) {
    d.openedBaud = baud;
    return 1;
  }
  d.port->ReportError();
  return 0;
}

void TransferControl::OnStartStop() {
  Impl& d = *impl_;
  setModelIndex(d.view.ReadModelIndex());
  if (d.shared.running.load() != 0) {
    d.shared.running.store(0);  // Stop: the worker ends after its current read
    d.stopPressed = true;
    return;
  }
  if (d.worker.Held()) return;  // a stop is pending: wait for its end
  if (!OpenPort()) return;
  d.stopPressed = false;
  d.view.SetProgressPos(0);
  d.shared.running.store(1);
  if (!d.StartWorker()) {
    d.shared.running.store(0);
    d.view.ShowMessage(kThreadsError);
    return;
  }
  d.view.SetButtonText(IDC_START, "STOP");
  d.view.EnableButton(IDOK, false);
  d.view.EnableButton(IDC_SAVE, false);
}

void TransferControl::OnTransferEnd() {
  Impl& d = *impl_;
  if (!d.worker.Held() || !d.workerView.Posted()) return;
  d.shared.running.store(0);
  if (!d.AwaitWorkerEnd()) {
    d.view.ShowMessage(kThreadsError);
    return;
  }
  d.FinishTransfer();
}

void TransferControl::OnSave() {
  Impl& d = *impl_;
  if (State() != TransferState::Idle) return;
  const auto choice = d.view.ChooseSaveFile(SaveFileTypes(), "txt");
  if (!choice || State() != TransferState::Idle) return;
  std::span<const std::uint8_t> bytes = d.shared.buffer;
  std::vector<std::uint8_t> pdf;
  if (ResultFormatForChoice(choice->path, choice->typeIndex) == ResultFormat::Pdf)
    bytes = pdf = d.ReportPdf();
  const FileResult result = d.Writer().WriteAtomic(choice->path, bytes, Owner::User);
  if (!result) {
    d.view.ShowMessage(SaveFailedMessage(choice->path, result.reason));
    return;
  }
  d.view.SetDefaultButton(IDOK);
  d.view.FocusControl(IDOK);
}

void TransferControl::OnOK() {
  impl_->StopWorker();
  if (!impl_->port) return;
  impl_->ClosePort();
  impl_->port.reset();
}

void TransferControl::StopAndJoin() {
  impl_->StopWorker();
  impl_->ClosePort();
}

void TransferControl::OnInitDialog() {
  IDialogView& view = impl_->view;
  LoadSettings();
  view.WriteModelIndex(modelIndex());
  view.FillList(IDC_BAUD, kBaudEntries);
  view.SelectListEntry(IDC_BAUD, 0);
  view.FillPortList(PortListItems(NoPortDescriber()));
  view.SelectListEntry(IDC_PORT, portIndex);
  view.FillList(IDC_CODE_DEST, kTargetEncodingEntries);
  view.SelectListEntry(IDC_CODE_DEST, targetSelection);
  view.FillList(IDC_CODE_SOURCE, kDeviceEncodingEntries);
  view.SelectListEntry(IDC_CODE_SOURCE, sourceSelection);
  impl_->ApplyModel();
  view.EnableButton(IDC_SAVE, false);
}

void TransferControl::OnPortListOpening() {
  const Impl& d = *impl_;
  const std::unique_ptr<IPortDescriber> describer =
      d.env.makePortDescriber ? d.env.makePortDescriber() : MakeSystemPortDescriber();
  d.view.UpdatePortList(PortListItems(*describer));
}

void TransferControl::OnModel() {
  setModelIndex(impl_->view.ReadModelIndex());
  impl_->ApplyModel();
}

void TransferControl::OnKillFocusPort() {
  portIndex = impl_->view.ListSelection(IDC_PORT);
}

void TransferControl::OnWindowClosing() {
  Impl& d = *impl_;
  if (d.windowClosed) return;
  d.windowClosed = true;
  d.view.DropWorkerCalls();  // a closing window shows no more progress
  StopAndJoin();
  if (d.view.HasFocus(IDC_PORT)) OnKillFocusPort();
  SaveSettings();
}

void TransferControl::LoadSettings() {
  int model = modelIndex();
  ExchangeSettings(kProfileLoad, model, portIndex, targetSelection,
                   sourceSelection);
  setModelIndex(model);
}

void TransferControl::SaveSettings() {
  Impl& d = *impl_;
  setModelIndex(d.view.ReadModelIndex());
  targetSelection = d.view.ListSelection(IDC_CODE_DEST);
  sourceSelection = d.view.ListSelection(IDC_CODE_SOURCE);
  int model = modelIndex();
  ExchangeSettings(kProfileSave, model, portIndex, targetSelection,
                   sourceSelection);
}

TransferState TransferControl::State() const {
  if (impl_->shared.running.load() != 0) return TransferState::Transferring;
  if (impl_->worker.Held()) return TransferState::StopRequested;
  return TransferState::Idle;
}

int TransferControl::modelIndex() const { return impl_->Model(); }

void TransferControl::setModelIndex(int modelIndex) {
  impl_->shared.modelIndex.store(modelIndex);
}

const std::vector<std::uint8_t>& TransferControl::buffer() const {
  return impl_->shared.buffer;
}

const CRS232* TransferControl::port() const { return impl_->port.get(); }

}  // namespace zv
