#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::testkit {

// A program run as a child process with its standard output and error
// captured through pipes and its standard input from /dev/null. It
// inherits the test's environment. The destructor kills a child still
// running.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  // The next line of standard output, without its line end; nothing when
  // none is complete within `timeout` or the output has ended.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
  // True when standard error has shown `text` within `timeout`.
  bool WaitForError(std::string_view text, std::chrono::milliseconds timeout);

  void Signal(int signal) const;

  // Waits for the child to end, collecting its output. The exit status, or
  // 128 + the signal that ended it; nothing when it still runs after
  // `timeout`.
  std::optional<int> Wait(std::chrono::milliseconds timeout);

  const std::string& Output() const { return out_; }  // unread remainder included
  const std::string& Error() const { return err_; }

 private:
  // Reads what the pipes hold, waiting up to `timeout` for something. False
  // when both have ended.
  bool Pump(std::chrono::milliseconds timeout);

  pid_t pid_ = -1;
  int outPipe_ = -1;
  int errPipe_ = -1;
  std::string out_;
  std::size_t outRead_ = 0;  // bytes of out_ handed out by ReadLine
  std::string err_;
  std::optional<int> status_;
};

}  // namespace zv::testkit
