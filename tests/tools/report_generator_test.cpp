// The simulated device's report: what a reader decodes and counts from it.
#include "zvsim/report_generator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>
#include <string_view>

#include "support/plcode.h"
#include "transfer/receive.h"

namespace zv::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kMarkerB = 0x19;
constexpr std::string_view kMarkerA = "Number";

std::vector<std::size_t> MarkerPositions(const Bytes& stream, int modelIndex) {
  std::vector<std::size_t> positions;
  if (modelIndex == kModelB) {
    for (std::size_t i = 0; i < stream.size(); ++i) {
      if (stream[i] == kMarkerB) positions.push_back(i);
    }
    return positions;
  }
  const std::string_view text(reinterpret_cast<const char*>(stream.data()), stream.size());
  for (auto at = text.find(kMarkerA); at != std::string_view::npos;
       at = text.find(kMarkerA, at + 1)) {
    positions.push_back(at);
  }
  return positions;
}

// Counts as the reader does: the stream arrives in 64-byte reads.
StreamCounter CountLikeTheReader(const Bytes& stream, int modelIndex) {
  StreamCounter counter;
  for (std::size_t end = 0; end < stream.size();) {
    const std::size_t appended = std::min(kChunkSize, stream.size() - end);
    end += appended;
    counter.Feed(std::span(stream).first(end), appended, modelIndex);
  }
  counter.Feed(stream, 0, modelIndex);  // the silent read that ends the transfer
  return counter;
}

struct Case {
  int modelIndex;
  int tests;
  UINT code;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << (c.modelIndex == kModelB ? "B" : "A") << " tests=" << c.tests << " code=" << c.code;
}

class ReportCounting : public testing::TestWithParam<Case> {};

TEST_P(ReportCounting, ReaderDecodesTheCountAndCountsEveryTest) {
  const Case c = GetParam();
  const Bytes stream = MakeReport({c.modelIndex, c.tests, 7, c.code});
  const StreamCounter counter = CountLikeTheReader(stream, c.modelIndex);
  EXPECT_TRUE(counter.HeaderSeen());
  EXPECT_EQ(counter.ExpectedCount(), c.tests);
  EXPECT_EQ(counter.TestCount(), c.tests);
}

TEST_P(ReportCounting, MarkersSitWhereEvenAOnePerReadCounterFindsThem) {
  const Case c = GetParam();
  const Bytes stream = MakeReport({c.modelIndex, c.tests, 7, c.code});
  const auto markers = MarkerPositions(stream, c.modelIndex);
  const std::size_t headerSize = HeaderSize(c.modelIndex);
  ASSERT_GE(headerSize, kHeaderSize);
  if (c.tests == 25 && c.modelIndex == kModelB) {
    // The count byte itself is 0x19; every other marker follows the header.
    ASSERT_EQ(markers.size(), 26u);
    EXPECT_EQ(markers.front(), 2u);
    EXPECT_THAT(std::vector(markers.begin() + 1, markers.end()),
                testing::Each(testing::Ge(kChunkSize)));
  } else {
    ASSERT_EQ(markers.size(), static_cast<std::size_t>(c.tests));
    EXPECT_THAT(markers, testing::Each(testing::Ge(kChunkSize)));
  }
  for (std::size_t i = 1; i < markers.size(); ++i) {
    if (markers[i - 1] < headerSize) continue;
    EXPECT_GE(markers[i] - markers[i - 1], 2 * kChunkSize) << "marker " << i;
  }
  if (!markers.empty()) {
    EXPECT_GE(stream.size() - markers.back(), kMarkerSpan);
  }
  if (c.modelIndex != kModelB) {
    EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), 0) << "a zero byte hides markers";
  }
}

INSTANTIATE_TEST_SUITE_P(BothModels, ReportCounting,
                         testing::Values(Case{kModelA, 0, kCodeLatin2}, Case{kModelA, 1, kCodeLatin2},
                                         Case{kModelA, 5, kCodeLatin2}, Case{kModelA, 26, kCodeLatin2},
                                         Case{kModelA, 255, kCodeLatin2},
                                         Case{kModelB, 0, kCodeLatin2}, Case{kModelB, 1, kCodeMazovia},
                                         Case{kModelB, 5, kCodeLatin2}, Case{kModelB, 24, kCodeMazovia}, Case{kModelB, 25, kCodeLatin2},
                                         Case{kModelB, 26, kCodeLatin2},
                                         Case{kModelB, 255, kCodeMazovia}));

TEST(ReportHeader, ZorvelACarriesTheCountAsTwoUpperCaseHexDigitsAtBytes7And8) {
  const struct {
    int tests;
    char high, low;
  } kCases[] = {{0, '0', '0'}, {5, '0', '5'}, {26, '1', 'A'}, {171, 'A', 'B'}, {255, 'F', 'F'}};
  for (const auto& c : kCases) {
    const Bytes stream = MakeReport({kModelA, c.tests, 1, kCodeLatin2});
    ASSERT_GE(stream.size(), kHeaderSize);
    EXPECT_EQ(stream[7], c.high) << c.tests;
    EXPECT_EQ(stream[8], c.low) << c.tests;
  }
}

TEST(ReportHeader, ZorvelBCarriesTheCountInByte2) {
  for (int tests : {0, 3, 25, 200, 255}) {
    const Bytes stream = MakeReport({kModelB, tests, 1, kCodeLatin2});
    ASSERT_GE(stream.size(), kHeaderSize);
    EXPECT_EQ(stream[2], tests);
  }
}

TEST(ReportHeader, HoldsNoMarkerExceptTheDevicesOwnCountOf25) {
  // Counts whose bytes or digits come close to a marker: 0x19, 'N', 'u'.
  for (int tests : {0, 1, 9, 10, 15, 16, 24, 25, 26, 78, 117, 127, 128, 200, 255}) {
    const Bytes b = MakeReport({kModelB, tests, 3, kCodeMazovia});
    const auto headerB = std::span(b).first(HeaderSize(kModelB));
    EXPECT_EQ(std::count(headerB.begin(), headerB.end(), kMarkerB), tests == 25 ? 1 : 0);
    const Bytes a = MakeReport({kModelA, tests, 3, kCodeLatin2});
    const std::string_view headerA(reinterpret_cast<const char*>(a.data()), HeaderSize(kModelA));
    EXPECT_EQ(headerA.find(kMarkerA), std::string_view::npos);
  }
}

TEST(ReportDeterminism, SameSeedSameBytesOtherSeedOtherPatients) {
  for (int model : {kModelA, kModelB}) {
    const Bytes first = MakeReport({model, 6, 42, kCodeLatin2});
    EXPECT_EQ(first, MakeReport({model, 6, 42, kCodeLatin2}));
    EXPECT_NE(first, MakeReport({model, 6, 43, kCodeLatin2}));
  }
}

TEST(ReportText, PrinterEscapesAreEscAndOnePrintableByteAndLinesEndInCrLf) {
  for (int model : {kModelA, kModelB}) {
    const Bytes stream = MakeReport({model, 8, 5, kCodeMazovia});
    for (std::size_t i = 0; i + 1 < stream.size(); ++i) {
      if (stream[i] == 0x1B) {
        EXPECT_TRUE(stream[i + 1] >= 0x20 && stream[i + 1] < 0x7F) << "at " << i;
      }
      if (stream[i] == '\r' && i > 2) {
        EXPECT_EQ(stream[i + 1], '\n') << "at " << i;
      }
    }
    EXPECT_GT(std::count(stream.begin(), stream.end(), 0xB3), 8 * 5 * 4) << "table rules";
  }
}

TEST(ReportText, CarriesTheSpirometryValuesWithUnits) {
  const Bytes a = MakeReport({kModelA, 2, 9, kCodeLatin2});
  const std::string textA(a.begin(), a.end());
  for (const char* label : {"FVC    [L]", "FEV1   [L]", "FEV1/FVC[%]", "PEF  [L/s]", "Patient: ", "Date: "}) {
    EXPECT_THAT(textA, testing::HasSubstr(label));
  }
  const Bytes b = MakeReport({kModelB, 2, 9, kCodeLatin2});
  const std::string textB(b.begin(), b.end());
  for (const char* label : {"FVC    [l]", "FEV1   [l]", "FEV1/FVC[%]", "PEF  [l/s]", "Pacjent: ", "Data badania: "}) {
    EXPECT_THAT(textB, testing::HasSubstr(label));
  }
}

TEST(ReportLetters, ZorvelAIsAsciiApartFromTheTableRule) {
  const Bytes stream = MakeReport({kModelA, 30, 11, kCodeMazovia});
  for (std::uint8_t byte : stream) {
    EXPECT_TRUE(byte < 0x80 || byte == 0xB3) << int{byte};
  }
}

// Every byte from 0x80 up in a ZORVEL B report is a Polish letter of the
// device's code page or the table rule, and the two code pages print the
// same letters.
TEST(ReportLetters, ZorvelBLettersAreInTheChosenCodePage) {
  const CPLCode letters;
  const Bytes mazovia = MakeReport({kModelB, 20, 11, kCodeMazovia});
  const Bytes latin2 = MakeReport({kModelB, 20, 11, kCodeLatin2});
  ASSERT_EQ(mazovia.size(), latin2.size());
  std::set<std::uint8_t> seen;
  for (std::size_t i = 0; i < mazovia.size(); ++i) {
    if (mazovia[i] < 0x80 || mazovia[i] == 0xB3) {
      EXPECT_EQ(latin2[i], mazovia[i]) << "at " << i;
      continue;
    }
    EXPECT_TRUE(letters.IsPLChar(kCodeMazovia, mazovia[i])) << "at " << i;
    EXPECT_TRUE(letters.IsPLChar(kCodeLatin2, latin2[i])) << "at " << i;
    EXPECT_EQ(letters.Convert(kCodeMazovia, kCodeLatin2, mazovia[i]), latin2[i]) << "at " << i;
    seen.insert(mazovia[i]);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kPolishLetterCount)) << "all 18 letters appear";
}

TEST(ReportLetters, EncodesUtf8PolishTextPerCodePage) {
  EXPECT_EQ(EncodePolish("Łódź", kCodeLatin2), (Bytes{0x9D, 0xA2, 'd', 0xAB}));
  EXPECT_EQ(EncodePolish("Łódź", kCodeMazovia), (Bytes{0x9C, 0xA2, 'd', 0xA6}));
  EXPECT_EQ(EncodePolish("Łódź", kCodeWindows), (Bytes{0xA3, 0xF3, 'd', 0x9F}));
  EXPECT_EQ(EncodePolish("Łódź", kCodeNoPolish), (Bytes{'L', 'o', 'd', 'z'}));
  EXPECT_EQ(EncodePolish("a€b", kCodeLatin2), (Bytes{'a', '?', 'b'}));
  EXPECT_EQ(EncodePolish("x\xC5", kCodeLatin2), (Bytes{'x', '?'})) << "cut-off sequence";
}

TEST(ReportOfSize, ReachesTheSizeAndStaysCountable) {
  for (int model : {kModelA, kModelB}) {
    const SizedReport report = MakeReportOfSize({model, 0, 3, kCodeMazovia}, 300'000);
    EXPECT_GE(report.bytes.size(), 300'000u);
    EXPECT_LT(report.bytes.size(), 302'000u);
    EXPECT_GT(report.tests, 255) << "more tests than a header can announce";
    const StreamCounter counter = CountLikeTheReader(report.bytes, model);
    EXPECT_EQ(counter.ExpectedCount(), report.tests % 256);
    EXPECT_EQ(counter.TestCount(), report.tests);
    EXPECT_EQ(report.bytes, MakeReport({model, report.tests, 3, kCodeMazovia}));
  }
}

}  // namespace
}  // namespace zv::sim
