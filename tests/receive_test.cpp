#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kit/recording_view.h"
#include "kit/scripted_port.h"
#include "res/resource.h"
#include "support/strings.h"
#include "transfer/receive.h"

namespace zv {
namespace {

using std::chrono::milliseconds;
using testkit::RecordingView;
using testkit::ScriptedPort;
using testkit::ViewCall;
using ::testing::ElementsAre;

constexpr milliseconds kGenerous{10000};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) {
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

// A ZORVEL A header: the hex digits at offsets 7 and 8.
std::string HeaderA(char high, char low) {
  return std::string("ZVA-RPT") + high + low + "\n";
}

// A ZORVEL B header: the count at offset 2.
std::string HeaderB(int count) {
  return Bytes({0x1B, 0x40, count, 'Z', 'V', 'B', ' ', 'R', '\r', '\n'});
}

// "Number" with the 13 bytes that make it countable.
const std::string kRecordA = "Number: 0001\r\nFEV1 3.2\r\n";
const std::string kRecordB = "\x19Test 0001\r\n";

std::vector<std::uint8_t> AsVector(const std::string& bytes) {
  return {bytes.begin(), bytes.end()};
}

std::string AsString(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

class ReceiveLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUiLanguage(Language::English);
    shared.running = 1;
    port.StopWhenExhausted(shared.running);
  }
  void TearDown() override { ClearUiLanguage(); }

  int Run(int modelIndex) {
    shared.modelIndex = modelIndex;
    return ReceiveProc(job);
  }

  ScriptedPort port;
  TransferShared shared;
  RecordingView view;
  std::vector<milliseconds> sleeps;
  std::vector<std::size_t> portEventsAtSleep;
  ReceiveJob job{port, shared, view, [this](milliseconds duration) {
                   sleeps.push_back(duration);
                   portEventsAtSleep.push_back(port.Events().size());
                 }};
};

// --- Waiting for the header ---------------------------------------------

TEST_F(ReceiveLoop, SilentDeviceWaitsUntilStopAndStillPostsTheEnd) {
  port.Silence(40);  // then the script presses Stop
  EXPECT_EQ(Run(kModelA), 0);

  EXPECT_EQ(port.ReadCalls(), 41);
  EXPECT_TRUE(shared.buffer.empty());
  EXPECT_FALSE(shared.headerSeen);
  EXPECT_THAT(view.Calls(),
              ElementsAre(ViewCall::Position(0),
                          ViewCall::Status(LoadStringA(IDS_WAITING)),
                          ViewCall::End()));
  EXPECT_EQ(view.StatusTexts().front(), "Waiting for transmission");
}

TEST_F(ReceiveLoop, NineBytesThenSilenceKeepWaiting) {
  port.Deliver(HeaderB(3).substr(0, 9)).Silence(25);
  Run(kModelB);

  EXPECT_EQ(port.ReadCalls(), 27);
  EXPECT_EQ(shared.buffer.size(), 9u);
  EXPECT_FALSE(shared.headerSeen);
  EXPECT_TRUE(view.Ranges().empty());
  EXPECT_EQ(view.EndCount(), 1);
}

TEST_F(ReceiveLoop, StopWhileWaitingEndsAfterTheCurrentRead) {
  port.Silence(3)
      .Then([this] { shared.running = 0; })
      .Deliver("abc")
      .Silence(100);
  Run(kModelA);

  EXPECT_EQ(port.ReadCalls(), 4);
  EXPECT_EQ(AsString(shared.buffer), "abc");
  EXPECT_EQ(view.EndCount(), 1);
}

TEST_F(ReceiveLoop, SilenceAfterTheHeaderEndsTheTransfer) {
  port.Deliver(HeaderB(2)).Silence(1).Deliver(kRecordB);
  Run(kModelB);

  EXPECT_EQ(port.ReadCalls(), 2);
  EXPECT_EQ(AsString(shared.buffer), HeaderB(2));
  EXPECT_EQ(shared.testCount, 0);
}

TEST_F(ReceiveLoop, ReadsWithBytesOrWithSuccessAreNormalPasses) {
  // Neither a zero result with bytes nor a success with none ends the
  // transfer; the bytes of the first are kept and counted.
  port.Deliver(HeaderA('0', '2'))
      .ZeroResultWith(kRecordA)
      .EmptyRead()
      .Deliver(kRecordA);
  Run(kModelA);

  EXPECT_EQ(port.ReadCalls(), 5);
  EXPECT_EQ(shared.testCount, 2);
  EXPECT_EQ(AsString(shared.buffer), HeaderA('0', '2') + kRecordA + kRecordA);
}

TEST_F(ReceiveLoop, PortOverstatingItsCountCannotOverrunTheChunk) {
  port.Misreport(HeaderB(1), 5000);
  Run(kModelB);

  EXPECT_EQ(shared.buffer.size(), kChunkSize);
  EXPECT_EQ(AsString(shared.buffer).substr(0, 10), HeaderB(1));
}

// --- Header decoding ----------------------------------------------------

struct HeaderCase {
  const char* name;
  int model;
  std::string header;
  int expected;
  int rangeTop;  // the progress bar's upper bound: the count's low 16 bits
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class HeaderDecoding : public ReceiveLoop,
                       public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderDecoding, AnnouncesTheCountOnTheProgressBar) {
  const HeaderCase& c = GetParam();
  port.Deliver(c.header);
  Run(c.model);

  EXPECT_TRUE(shared.headerSeen);
  EXPECT_EQ(shared.expectedCount, c.expected);
  EXPECT_THAT(view.Ranges(),
              ElementsAre(std::pair{0, c.rangeTop}));
  EXPECT_EQ(DecodeExpectedCount(AsVector(c.header), c.model), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderDecoding,
    ::testing::Values(
        HeaderCase{"A_1A", kModelA, HeaderA('1', 'A'), 26, 26},
        HeaderCase{"A_0colon", kModelA, HeaderA('0', ':'), 10, 10},
        HeaderCase{"A_99", kModelA, HeaderA('9', '9'), 153, 153},
        HeaderCase{"A_FF", kModelA, HeaderA('F', 'F'), 255, 255},
        HeaderCase{"A_lowercase", kModelA, HeaderA('0', 'a'), 42, 42},
        HeaderCase{"A_semicolon", kModelA, HeaderA('0', ';'), 4, 4},
        HeaderCase{"A_zeros", kModelA, HeaderA('\0', '\0'), -816, 64720},
        HeaderCase{"A_high", kModelA, HeaderA('\xFF', '\xFF'), 3400, 3400},
        HeaderCase{"OtherModelIndex", 2, HeaderA('1', 'A'), 26, 26},
        HeaderCase{"B_zero", kModelB, HeaderB(0), 0, 0},
        HeaderCase{"B_25", kModelB, HeaderB(0x19), 25, 25},
        HeaderCase{"B_255", kModelB, HeaderB(0xFF), 255, 255}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeaderDigit, DecodesByTheSemicolonThreshold) {
  const std::vector<std::pair<int, int>> table = {
      {'0', 0}, {'9', 9}, {':', 10}, {';', 4}, {'A', 10},
      {'F', 15}, {'a', 42}, {0, -48}, {0xFF, 200}};
  for (auto [byte, value] : table) {
    EXPECT_EQ(DecodeHeaderDigit(static_cast<std::uint8_t>(byte)), value)
        << "byte " << byte;
  }
}

TEST_F(ReceiveLoop, HeaderSplitOverReadsIsDecodedWhenComplete) {
  const std::string header = HeaderA('0', '7');
  port.Deliver(header.substr(0, 4)).Silence(2).Deliver(header.substr(4, 4))
      .Deliver(header.substr(8) + kRecordA);
  Run(kModelA);

  EXPECT_EQ(shared.expectedCount, 7);
  EXPECT_EQ(shared.testCount, 1);
}

// --- ZORVEL B counting --------------------------------------------------

TEST_F(ReceiveLoop, BHeaderBytesAreNeverTests) {
  // 0x19 at offsets 0, 2 (an announced 25) and 9, then one real test at 10.
  std::string header = HeaderB(0x19);
  header[0] = header[9] = '\x19';
  port.Deliver(header + kRecordB);
  Run(kModelB);

  EXPECT_EQ(shared.expectedCount, 25);
  EXPECT_EQ(shared.testCount, 1);
}

TEST_F(ReceiveLoop, BCountsOnlyBytesPastTheHeaderOfTheCompletingChunk) {
  // Stream offsets 1 and 5 lie in the header, 11 and 13 do not.
  port.Deliver(Bytes({0x1B, 0x19, 3, 'Z', 'V'}))
      .Deliver(Bytes({0x19, 'B', 'R', '\r', '\n', 'x', 0x19, 'y', 0x19}));
  Run(kModelB);

  EXPECT_EQ(shared.expectedCount, 3);
  EXPECT_EQ(shared.testCount, 2);
}

TEST_F(ReceiveLoop, BCountsEveryTestByteOfEachChunk) {
  port.Deliver(HeaderB(5) + kRecordB + kRecordB)
      .Deliver(kRecordB + kRecordB + kRecordB);
  Run(kModelB);

  EXPECT_EQ(shared.testCount, 5);
  EXPECT_THAT(view.Positions(), ElementsAre(0, 1, 2, 3, 4, 5));
}

TEST_F(ReceiveLoop, ExpectedCountZeroStillCountsAndShowsTwoDigits) {
  port.Deliver(HeaderB(0) + kRecordB);
  Run(kModelB);

  EXPECT_EQ(shared.testCount, 1);
  EXPECT_EQ(view.StatusTexts().back(), "Transmited test: 1 / 00");
}

// --- ZORVEL A counting --------------------------------------------------

TEST_F(ReceiveLoop, AMarkerWaitsForItsNineteenBytes) {
  std::vector<int> countsBetweenReads;
  const std::string marker = "Number: 0001";  // "Number" and 6 more
  port.Deliver(HeaderA('0', '1') + marker + "\r\n\r\n\r\n")  // 12 after
      .Then([&] { countsBetweenReads.push_back(shared.testCount); })
      .Deliver("x");  // the 13th
  Run(kModelA);

  EXPECT_THAT(countsBetweenReads, ElementsAre(0));
  EXPECT_EQ(shared.testCount, 1);
}

TEST_F(ReceiveLoop, AMarkerWithThirteenBytesAfterItCountsAtOnce) {
  port.Deliver(HeaderA('0', '1') + "Number" + std::string(13, '.'));
  Run(kModelA);
  EXPECT_EQ(shared.testCount, 1);
}

TEST_F(ReceiveLoop, AMarkerTooCloseToTheEndStaysUncounted) {
  port.Deliver(HeaderA('0', '2') + kRecordA + "Number" + std::string(12, '.'));
  Run(kModelA);
  EXPECT_EQ(shared.testCount, 1);
}

TEST_F(ReceiveLoop, ATwoMarkersInOneChunkBothCountInThatPass) {
  port.Deliver(HeaderA('0', '2') + kRecordA + kRecordA);
  Run(kModelA);

  EXPECT_EQ(port.ReadCalls(), 2);
  EXPECT_EQ(shared.testCount, 2);
  EXPECT_THAT(view.Positions(), ElementsAre(0, 1, 2));
}

TEST_F(ReceiveLoop, AZeroBytesDoNotHideMarkers) {
  port.Deliver(HeaderA('0', '3') + std::string(3, '\0') + kRecordA)
      .Deliver(std::string("Number\0\0", 8) + std::string(11, '\0'))
      .Deliver(std::string(1, '\0') + kRecordA);
  Run(kModelA);
  EXPECT_EQ(shared.testCount, 3);
}

TEST_F(ReceiveLoop, AMarkerMustStartPastTheHeader) {
  // "Number" at offset 0 and at offset 9 lie (partly) in the header.
  std::string header = "Number?0" + std::string("2N");
  port.Deliver(header + "umber" + std::string(20, '.'));
  Run(kModelA);

  EXPECT_EQ(shared.expectedCount, 2);
  EXPECT_EQ(shared.testCount, 0);
}

TEST_F(ReceiveLoop, AMarkerAtOffsetTenCounts) {
  port.Deliver(HeaderA('0', '1') + kRecordA);
  Run(kModelA);
  EXPECT_EQ(shared.testCount, 1);
}

TEST(ReceiveMarkers, AMarkersWithinSeventeenBytesOfACountedOneAreSkipped) {
  SetUiLanguage(Language::English);
  struct Case {
    std::vector<std::size_t> markers;
    int tests;
  };
  const std::vector<Case> table = {
      {{10, 26}, 1},              // 26 starts before 10 + 17
      {{10, 27}, 2},              // 27 is the first place searched again
      {{10, 16, 27, 33, 44}, 3},  // 16 and 33 fall in skipped stretches
  };
  for (const Case& c : table) {
    std::string stream = HeaderA('0', '3') + std::string(60, '.');
    for (std::size_t at : c.markers) stream.replace(at, 6, "Number");
    ScriptedPort port;
    TransferShared shared;
    RecordingView view;
    shared.running = 1;
    port.Deliver(stream);
    ReceiveJob job{port, shared, view, [](milliseconds) {}};
    ReceiveProc(job);
    EXPECT_EQ(shared.testCount, c.tests) << "markers from " << c.markers[1];
  }
  ClearUiLanguage();
}

TEST_F(ReceiveLoop, AMarkerSplitAcrossReadsIsFound) {
  port.Deliver(HeaderA('0', '1') + "Nu").Deliver("mb").Deliver("er").Deliver(
      std::string(13, '.'));
  Run(kModelA);
  EXPECT_EQ(shared.testCount, 1);
}

TEST_F(ReceiveLoop, ModelIsReadAfreshOnEveryPass) {
  port.Deliver(HeaderB(2) + kRecordB)
      .Then([this] { shared.modelIndex = kModelA; })
      .Deliver(kRecordB + kRecordA);
  Run(kModelB);

  EXPECT_EQ(shared.expectedCount, 2);
  EXPECT_EQ(shared.testCount, 2);  // one 0x19 as B, then one marker as A
}

// --- What the view and the port see -------------------------------------

TEST_F(ReceiveLoop, ViewCallsFollowTheTransfer) {
  port.Deliver(HeaderB(5) + kRecordB).Deliver(kRecordB);
  Run(kModelB);

  EXPECT_THAT(view.Calls(),
              ElementsAre(ViewCall::Position(0),
                          ViewCall::Status(LoadStringA(IDS_WAITING)),
                          ViewCall::Range(0, 5), ViewCall::Position(1),
                          ViewCall::Status(FormatTransmitted(1, 5)),
                          ViewCall::Position(2),
                          ViewCall::Status(FormatTransmitted(2, 5)),
                          ViewCall::End()));
  EXPECT_EQ(view.StatusTexts()[1], "Transmited test: 1 / 05");
}

TEST_F(ReceiveLoop, DtrIsRaisedFirstWithAPauseAndDroppedLast) {
  std::vector<std::string> portEventsAtEnd;
  view.OnEachCall([&](const ViewCall& call) {
    if (call.kind == ViewCall::Kind::End) portEventsAtEnd = port.Events();
  });
  port.Deliver(HeaderB(1)).Deliver(kRecordB);
  Run(kModelB);

  EXPECT_THAT(port.Events(),
              ElementsAre("shake 5", "read", "read", "read", "shake 6"));
  EXPECT_THAT(sleeps, ElementsAre(milliseconds(100)));
  EXPECT_THAT(portEventsAtSleep, ElementsAre(1u));  // after raising DTR
  EXPECT_EQ(portEventsAtEnd, port.Events());         // the end comes last
  EXPECT_EQ(view.EndCount(), 1);
}

TEST_F(ReceiveLoop, SharedCountersStartAfreshAndFollowTheTransfer) {
  shared.buffer = AsVector("left over from the last transfer");
  shared.testCount = 9;
  shared.expectedCount = 9;
  shared.headerSeen = true;
  std::vector<int> testCountsSeen;
  view.OnEachCall([&](const ViewCall& call) {
    if (call.kind == ViewCall::Kind::Status) {
      testCountsSeen.push_back(shared.testCount);
    }
  });
  port.Deliver(HeaderB(2) + kRecordB + kRecordB);
  Run(kModelB);

  EXPECT_THAT(testCountsSeen, ElementsAre(0, 1, 2));
  EXPECT_EQ(AsString(shared.buffer), HeaderB(2) + kRecordB + kRecordB);
}

TEST_F(ReceiveLoop, StopDuringAPendingReadKeepsAndCountsItsBytes) {
  port.Deliver(HeaderB(4)).Hold().Deliver(kRecordB).Deliver(kRecordB);
  std::thread worker([this] { Run(kModelB); });

  ASSERT_TRUE(port.WaitUntilHeld(kGenerous));
  shared.running = 0;
  port.Release();
  ASSERT_TRUE(view.WaitForEnd(kGenerous));
  worker.join();

  EXPECT_EQ(port.ReadCalls(), 2);
  EXPECT_EQ(AsString(shared.buffer), HeaderB(4) + kRecordB);
  EXPECT_EQ(shared.testCount, 1);
  EXPECT_EQ(view.EndCount(), 1);
  EXPECT_EQ(view.Calls().back(), ViewCall::End());
}

// --- Any chunking gives the same result ---------------------------------

// The counting rules written out plainly over the finished stream.
int ReferenceCount(const std::string& stream, int model) {
  if (stream.size() < kHeaderSize) return 0;
  int tests = 0;
  if (model == kModelB) {
    for (std::size_t i = kHeaderSize; i < stream.size(); ++i) {
      tests += stream[i] == '\x19';
    }
    return tests;
  }
  std::size_t scan = kHeaderSize;
  for (;;) {
    const std::size_t at = stream.find("Number", scan);
    if (at == std::string::npos || stream.size() - at < 19) return tests;
    ++tests;
    scan = at + 17;
  }
}

std::string RandomStream(std::mt19937& random, int model) {
  static const std::vector<std::string> pieces = {
      "Number", "Numb", "er", "Num", std::string(1, '\0'), "\x19", "\r\n",
      " FEV1 ", "N", "umber"};
  std::string stream = model == kModelB ? HeaderB(static_cast<int>(random() % 256))
                                        : HeaderA(static_cast<char>('0' + random() % 10), 'A');
  const int length = random() % 40;
  for (int i = 0; i < length; ++i) {
    if (random() % 3 == 0) {
      stream.push_back(static_cast<char>(random() % 256));
    } else {
      stream += pieces[random() % pieces.size()];
    }
  }
  return stream;
}

void ScriptInRandomReads(ScriptedPort& port, const std::string& stream,
                         std::mt19937& random) {
  std::size_t at = 0;
  while (at < stream.size()) {
    switch (random() % 8) {
      case 0:
        port.EmptyRead();
        continue;
      case 1:
        if (at < kHeaderSize) port.Silence();
        continue;
      default:
        break;
    }
    const std::size_t size = std::min<std::size_t>(1 + random() % 100,
                                                   stream.size() - at);
    if (random() % 5 == 0) {
      port.ZeroResultWith(stream.substr(at, std::min<std::size_t>(size, 64)));
      at += std::min<std::size_t>(size, 64);
    } else {
      port.Deliver(stream.substr(at, size));
      at += size;
    }
  }
}

struct Outcome {
  std::vector<ViewCall> calls;
  std::string buffer;
  int tests = 0;
};

Outcome Receive(int model, const std::function<void(ScriptedPort&)>& script) {
  ScriptedPort port;
  TransferShared shared;
  RecordingView view;
  shared.running = 1;
  shared.modelIndex = model;
  port.StopWhenExhausted(shared.running);
  script(port);
  ReceiveJob job{port, shared, view, [](milliseconds) {}};
  ReceiveProc(job);
  return {view.Calls(), AsString(shared.buffer), shared.testCount};
}

TEST(ReceiveChunking, AnySplitGivesTheSameBufferCountsAndViewCalls) {
  SetUiLanguage(Language::English);
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    const int model = round % 2 == 0 ? kModelA : kModelB;
    const std::string stream = RandomStream(random, model);
    SCOPED_TRACE("round " + std::to_string(round));

    const Outcome whole = Receive(model, [&](ScriptedPort& port) {
      port.Deliver(stream);
    });
    const Outcome split = Receive(model, [&](ScriptedPort& port) {
      ScriptInRandomReads(port, stream, random);
    });

    EXPECT_EQ(whole.buffer, stream);
    EXPECT_EQ(whole.tests, ReferenceCount(stream, model));
    EXPECT_EQ(split.buffer, stream);
    EXPECT_EQ(split.calls, whole.calls);
  }
  ClearUiLanguage();
}

TEST(StreamCounterTest, LongStreamsAreCountedToTheLastMarker) {
  // A megabyte fed 64 bytes at a time, markers only near both ends.
  std::string stream = HeaderA('0', '3') + kRecordA;
  stream.resize(1 << 20, '.');
  stream += kRecordA + kRecordA;
  std::vector<std::uint8_t> bytes = AsVector(stream);
  StreamCounter counter;
  for (std::size_t size = 0; size < bytes.size();) {
    const std::size_t appended = std::min(kChunkSize, bytes.size() - size);
    size += appended;
    counter.Feed(std::span(bytes).first(size), appended, kModelA);
  }
  EXPECT_EQ(counter.TestCount(), 3);
  EXPECT_EQ(counter.ExpectedCount(), 3);
}

}  // namespace
}  // namespace zv
