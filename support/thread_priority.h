#pragma once

namespace zv {

// Raises the calling thread's priority above normal (Windows:
// THREAD_PRIORITY_ABOVE_NORMAL; POSIX: a lower nice value for this thread
// alone, which only the thread itself can name). Call it at the start of
// the thread. Returns false when the system refuses, which callers may
// ignore: an unprivileged POSIX user may not lower a nice value.
bool RaiseCurrentThreadPriority();

}  // namespace zv
