// The hand-off of the worker's view calls to the UI thread: they run there
// in order, before a message the worker posts after them, never overtaking
// a call that opened a modal loop, and a closed queue drops what is left.
// The test thread plays the UI thread; its event queue is a fake one that
// holds the wake-ups and the worker's own messages in the order posted.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "transfer/view_call_queue.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 10s;  // only a safety net against hanging
const std::string kWake = "wake";
const std::string kEnd = "end";

// The UI thread's queue of posted messages.
class FakeEventQueue {
 public:
  void Post(const std::string& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
    ++posted_;
    changed_.notify_all();
  }
  // The next message, waiting for one; nothing when none came in time.
  std::optional<std::string> Take() {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kPatience, [this] { return !messages_.empty(); }))
      return std::nullopt;
    std::string message = messages_.front();
    messages_.pop_front();
    return message;
  }
  int Posted() const {
    std::lock_guard lock(mutex_);
    return posted_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> messages_;
  int posted_ = 0;
};

TEST(ViewCallQueue, CallsRunOnTheUiThreadInOrderBeforeAMessagePostedAfterThem) {
  FakeEventQueue events;
  ViewCallQueue queue([&] {
    events.Post(kWake);
    return true;
  });
  const auto uiThread = std::this_thread::get_id();
  std::vector<int> ran;  // touched on the UI thread only
  bool allOnUiThread = true;
  constexpr int kCalls = 2000;
  std::thread worker([&] {
    for (int i = 0; i < kCalls; ++i) {
      queue.Push([&, i] {
        ran.push_back(i);
        allOnUiThread = allOnUiThread && std::this_thread::get_id() == uiThread;
      });
    }
    events.Post(kEnd);  // as the worker posts its end command
  });
  // The UI thread's event loop, running while the worker pushes.
  std::optional<std::size_t> ranAtEnd;
  while (const auto message = events.Take()) {
    if (*message == kEnd) {
      ranAtEnd = ran.size();
      break;
    }
    queue.RunPending();
  }
  worker.join();

  ASSERT_TRUE(ranAtEnd) << "the worker's message never came";
  EXPECT_EQ(*ranAtEnd, static_cast<std::size_t>(kCalls)) << "every call ran before it";
  ASSERT_EQ(ran.size(), static_cast<std::size_t>(kCalls));
  for (int i = 0; i < kCalls; ++i) ASSERT_EQ(ran[i], i);
  EXPECT_TRUE(allOnUiThread);
}

TEST(ViewCallQueue, ACallInAModalLoopIsNotOvertakenByLaterOnes) {
  FakeEventQueue events;
  ViewCallQueue queue([&] {
    events.Post(kWake);
    return true;
  });
  std::vector<std::string> ran;
  queue.Push([&] {
    ran.push_back("first begins");
    std::thread worker([&] { queue.Push([&] { ran.push_back("second"); }); });
    worker.join();
    // A modal loop handles what was posted meanwhile: nothing for the queue.
    EXPECT_EQ(events.Posted(), 1) << "no second wake-up while the first is handled";
    ran.push_back("first ends");
  });
  ASSERT_EQ(events.Take(), kWake);

  queue.RunPending();

  EXPECT_EQ(ran, (std::vector<std::string>{"first begins", "first ends", "second"}));
}

TEST(ViewCallQueue, ClosingDropsWhatIsLeftAndWhatComesLater) {
  int wakeUps = 0;
  ViewCallQueue queue([&] {
    ++wakeUps;
    return true;
  });
  int ran = 0;
  queue.Push([&] { ++ran; });
  queue.Close();
  std::thread worker([&] { queue.Push([&] { ++ran; }); });
  worker.join();

  queue.RunPending();

  EXPECT_EQ(ran, 0);
  EXPECT_EQ(wakeUps, 1) << "no wake-up after the close";
}

TEST(ViewCallQueue, OneWakeUpAtATimeAskedForAgainWhenItFailedOrTheQueueWasDrained) {
  int wakeUps = 0;
  ViewCallQueue queue([&] { return ++wakeUps > 1; });  // the first one fails
  std::vector<int> ran;
  queue.Push([&] { ran.push_back(1); });
  queue.Push([&] { ran.push_back(2); });
  queue.Push([&] { ran.push_back(3); });
  EXPECT_EQ(wakeUps, 2) << "asked again after the failure, then pending";

  queue.RunPending();
  queue.Push([&] { ran.push_back(4); });

  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(wakeUps, 3) << "asked again once the queue was drained";
}

}  // namespace
}  // namespace zv
