// The receive loop fed a fuzzed stream in fuzzed pieces through a scripted
// port, with the 100 ms pause after DTR taken out.
//
// Input: byte 0 picks the model index; then steps, each a control byte
// followed by its bytes:
//   control 0x00-0x7F: deliver the next (control & 0x3F) + 1 bytes in one Read
//   control 0x80-0x9F: deliver the next ((control & 0x1F) + 1) * 8 bytes as
//                      one step, which the port hands out over several Reads
//   control 0xA0-0xBF: silence (zero result, no bytes)
//   control 0xC0-0xDF: a successful Read with no bytes
//   control 0xE0-0xFF: the next (control & 0x1F) + 1 bytes with a zero result
// When the script is used up the port reads as silence and, as a user
// pressing Stop would, clears the running flag.
//
// Checked: the buffer holds exactly the bytes delivered up to the first
// silence after the header; the loop makes no Read after that silence;
// the announced count matches the header's bytes;
// the test count never exceeds the markers present and equals what the
// counting rules give on the final stream; the view sees positions 0, 1,
// 2, ... and the end command exactly once, last; DTR is raised first and
// dropped last.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "kit/recording_view.h"
#include "kit/scripted_port.h"
#include "transfer/receive.h"

namespace {

using zv::testkit::ScriptedPort;

constexpr std::array<int, 4> kModels{-1, zv::kModelA, zv::kModelB, 2};
constexpr std::uint8_t kTestByteB = 0x19;

// What the loop must do with the script: the bytes it keeps and how many
// Reads it makes.
struct Expected {
  std::vector<std::uint8_t> stream;
  int reads = 0;
};

class ScriptBuilder {
 public:
  ScriptBuilder(ScriptedPort& port, std::span<const std::uint8_t> input)
      : port_(port), input_(input) {}

  Expected Build() {
    while (!input_.empty() && !ended_) {
      const std::uint8_t control = Take(1)[0];
      if (control < 0x80) {
        Deliver(Take((control & 0x3F) + 1u), true);
      } else if (control < 0xA0) {
        Deliver(Take(((control & 0x1Fu) + 1u) * 8u), true);
      } else if (control < 0xC0) {
        port_.Silence();
        ++expected_.reads;
        ended_ = expected_.stream.size() >= zv::kHeaderSize;
      } else if (control < 0xE0) {
        port_.EmptyRead();
        ++expected_.reads;
      } else {
        Deliver(Take((control & 0x1Fu) + 1u), false);
      }
    }
    // The script's end reads as silence: it ends a transfer past the
    // header, and stops one still waiting for it.
    if (!ended_) ++expected_.reads;
    return expected_;
  }

 private:
  std::span<const std::uint8_t> Take(std::size_t wanted) {
    const std::size_t n = std::min(wanted, input_.size());
    const auto taken = input_.first(n);
    input_ = input_.subspan(n);
    return taken;
  }

  void Deliver(std::span<const std::uint8_t> bytes, bool nonzeroResult) {
    if (bytes.empty()) return;
    if (nonzeroResult) {
      port_.Deliver(bytes);
    } else {
      port_.ZeroResultWith({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    expected_.reads += static_cast<int>((bytes.size() + zv::kChunkSize - 1) / zv::kChunkSize);
    expected_.stream.insert(expected_.stream.end(), bytes.begin(), bytes.end());
  }

  ScriptedPort& port_;
  std::span<const std::uint8_t> input_;
  Expected expected_;
  bool ended_ = false;
};

std::size_t MarkersPresent(const std::vector<std::uint8_t>& stream, int model) {
  if (stream.size() <= zv::kHeaderSize) return 0;
  const auto body = std::span(stream).subspan(zv::kHeaderSize);
  if (model == zv::kModelB) return static_cast<std::size_t>(std::ranges::count(body, kTestByteB));
  const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
  std::size_t markers = 0;
  for (std::size_t at = text.find(zv::kTestMarker); at != std::string_view::npos;
       at = text.find(zv::kTestMarker, at + 1)) {
    ++markers;
  }
  return markers;
}

// ZORVEL A on the whole stream: from offset 10 on, each marker with at
// least 19 bytes from its first byte counts, and the search goes on 17
// bytes after it.
int CountedMarkersA(const std::vector<std::uint8_t>& stream) {
  const std::string_view text(reinterpret_cast<const char*>(stream.data()), stream.size());
  int tests = 0;
  for (std::size_t from = zv::kHeaderSize; from < text.size();) {
    const std::size_t at = text.find(zv::kTestMarker, from);
    if (at == std::string_view::npos || text.size() - at < zv::kMarkerSpan) break;
    ++tests;
    from = at + zv::kMarkerSkip;
  }
  return tests;
}

// The announced count, decoded here from the header's bytes: ZORVEL B's
// byte 2 as it is; for any other model index the ASCII digits at offsets
// 7 and 8, each byte below ';' taken as byte - '0', any other as
// byte - 'A' + 10, high digit first.
int AnnouncedCount(const std::vector<std::uint8_t>& stream, int model) {
  if (model == zv::kModelB) return stream[2];
  const auto digit = [](int byte) { return byte < ';' ? byte - '0' : byte - 'A' + 10; };
  return digit(stream[7]) * 16 + digit(stream[8]);
}

int ExpectedTests(const std::vector<std::uint8_t>& stream, int model) {
  if (model == zv::kModelB) return static_cast<int>(MarkersPresent(stream, model));
  return CountedMarkersA(stream);
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "receive loop: %s\n", what);
  std::abort();
}

void CheckView(const zv::testkit::RecordingView& view, int tests) {
  const auto calls = view.Calls();
  Check(view.EndCount() == 1, "the end command is not posted exactly once");
  Check(!calls.empty() && calls.back() == zv::testkit::ViewCall::End(),
        "the end command is not the last view call");
  std::vector<int> positions(static_cast<std::size_t>(tests) + 1);
  for (int i = 0; i <= tests; ++i) positions[static_cast<std::size_t>(i)] = i;
  Check(view.Positions() == positions, "progress positions do not step through the tests");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int model = kModels[data[0] % kModels.size()];

  ScriptedPort port;
  const Expected expected = ScriptBuilder(port, std::span(data + 1, size - 1)).Build();

  zv::TransferShared shared;
  shared.running = 1;
  shared.modelIndex = model;
  port.StopWhenExhausted(shared.running);
  zv::testkit::RecordingView view;
  zv::ReceiveJob job{port, shared, view, [](std::chrono::milliseconds) {}};

  Check(zv::ReceiveProc(job) == 0, "ReceiveProc did not return 0");

  Check(shared.buffer == expected.stream, "the buffer differs from the stream");
  Check(port.ReadCalls() == expected.reads,
        "the number of reads is wrong (a read after the closing silence?)");
  const bool headerSeen = expected.stream.size() >= zv::kHeaderSize;
  Check(shared.headerSeen == headerSeen, "header flag wrong");
  if (headerSeen) {
    Check(shared.expectedCount == AnnouncedCount(expected.stream, model),
          "expected count wrong");
  }
  const int tests = shared.testCount.load();
  Check(tests >= 0 && static_cast<std::size_t>(tests) <= MarkersPresent(expected.stream, model),
        "more tests counted than markers present");
  Check(tests == ExpectedTests(expected.stream, model), "test count differs from the rules");
  const std::vector<zv::DWORD> shakes = port.ShakeCalls();
  Check(shakes.size() == 2 && shakes.front() == 5 && shakes.back() == 6,
        "DTR not raised first and dropped last");
  CheckView(view, tests);
  return 0;
}
