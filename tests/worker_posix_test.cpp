// The worker on POSIX: its raised priority (a lower nice value for the
// worker thread alone), a refusal that changes nothing, and a thread that
// cannot be created.
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

#include "kit/unprivileged.h"
#include "support/thread_priority.h"
#include "transfer/worker.h"

namespace zv {
namespace {

int OwnNice() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
}

// Whether this process may give a thread a lower nice value at all, tried
// with the system call itself on a throwaway thread.
bool MayRaisePriority() {
  bool lowered = false;
  std::thread probe([&] {
    const int before = OwnNice();
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), before - 1);
    lowered = OwnNice() < before;
  });
  probe.join();
  return lowered;
}

constexpr const char* kMayNotRaise =
    "this user may not lower a nice value (that takes CAP_SYS_NICE or a "
    "RLIMIT_NICE above 0), so no thread's priority can be raised here";

TEST(ThreadPriority, RaisesTheCallingThreadOnly) {
  if (!MayRaisePriority()) GTEST_SKIP() << kMayNotRaise;
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

  EXPECT_TRUE(raised);
  EXPECT_LT(after, before);
  EXPECT_EQ(OwnNice(), callerBefore) << "other threads keep their priority";
}

// Sets this process's RLIMIT_NICE soft limit, restoring it afterwards.
class ScopedNiceLimit {
 public:
  explicit ScopedNiceLimit(rlim_t limit) {
    getrlimit(RLIMIT_NICE, &old_);
    rlimit changed = old_;
    changed.rlim_cur = limit;
    ok_ = setrlimit(RLIMIT_NICE, &changed) == 0;
  }
  ~ScopedNiceLimit() { setrlimit(RLIMIT_NICE, &old_); }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  bool ok_ = false;
};

// A thread without privileges under a nice limit of 0 may not lower its
// nice value: the refusal is real, for the superuser too.
TEST(ThreadPriority, ARefusalSaysSoAndChangesNothing) {
  ScopedNiceLimit noLowering(0);
  ASSERT_TRUE(noLowering.ok());
  int before = 0;
  int after = 0;
  bool raised = true;
  ASSERT_TRUE(testkit::RunUnprivileged([&] {
    before = OwnNice();
    raised = RaiseCurrentThreadPriority();
    after = OwnNice();
  })) << "could not drop this thread's privileges";

  EXPECT_FALSE(raised);
  EXPECT_EQ(after, before);
}

TEST(ThreadPriority, TheWorkerRunsAtTheRaisedPriority) {
  if (!MayRaisePriority()) GTEST_SKIP() << kMayNotRaise;
  const int uiNice = OwnNice();
  int workerNice = uiNice;
  WorkerThread worker;
  ASSERT_TRUE(worker.Start([&] { workerNice = OwnNice(); }));
  ASSERT_TRUE(worker.WaitFor(std::chrono::seconds(10)));

  EXPECT_LT(workerNice, uiNice);
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
