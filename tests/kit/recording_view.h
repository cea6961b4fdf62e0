#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "transfer/receive.h"

namespace zv::testkit {

// One call the receive loop made on its view.
struct ViewCall {
  enum class Kind { Range, Position, Status, End };
  Kind kind = Kind::End;
  int first = 0;   // Range: lower; Position: position
  int second = 0;  // Range: upper
  std::string text;  // Status

  static ViewCall Range(int lower, int upper);
  static ViewCall Position(int position);
  static ViewCall Status(std::string text);
  static ViewCall End();

  bool operator==(const ViewCall&) const = default;
};

void PrintTo(const ViewCall& call, std::ostream* out);

// An IReceiveView that records every call in order. Safe to call from the
// worker while the test thread reads the record or waits for the end.
class RecordingView : public IReceiveView {
 public:
  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int position) override;
  void SetStatusText(const std::string& text) override;
  void PostTransferEnd() override;

  // Runs on the calling thread after each call has been recorded, e.g. to
  // press Stop at a chosen point. Set it before the worker starts.
  void OnEachCall(std::function<void(const ViewCall&)> hook);

  std::vector<ViewCall> Calls() const;
  std::vector<std::string> StatusTexts() const;
  std::vector<int> Positions() const;
  std::vector<std::pair<int, int>> Ranges() const;
  int EndCount() const;
  // True when PostTransferEnd has been called within `timeout`.
  bool WaitForEnd(std::chrono::milliseconds timeout) const;

 private:
  void Record(ViewCall call);

  mutable std::mutex mutex_;
  mutable std::condition_variable ended_;
  std::vector<ViewCall> calls_;
  std::function<void(const ViewCall&)> hook_;
  int ends_ = 0;
};

}  // namespace zv::testkit
