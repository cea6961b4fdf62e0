// The Qt dialog's hand-off of the worker's calls: the wake-up is an event
// that the UI thread's event loop delivers.

#include <thread>
#include <vector>

#include "harness.h"
#include "ui/qt/qt_view_call_queue.h"

namespace zv::uitest {
namespace {

TEST(QtViewCallQueue, CallsFromAnotherThreadRunWhenTheEventLoopDeliversTheWakeUp) {
  QtViewCallQueue queue;
  std::vector<int> ran;
  bool allOnUiThread = true;
  const auto uiThread = std::this_thread::get_id();
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      queue.Push([&, i] {
        ran.push_back(i);
        allOnUiThread = allOnUiThread && std::this_thread::get_id() == uiThread;
      });
    }
  });
  worker.join();  // pushing never waited for this thread's event loop
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(WaitUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(allOnUiThread);
}

}  // namespace
}  // namespace zv::uitest
