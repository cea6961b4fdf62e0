#include "kit/fake_dialog_view.h"

#include <thread>

#include "res/resource.h"

namespace zv::testkit {

FakeDialogView::FakeDialogView()
    : testThread_(std::this_thread::get_id()),
      texts_{{IDC_START, "START !"}, {IDC_SAVE, "&Save"}, {IDOK, "&Done"}},
      enabled_{{IDC_START, true}, {IDC_SAVE, false}, {IDOK, true}},
      selections_{{IDC_BAUD, 0},
                  {IDC_PORT, 0},
                  {IDC_CODE_DEST, 2},
                  {IDC_CODE_SOURCE, 0}},
      defaultButton_(IDC_START) {}

bool FakeDialogView::OnTestThread() const {
  return std::this_thread::get_id() == testThread_;
}

void FakeDialogView::Note(std::string entry) { log_.push_back(std::move(entry)); }

void FakeDialogView::SetProgressRange(int lower, int upper) {
  std::lock_guard lock(mutex_);
  progressRange_ = {lower, upper};
}

void FakeDialogView::SetProgressPos(int position) {
  std::lock_guard lock(mutex_);
  progressPos_ = position;
  if (OnTestThread()) Note("SetProgressPos " + std::to_string(position));
}

void FakeDialogView::SetStatusText(const std::string& text) {
  std::lock_guard lock(mutex_);
  status_ = text;
}

void FakeDialogView::PostTransferEnd() {
  std::unique_lock lock(mutex_);
  ++endsPosted_;
  endPosted_.notify_all();
  if (!holdNextEnd_) return;
  holdNextEnd_ = false;
  endHeld_ = true;
  endReleased_.wait(lock, [this] { return !endHeld_; });
}

void FakeDialogView::SetButtonText(int id, const std::string& text) {
  std::lock_guard lock(mutex_);
  texts_[id] = text;
  Note("SetButtonText " + std::to_string(id) + " " + text);
}

void FakeDialogView::EnableButton(int id, bool enable) {
  std::lock_guard lock(mutex_);
  enabled_[id] = enable;
  Note("EnableButton " + std::to_string(id) + (enable ? " 1" : " 0"));
}

void FakeDialogView::SetDefaultButton(int id) {
  std::lock_guard lock(mutex_);
  defaultButton_ = id;
  Note("SetDefaultButton " + std::to_string(id));
}

void FakeDialogView::FocusControl(int id) {
  std::lock_guard lock(mutex_);
  focused_ = id;
  Note("FocusControl " + std::to_string(id));
}

void FakeDialogView::ShowMessage(const std::string& text) {
  std::lock_guard lock(mutex_);
  messages_.push_back(text);
  Note("ShowMessage " + text);
}

std::optional<SaveFileChoice> FakeDialogView::ChooseSaveFile(
    const std::string& filter, const std::string& defaultExtension) {
  std::lock_guard lock(mutex_);
  ++saveChooserCalls_;
  lastFilter_ = filter;
  lastExtension_ = defaultExtension;
  Note("ChooseSaveFile");
  return saveAnswer_;
}

int FakeDialogView::ReadModelIndex() {
  std::lock_guard lock(mutex_);
  return model_;
}

void FakeDialogView::WriteModelIndex(int modelIndex) {
  std::lock_guard lock(mutex_);
  model_ = modelIndex == 0 || modelIndex == 1 ? modelIndex : -1;
}

int FakeDialogView::ListSelection(int listId) {
  std::lock_guard lock(mutex_);
  const auto it = selections_.find(listId);
  return it == selections_.end() ? -1 : it->second;
}

void FakeDialogView::CheckModel(int modelIndex) { WriteModelIndex(modelIndex); }

void FakeDialogView::SelectListEntry(int listId, int selection) {
  std::lock_guard lock(mutex_);
  selections_[listId] = selection;
}

void FakeDialogView::FillPortList(const std::vector<PortListItem>& items) {
  std::lock_guard lock(mutex_);
  portItems_ = items;
}

void FakeDialogView::UpdatePortList(const std::vector<PortListItem>& items) {
  std::lock_guard lock(mutex_);
  if (items.size() == portItems_.size()) portItems_ = items;
}

bool FakeDialogView::HasFocus(int id) {
  std::lock_guard lock(mutex_);
  return focused_ == id;
}

void FakeDialogView::AnswerSaveFile(std::optional<std::filesystem::path> path, int typeIndex) {
  std::lock_guard lock(mutex_);
  saveAnswer_.reset();
  if (path) saveAnswer_ = SaveFileChoice{std::move(*path), typeIndex};
}

bool FakeDialogView::TakeTransferEnd(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!endPosted_.wait_for(lock, timeout,
                           [this] { return endsPosted_ > endsTaken_; }))
    return false;
  ++endsTaken_;
  return true;
}

int FakeDialogView::TransferEndsPosted() const {
  std::lock_guard lock(mutex_);
  return endsPosted_;
}

void FakeDialogView::HoldNextTransferEnd() {
  std::lock_guard lock(mutex_);
  holdNextEnd_ = true;
}

void FakeDialogView::ReleaseTransferEnd() {
  std::lock_guard lock(mutex_);
  holdNextEnd_ = false;
  endHeld_ = false;
  endReleased_.notify_all();
}

std::string FakeDialogView::ButtonText(int id) const {
  std::lock_guard lock(mutex_);
  const auto it = texts_.find(id);
  return it == texts_.end() ? std::string() : it->second;
}

bool FakeDialogView::ButtonEnabled(int id) const {
  std::lock_guard lock(mutex_);
  const auto it = enabled_.find(id);
  return it != enabled_.end() && it->second;
}

int FakeDialogView::DefaultButton() const {
  std::lock_guard lock(mutex_);
  return defaultButton_;
}

int FakeDialogView::FocusedControl() const {
  std::lock_guard lock(mutex_);
  return focused_;
}

std::vector<std::string> FakeDialogView::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::string FakeDialogView::StatusText() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::vector<PortListItem> FakeDialogView::PortItems() const {
  std::lock_guard lock(mutex_);
  return portItems_;
}

int FakeDialogView::ProgressPos() const {
  std::lock_guard lock(mutex_);
  return progressPos_;
}

std::pair<int, int> FakeDialogView::ProgressRange() const {
  std::lock_guard lock(mutex_);
  return progressRange_;
}

int FakeDialogView::SaveChooserCalls() const {
  std::lock_guard lock(mutex_);
  return saveChooserCalls_;
}

std::string FakeDialogView::LastFilter() const {
  std::lock_guard lock(mutex_);
  return lastFilter_;
}

std::string FakeDialogView::LastDefaultExtension() const {
  std::lock_guard lock(mutex_);
  return lastExtension_;
}

std::vector<std::string> FakeDialogView::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void FakeDialogView::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

}  // namespace zv::testkit
