// The worker on POSIX: its raised priority (a lower nice value for the
// worker thread alone, or a clean refusal where the user may not have it)
// and a thread that cannot be created.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "support/thread_priority.h"
#include "transfer/worker.h"

namespace zv {
namespace {

int OwnNice() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
}

TEST(ThreadPriority, RaisesOnlyTheCallingThread) {
  const int callerBefore = OwnNice();
  int before = 0;
  int after = 0;
  bool raised = false;
  std::thread thread([&] {
    before = OwnNice();
    raised = RaiseCurrentThreadPriority();
    after = OwnNice();
  });
  thread.join();

  if (raised) {
    EXPECT_LT(after, before);
  } else {
    EXPECT_EQ(after, before) << "a refusal changes nothing";
  }
  EXPECT_EQ(OwnNice(), callerBefore) << "other threads keep their priority";
}

TEST(ThreadPriority, TheWorkerRunsAtTheRaisedPriorityWhereAllowed) {
  // What this process may do: try it on a throwaway thread first.
  bool allowed = false;
  std::thread probe([&] { allowed = RaiseCurrentThreadPriority(); });
  probe.join();

  const int uiNice = OwnNice();
  int workerNice = uiNice;
  WorkerThread worker;
  ASSERT_TRUE(worker.Start([&] { workerNice = OwnNice(); }));
  ASSERT_TRUE(worker.WaitFor(std::chrono::seconds(10)));

  if (allowed) {
    EXPECT_LT(workerNice, uiNice);
  } else {
    EXPECT_EQ(workerNice, uiNice);
  }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Caps the address space a little above what the process uses now, so that
// a new thread's stack cannot be mapped; restores the limit afterwards.
class ScopedAddressSpaceLimit {
 public:
  ScopedAddressSpaceLimit() {
    getrlimit(RLIMIT_AS, &old_);
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    if (!(statm >> pages)) return;
    rlimit limited = old_;
    limited.rlim_cur = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) +
                       kHeadroom;
    ok_ = setrlimit(RLIMIT_AS, &limited) == 0;
  }
  ~ScopedAddressSpaceLimit() { setrlimit(RLIMIT_AS, &old_); }
  bool ok() const { return ok_; }

 private:
  static constexpr rlim_t kHeadroom = 256 * 1024;  // far below a thread stack
  rlimit old_{};
  bool ok_ = false;
};

constexpr int kStackHolders = 16;  // more than the stack cache holds

TEST(WorkerThreadPosix, StartReportsAThreadThatCannotBeCreated) {
  if (kSanitized) GTEST_SKIP() << "sanitizers reserve address space at will";
  // The C library keeps the stacks of ended threads for reuse; threads
  // waiting here take them all, so the next thread needs a fresh stack.
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  std::vector<std::thread> holders;
  for (int i = 0; i < kStackHolders; ++i)
    holders.emplace_back([&] {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return release; });
    });

  WorkerThread worker;
  bool ran = false;
  bool started = true;
  {
    ScopedAddressSpaceLimit limit;
    const bool limited = limit.ok();
    if (limited) started = worker.Start([&] { ran = true; });
    {
      std::lock_guard lock(mutex);
      release = true;
    }
    changed.notify_all();
    for (std::thread& holder : holders) holder.join();
    ASSERT_TRUE(limited);
  }
  EXPECT_FALSE(started);
  EXPECT_FALSE(worker.Held());
  EXPECT_TRUE(worker.WaitFor(std::chrono::milliseconds(0)));

  ASSERT_TRUE(worker.Start([&] { ran = true; })) << "works again afterwards";
  worker.Join();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace zv
