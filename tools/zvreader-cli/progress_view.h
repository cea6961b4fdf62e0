#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>

#include "transfer/receive.h"

namespace zv::cli {

// Shows the receive loop's progress on a stream (standard error). On a
// terminal one line is redrawn from the first status text on: a bar of
// tests counted against tests announced, and the status text. Otherwise
// every new status text is a line of its own, for logs.
//
// Threads: the worker calls the IReceiveView members; the main thread
// waits for the end and adds notes. Each call takes the view's lock only
// to write, so the worker never waits for the main thread.
class ProgressView : public IReceiveView {
 public:
  ProgressView(std::ostream& out, bool terminal);

  void SetProgressRange(int lower, int upper) override;
  void SetProgressPos(int position) override;
  void SetStatusText(const std::string& text) override;  // UTF-8
  void PostTransferEnd() override;

  // True once the worker has posted the end, within `timeout`.
  bool WaitForEnd(std::chrono::milliseconds timeout);
  // A line of its own, below the bar.
  void Note(const std::string& text);
  // Ends the bar's line.
  void Finish();

 private:
  void Redraw();      // terminal: the bar and the status, over the last one
  void BreakLine();   // terminal: move below the bar before other output

  std::ostream& out_;
  const bool terminal_;
  std::mutex mutex_;
  std::condition_variable endPosted_;
  bool ended_ = false;
  int upper_ = 0;
  int position_ = 0;
  std::string status_;
  std::size_t drawnWidth_ = 0;  // characters of the line on screen
};

// The bar for `position` of `upper`, `width` cells wide: "[####......]".
std::string ProgressBar(int position, int upper, int width);

}  // namespace zv::cli
