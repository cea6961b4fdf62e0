#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/rs232.h"

namespace zv::testkit {

// A serial port that plays a script instead of a device. Each Read takes
// the next step of the script; a step of bytes longer than the Read's
// `max` is handed out over as many Reads as it takes, as a real port would.
// When the script is used up every Read is silence (zero, count 0) and, if
// a running flag was given with StopWhenExhausted, clears that flag first,
// as a user pressing Stop would.
//
// The script is built before the reader starts, or from its own actions
// (Then). Observation and Release may be called from any thread.
class ScriptedPort : public CRS232 {
 public:
  ScriptedPort() = default;
  ~ScriptedPort() override;

  // One Read returns these bytes with a nonzero result.
  ScriptedPort& Deliver(std::span<const BYTE> bytes);
  ScriptedPort& Deliver(std::string_view bytes);
  // `reads` Reads find nothing: zero result, count 0.
  ScriptedPort& Silence(int reads = 1);
  // A successful Read with no bytes: nonzero result, count 0.
  ScriptedPort& EmptyRead();
  // A Read with bytes but a zero result.
  ScriptedPort& ZeroResultWith(std::string_view bytes);
  // A Read that writes `bytes` but reports `reportedCount` of them.
  ScriptedPort& Misreport(std::string_view bytes, DWORD reportedCount);
  // The next Read blocks until Release(), then goes on with the script.
  ScriptedPort& Hold();
  // `action` runs inside the next Read (without the port's lock held),
  // before that Read takes its step.
  ScriptedPort& Then(std::function<void()> action);

  void StopWhenExhausted(std::atomic<int>& running);

  int Read(DWORD max, BYTE* buffer, DWORD* count) override;
  void Shake(DWORD function) override;

  int ReadCalls() const;
  // True when `calls` Reads have started within `timeout`.
  bool WaitForReadCalls(int calls, std::chrono::milliseconds timeout) const;
  // True when a Read is blocked on a Hold step within `timeout`.
  bool WaitUntilHeld(std::chrono::milliseconds timeout) const;
  // Lets the held Read go on (or the next Hold pass at once).
  void Release();

  bool Exhausted() const;
  std::size_t BytesDelivered() const;
  // Every Shake and Read in call order: "shake 5", "read", "shake 6".
  std::vector<std::string> Events() const;
  std::vector<DWORD> ShakeCalls() const;

 private:
  struct Step {
    enum class Kind { Reply, Hold, Action } kind = Kind::Reply;
    std::vector<BYTE> bytes;
    std::size_t offset = 0;  // bytes already handed out
    int result = 1;
    long long reportedCount = -1;  // -1: the bytes handed out
    std::function<void()> action;
  };

  ScriptedPort& Push(Step step);
  int Reply(Step& step, DWORD max, BYTE* buffer, DWORD* count);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<Step> steps_;
  std::atomic<int>* runningToClear_ = nullptr;
  std::vector<std::string> events_;
  int readCalls_ = 0;
  bool held_ = false;
  bool released_ = false;
  std::size_t delivered_ = 0;
};

}  // namespace zv::testkit
