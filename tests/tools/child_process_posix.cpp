#include "tools/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace zv::testkit {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  outPipe_ = out[0];
  errPipe_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  CloseFd(outPipe_);
  CloseFd(errPipe_);
}

bool ChildProcess::Pump(milliseconds timeout) {
  pollfd fds[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
  if (outPipe_ < 0 && errPipe_ < 0) return false;
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return true;
  std::string* sinks[2] = {&out_, &err_};
  int* pipes[2] = {&outPipe_, &errPipe_};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].revents == 0) continue;
    char buffer[4096];
    const ssize_t count = read(*pipes[i], buffer, sizeof buffer);
    if (count > 0) {
      sinks[i]->append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      CloseFd(*pipes[i]);
    }
  }
  return outPipe_ >= 0 || errPipe_ >= 0;
}

std::optional<std::string> ChildProcess::ReadLine(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const auto end = out_.find('\n', outRead_);
    if (end != std::string::npos) {
      std::string line = out_.substr(outRead_, end - outRead_);
      outRead_ = end + 1;
      return line;
    }
    if (Clock::now() >= deadline || !Pump(milliseconds(MillisecondsUntil(deadline)))) {
      return std::nullopt;
    }
  }
}

bool ChildProcess::WaitForError(std::string_view text, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (err_.find(text) == std::string::npos) {
    if (Clock::now() >= deadline || !Pump(milliseconds(MillisecondsUntil(deadline)))) {
      return err_.find(text) != std::string::npos;
    }
  }
  return true;
}

void ChildProcess::Signal(int signal) const {
  if (pid_ > 0 && !status_) kill(pid_, signal);
}

std::optional<int> ChildProcess::Wait(milliseconds timeout) {
  if (status_) return status_;
  if (pid_ <= 0) return std::nullopt;
  const auto deadline = Clock::now() + timeout;
  // The pipes end when the child exits (it passes them to nobody).
  while (Pump(milliseconds(MillisecondsUntil(deadline)))) {
    if (Clock::now() >= deadline) return std::nullopt;
  }
  int status = 0;
  if (waitpid(pid_, &status, 0) != pid_) return std::nullopt;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return status_;
}

}  // namespace zv::testkit
