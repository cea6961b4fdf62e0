#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "support/thread_priority.h"

namespace zv {

// One worker thread with a bounded wait for its end. Unlike a bare
// std::thread it can be waited on with a time-out, and a worker that
// outlives the wait is never abandoned: it stays held until it has ended.
//
// All members are called from the owning (UI) thread.
class WorkerThread {
 public:
  // Raises the calling thread's priority; false when the system refuses.
  using PriorityRaiser = std::function<bool()>;

  // `raisePriority` runs first on every worker thread; a refusal leaves
  // the worker at normal priority and changes nothing else.
  explicit WorkerThread(PriorityRaiser raisePriority = RaiseCurrentThreadPriority);
  ~WorkerThread();  // joins a worker still held
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Starts `body` on a new thread at raised priority. False when the
  // thread cannot be created or a worker is still held.
  bool Start(std::function<void()> body);

  bool Held() const;      // a worker was started and not yet joined
  bool Finished() const;  // the held worker's body has returned

  // Waits up to `timeout` for the body to return; joins and releases the
  // thread when it has. True when nothing is held any more.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Waits without limit and releases the thread.
  void Join();

 private:
  PriorityRaiser raisePriority_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
};

}  // namespace zv
