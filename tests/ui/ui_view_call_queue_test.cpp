// Calls from a worker thread reach the UI thread in order, never making the
// worker wait, and a closed queue drops what is left.

#include <QApplication>
#include <QMessageBox>
#include <atomic>
#include <thread>
#include <vector>

#include "harness.h"
#include "ui/qt/view_call_queue.h"

namespace zv::uitest {
namespace {

TEST(ViewCallQueue, CallsFromAnotherThreadRunOnThisThreadInOrder) {
  ViewCallQueue queue;
  std::vector<int> ran;
  bool allOnUiThread = true;
  const auto uiThread = std::this_thread::get_id();
  constexpr int kCalls = 2000;
  std::thread worker([&] {
    for (int i = 0; i < kCalls; ++i) {
      queue.Push([&, i] {
        ran.push_back(i);
        allOnUiThread = allOnUiThread && std::this_thread::get_id() == uiThread;
      });
    }
  });
  worker.join();  // pushing never waited for this thread's event loop
  EXPECT_TRUE(ran.empty());

  ASSERT_TRUE(WaitUntil([&] { return ran.size() == kCalls; }));
  for (int i = 0; i < kCalls; ++i) ASSERT_EQ(ran[i], i);
  EXPECT_TRUE(allOnUiThread);
}

TEST(ViewCallQueue, ACallInAModalLoopIsNotOvertakenByLaterOnes) {
  ViewCallQueue queue;
  std::vector<std::string> ran;
  queue.Push([&] {
    ran.push_back("first begins");
    // A nested event loop, as a message box runs one.
    queue.Push([&] { ran.push_back("second"); });
    QEventLoop nested;
    QMetaObject::invokeMethod(&nested, &QEventLoop::quit, Qt::QueuedConnection);
    nested.exec();
    ran.push_back("first ends");
  });
  ASSERT_TRUE(WaitUntil([&] { return ran.size() == 3; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"first begins", "first ends", "second"}));
}

TEST(ViewCallQueue, ClosingDropsWhatIsLeftAndWhatComesLater) {
  ViewCallQueue queue;
  int ran = 0;
  queue.Push([&] { ++ran; });
  queue.Close();
  std::thread worker([&] { queue.Push([&] { ++ran; }); });
  worker.join();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace zv::uitest
