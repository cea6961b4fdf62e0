#include "kit/recording_view.h"

namespace zv::testkit {

ViewCall ViewCall::Range(int lower, int upper) {
  return {Kind::Range, lower, upper, {}};
}

ViewCall ViewCall::Position(int position) {
  return {Kind::Position, position, 0, {}};
}

ViewCall ViewCall::Status(std::string text) {
  return {Kind::Status, 0, 0, std::move(text)};
}

ViewCall ViewCall::End() { return {Kind::End, 0, 0, {}}; }

void PrintTo(const ViewCall& call, std::ostream* out) {
  switch (call.kind) {
    case ViewCall::Kind::Range:
      *out << "Range(" << call.first << ", " << call.second << ")";
      break;
    case ViewCall::Kind::Position:
      *out << "Position(" << call.first << ")";
      break;
    case ViewCall::Kind::Status:
      *out << "Status(\"" << call.text << "\")";
      break;
    case ViewCall::Kind::End:
      *out << "End()";
      break;
  }
}

void RecordingView::SetProgressRange(int lower, int upper) {
  Record(ViewCall::Range(lower, upper));
}

void RecordingView::SetProgressPos(int position) {
  Record(ViewCall::Position(position));
}

void RecordingView::SetStatusText(const std::string& text) {
  Record(ViewCall::Status(text));
}

void RecordingView::PostTransferEnd() { Record(ViewCall::End()); }

void RecordingView::OnEachCall(std::function<void(const ViewCall&)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void RecordingView::Record(ViewCall call) {
  std::function<void(const ViewCall&)> hook;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    if (call.kind == ViewCall::Kind::End) {
      ++ends_;
      ended_.notify_all();
    }
    hook = hook_;
  }
  if (hook) {
    hook(call);
  }
}

std::vector<ViewCall> RecordingView::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> RecordingView::StatusTexts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const ViewCall& call : calls_) {
    if (call.kind == ViewCall::Kind::Status) {
      texts.push_back(call.text);
    }
  }
  return texts;
}

std::vector<int> RecordingView::Positions() const {
  std::lock_guard lock(mutex_);
  std::vector<int> positions;
  for (const ViewCall& call : calls_) {
    if (call.kind == ViewCall::Kind::Position) {
      positions.push_back(call.first);
    }
  }
  return positions;
}

std::vector<std::pair<int, int>> RecordingView::Ranges() const {
  std::lock_guard lock(mutex_);
  std::vector<std::pair<int, int>> ranges;
  for (const ViewCall& call : calls_) {
    if (call.kind == ViewCall::Kind::Range) {
      ranges.emplace_back(call.first, call.second);
    }
  }
  return ranges;
}

int RecordingView::EndCount() const {
  std::lock_guard lock(mutex_);
  return ends_;
}

bool RecordingView::WaitForEnd(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return ended_.wait_for(lock, timeout, [this] { return ends_ > 0; });
}

}  // namespace zv::testkit
