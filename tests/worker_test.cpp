// The worker thread: a bounded wait that never abandons a running body.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "transfer/worker.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;  // only a safety net against hanging

// A gate the test opens for a body waiting behind it.
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void Pass() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

TEST(WorkerThread, RunsTheBodyOnAnotherThreadAndReleasesItAfterTheWait) {
  WorkerThread worker;
  std::thread::id bodyThread;
  ASSERT_TRUE(worker.Start([&] { bodyThread = std::this_thread::get_id(); }));
  EXPECT_TRUE(worker.Held());

  ASSERT_TRUE(worker.WaitFor(kPatience));

  EXPECT_FALSE(worker.Held());
  EXPECT_FALSE(worker.Finished());
  EXPECT_NE(bodyThread, std::this_thread::get_id());
  EXPECT_TRUE(worker.WaitFor(0ms)) << "nothing held: nothing to wait for";
}

TEST(WorkerThread, RaisesThePriorityOnTheWorkerFirstAndRunsTheBodyWhenRefused) {
  std::vector<std::pair<const char*, std::thread::id>> steps;  // the worker's own
  WorkerThread worker([&] {
    steps.emplace_back("raise", std::this_thread::get_id());
    return false;
  });
  ASSERT_TRUE(worker.Start([&] { steps.emplace_back("body", std::this_thread::get_id()); }));
  ASSERT_TRUE(worker.WaitFor(kPatience));

  ASSERT_EQ(steps.size(), 2u);
  EXPECT_STREQ(steps[0].first, "raise");
  EXPECT_STREQ(steps[1].first, "body");
  EXPECT_EQ(steps[0].second, steps[1].second) << "raised on the worker's own thread";
  EXPECT_NE(steps[0].second, std::this_thread::get_id());
}

TEST(WorkerThread, AWaitThatTimesOutKeepsTheWorkerHeld) {
  WorkerThread worker;
  Gate gate;
  std::atomic<bool> bodyDone{false};
  ASSERT_TRUE(worker.Start([&] {
    gate.Pass();
    bodyDone = true;
  }));

  EXPECT_FALSE(worker.WaitFor(20ms));
  EXPECT_TRUE(worker.Held());
  EXPECT_FALSE(worker.Finished());
  EXPECT_FALSE(worker.Start([] {})) << "one worker at a time";

  gate.Open();
  ASSERT_TRUE(worker.WaitFor(kPatience));
  EXPECT_TRUE(bodyDone);
  EXPECT_FALSE(worker.Held());
}

TEST(WorkerThread, FinishedTurnsTrueWhenTheBodyReturnsEvenBeforeTheJoin) {
  WorkerThread worker;
  ASSERT_TRUE(worker.Start([] {}));
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!worker.Finished() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  EXPECT_TRUE(worker.Finished());
  EXPECT_TRUE(worker.Held()) << "finished, but not yet joined";
  worker.Join();
  EXPECT_FALSE(worker.Held());
}

TEST(WorkerThread, JoinWaitsForTheBodyToReturn) {
  WorkerThread worker;
  Gate gate;
  std::atomic<bool> bodyDone{false};
  ASSERT_TRUE(worker.Start([&] {
    gate.Pass();
    bodyDone = true;
  }));
  std::thread opener([&] { gate.Open(); });
  worker.Join();
  opener.join();
  EXPECT_TRUE(bodyDone);
  EXPECT_FALSE(worker.Held());
}

TEST(WorkerThread, CanStartAgainAfterTheLastWorkerWasReleased) {
  WorkerThread worker;
  int runs = 0;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(worker.Start([&] { ++runs; }));
    ASSERT_TRUE(worker.WaitFor(kPatience));
  }
  EXPECT_EQ(runs, 3);
}

TEST(WorkerThread, DestructionJoinsAWorkerStillRunning) {
  Gate gate;
  std::atomic<bool> bodyDone{false};
  {
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([&] {
      gate.Pass();
      bodyDone = true;
    }));
    EXPECT_FALSE(worker.WaitFor(1ms));
    gate.Open();
  }  // a thread left joinable here would end the program
  EXPECT_TRUE(bodyDone);
}

}  // namespace
}  // namespace zv
