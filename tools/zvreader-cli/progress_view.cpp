#include "zvreader-cli/progress_view.h"

#include <algorithm>

namespace zv::cli {
namespace {

constexpr int kBarWidth = 30;

// Characters a terminal shows for UTF-8 text: continuation bytes take no
// cell.
std::size_t DisplayWidth(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

std::string ProgressBar(int position, int upper, int width) {
  int filled = 0;
  if (upper > 0) filled = static_cast<int>(static_cast<long long>(std::clamp(position, 0, upper)) * width / upper);
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(width - filled), '.') + "]";
}

ProgressView::ProgressView(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

void ProgressView::SetProgressRange(int, int upper) {
  std::lock_guard lock(mutex_);
  upper_ = upper;
  if (terminal_ && !status_.empty()) Redraw();
}

void ProgressView::SetProgressPos(int position) {
  std::lock_guard lock(mutex_);
  position_ = position;
  if (terminal_ && !status_.empty()) Redraw();
}

void ProgressView::SetStatusText(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (text == status_) return;
  status_ = text;
  if (terminal_) {
    Redraw();
  } else {
    out_ << text << std::endl;
  }
}

void ProgressView::PostTransferEnd() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  endPosted_.notify_all();
}

bool ProgressView::WaitForEnd(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return endPosted_.wait_for(lock, timeout, [this] { return ended_; });
}

void ProgressView::Note(const std::string& text) {
  std::lock_guard lock(mutex_);
  BreakLine();
  out_ << text << std::endl;
  if (terminal_ && !status_.empty()) Redraw();
}

void ProgressView::Finish() {
  std::lock_guard lock(mutex_);
  BreakLine();
}

void ProgressView::Redraw() {
  const std::string line = ProgressBar(position_, upper_, kBarWidth) + " " + status_;
  const std::size_t width = DisplayWidth(line);
  // Spaces wipe what is left of a longer line drawn before.
  out_ << '\r' << line << std::string(drawnWidth_ > width ? drawnWidth_ - width : 0, ' ')
       << std::flush;
  drawnWidth_ = width;
}

void ProgressView::BreakLine() {
  if (terminal_ && drawnWidth_ > 0) {
    out_ << '\n' << std::flush;
    drawnWidth_ = 0;
  }
}

}  // namespace zv::cli
