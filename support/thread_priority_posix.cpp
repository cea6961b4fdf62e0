#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "support/thread_priority.h"

namespace zv {

namespace {

constexpr int kNiceStep = 5;  // how far below the current nice value
constexpr int kHighestNice = -20;

}  // namespace

bool RaiseCurrentThreadPriority() {
  // On Linux each thread has its own nice value, named by its kernel id.
  const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, tid);
  if (current == -1 && errno != 0) return false;
  const int raised = std::max(kHighestNice, current - kNiceStep);
  return ::setpriority(PRIO_PROCESS, tid, raised) == 0;
}

}  // namespace zv
