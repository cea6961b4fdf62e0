#include "transfer/convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "kit/convert_reference.h"
#include "support/plcode.h"

namespace zv {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kModelA = 0;
constexpr int kModelB = 1;

// Target-encoding list selections.
constexpr int kToNoPolish = 0;
constexpr int kToMazovia = 1;
constexpr int kToLatin2 = 2;
constexpr int kToWindows = 3;
// Device-encoding list selections.
constexpr int kFromLatin2 = 0;  // "Canon / USB"
constexpr int kFromMazovia = 1;  // "RS 232"

constexpr std::uint8_t LF = 0x0A;
constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t ESC = 0x1B;

TEST(ConvertSelections, TargetListMapsToCodes) {
  const struct {
    int selection;
    UINT code;
  } cases[] = {{-1, kCodeLatin2}, {0, kCodeNoPolish}, {1, kCodeMazovia}, {2, kCodeLatin2},
               {3, kCodeWindows}, {4, kCodeLatin2},   {1000, kCodeLatin2}, {-1000, kCodeLatin2}};
  for (const auto& c : cases) {
    EXPECT_EQ(TargetCodeForSelection(c.selection), c.code) << "selection " << c.selection;
  }
}

TEST(ConvertSelections, DeviceListMapsToCodes) {
  const struct {
    int selection;
    UINT code;
  } cases[] = {{-1, kCodeLatin2}, {0, kCodeLatin2}, {1, kCodeMazovia}, {2, kCodeLatin2},
               {1000, kCodeLatin2}};
  for (const auto& c : cases) {
    EXPECT_EQ(SourceCodeForSelection(c.selection), c.code) << "selection " << c.selection;
  }
}

struct EdgeCase {
  std::string name;
  Bytes input;
  int model;
  int target;
  int source;
  Bytes expected;
};

std::vector<EdgeCase> EdgeCases() {
  return {
      {"empty buffer", {}, kModelB, kToWindows, kFromMazovia, {}},
      {"ESC and its argument go", {'A', ESC, 'E', 'B'}, kModelA, kToLatin2, kFromLatin2,
       {'A', 'B'}},
      {"ESC before CR LF goes, the pair stays", {ESC, CR, LF}, kModelA, kToLatin2, kFromLatin2,
       {CR, LF}},
      {"LF CR both go", {LF, CR}, kModelA, kToLatin2, kFromLatin2, {}},
      {"leading LF goes", {LF, 'A'}, kModelA, kToLatin2, kFromLatin2, {'A'}},
      {"CR CR LF keeps one pair", {CR, CR, LF}, kModelA, kToLatin2, kFromLatin2, {CR, LF}},
      {"CR LF LF keeps one pair", {CR, LF, LF}, kModelA, kToLatin2, kFromLatin2, {CR, LF}},
      {"lone CR at the end goes", {'A', CR}, kModelA, kToLatin2, kFromLatin2, {'A'}},
      {"CR ESC LF: all go", {CR, ESC, LF}, kModelA, kToLatin2, kFromLatin2, {}},
      {"ESC LF: both go", {ESC, LF}, kModelA, kToLatin2, kFromLatin2, {}},
      {"two CR LF pairs", {CR, LF, CR, LF}, kModelB, kToWindows, kFromMazovia,
       {CR, LF, CR, LF}},
      {"control codes go", {0x00, 0x07, 0x09, 'x', 0x0C, 0x1F}, kModelA, kToLatin2, kFromLatin2,
       {'x'}},
      {"ESC ESC A: all go", {ESC, ESC, 'A'}, kModelA, kToLatin2, kFromLatin2, {}},
      {"only the byte right after ESC goes", {ESC, 'A', 'B'}, kModelA, kToLatin2, kFromLatin2,
       {'B'}},
      {"space and DEL after ESC go", {ESC, ' ', ESC, 0x7F, 'z'}, kModelA, kToLatin2, kFromLatin2,
       {'z'}},
      {"ESC at the end goes", {'q', ESC}, kModelA, kToLatin2, kFromLatin2, {'q'}},
      {"0x7F stays, 0x80 goes", {0x7F, 0x80, ' '}, kModelA, kToLatin2, kFromLatin2, {0x7F, ' '}},
      {"ZORVEL A: box line to space, letters go", {'x', 0xB3, 0xE4, 'y'}, kModelA, kToLatin2,
       kFromLatin2, {'x', ' ', 'y'}},
      {"ESC before box line keeps the space", {ESC, 0xB3}, kModelA, kToLatin2, kFromLatin2,
       {' '}},
      {"ZORVEL B same code: letters pass, other high bytes go",
       {0xA5, 0x80, 0xB3, 0xE4, 0xFF, 0x9D, 0x9C}, kModelB, kToLatin2, kFromLatin2,
       {0xA5, ' ', 0xE4, 0x9D}},
      {"ZORVEL B: letter after ESC is converted and kept", {ESC, 0xA5, 'k'}, kModelB, kToWindows,
       kFromLatin2, {0xB9, 'k'}},
      {"ZORVEL B: ASCII after ESC still goes", {ESC, 'A', 0xA5}, kModelB, kToWindows,
       kFromLatin2, {0xB9}},
      {"ZORVEL B Mazovia to Windows", {0x86, 0x9C, 0xA2, 0xB3, 0xE4}, kModelB, kToWindows,
       kFromMazovia, {0xB9, 0xA3, 0xF3, ' '}},
      {"ZORVEL B Latin 2 to Mazovia", {0xA4, 0xE4, 0xBE, 0x92}, kModelB, kToMazovia,
       kFromLatin2, {0x8F, 0xA4, 0xA7}},
      {"ZORVEL B to plain letters", {0x9C, 0xA7, ESC, 0x86}, kModelB, kToNoPolish, kFromMazovia,
       {'L', 'z', 'a'}},
      {"ZORVEL B: letter after ESC stays, ASCII after ESC goes", {ESC, 0x9C, ESC, 'x'}, kModelB,
       kToNoPolish, kFromMazovia, {'L'}},
      {"ZORVEL B no selections: Latin 2 both sides", {0xE4, 0x86, 0x9D}, kModelB, -1, -1,
       {0xE4, 0x86, 0x9D}},
      {"ZORVEL B unknown selections: Latin 2 both sides", {0xE4, 0x92}, kModelB, 4, 2, {0xE4}},
      {"model -1 treats letters like ZORVEL A", {0xA5, 'a', 0xB3, 0x86}, -1, kToWindows,
       kFromLatin2, {'a', ' '}},
      {"model 2 treats letters like ZORVEL A", {0xA5, 'a', 0xB3, 0x86}, 2, kToWindows,
       kFromMazovia, {'a', ' '}},
      {"ZORVEL A ignores the lists", {0x86, CR, LF}, kModelA, kToNoPolish, kFromMazovia,
       {CR, LF}},
  };
}

TEST(ConvertBuffer, EdgeCases) {
  for (const EdgeCase& c : EdgeCases()) {
    SCOPED_TRACE(c.name);
    Bytes buffer = c.input;
    const std::size_t length = ConvertBuffer(buffer, c.model, c.target, c.source);
    EXPECT_EQ(buffer, c.expected);
    EXPECT_EQ(length, c.expected.size());
  }
}

// The reference must agree with the hand-worked cases too, or the
// differential test below proves nothing.
TEST(ConvertReference, EdgeCases) {
  for (const EdgeCase& c : EdgeCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(testkit::ReferenceConvert(c.input, c.model, c.target, c.source), c.expected);
  }
}

TEST(ConvertBuffer, LongReportStaysCorrect) {
  const Bytes line = {'F', 'E', 'V', '1', ESC, 'E', ' ', 0xB3, ' ', '3', '.', '2', CR, LF};
  const Bytes kept = {'F', 'E', 'V', '1', ' ', ' ', ' ', '3', '.', '2', CR, LF};
  constexpr int kLines = 200000;
  Bytes buffer;
  Bytes expected;
  for (int i = 0; i < kLines; ++i) {
    buffer.insert(buffer.end(), line.begin(), line.end());
    expected.insert(expected.end(), kept.begin(), kept.end());
  }
  const std::size_t length = ConvertBuffer(buffer, kModelA, kToLatin2, kFromLatin2);
  EXPECT_EQ(length, expected.size());
  EXPECT_TRUE(buffer == expected);
}

// Random buffers of every byte value. Dense buffers are weighted towards the
// bytes the rules single out, so that ESC, CR LF pairs, box lines and letters
// meet often; sparse ones read like report text, long printable runs with a
// few of those bytes in between.
class RandomStream {
 public:
  explicit RandomStream(std::uint32_t seed) : engine_(seed) {
    const CPLCode plcode;
    special_ = {ESC, ESC, CR, CR, LF, LF, 0xB3, 0x7F, 0x20, 'A', 0x00, 0x80, 0xFF};
    for (int byte = 0; byte < 256; ++byte) {
      for (UINT code : {kCodeMazovia, kCodeLatin2, kCodeWindows}) {
        if (plcode.IsPLChar(code, static_cast<BYTE>(byte))) {
          special_.push_back(static_cast<std::uint8_t>(byte));
        }
      }
    }
  }

  std::size_t Below(std::size_t limit) { return engine_() % limit; }

  Bytes Buffer(std::size_t maxLength) {
    const bool sparse = Below(2) == 0;
    Bytes bytes(Below(maxLength + 1));
    for (auto& byte : bytes) byte = sparse ? SparseByte() : DenseByte();
    return bytes;
  }

 private:
  std::uint8_t AnyByte() { return static_cast<std::uint8_t>(Below(256)); }
  std::uint8_t SpecialByte() { return special_[Below(special_.size())]; }
  std::uint8_t DenseByte() { return Below(3) == 0 ? AnyByte() : SpecialByte(); }
  std::uint8_t SparseByte() {
    const std::size_t pick = Below(40);
    if (pick == 0) return AnyByte();
    if (pick == 1) return SpecialByte();
    return static_cast<std::uint8_t>(0x20 + Below(0x60));
  }

  std::mt19937 engine_;
  Bytes special_;
};

std::string Hex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    text += ' ';
  }
  return text;
}

TEST(ConvertBuffer, MatchesReferenceOnRandomBuffers) {
  constexpr int kBuffersPerCombination = 150;
  constexpr std::size_t kMaxLength = 300;
  RandomStream random(20240611);
  int mismatches = 0;
  for (int model : {-1, kModelA, kModelB, 2}) {
    for (int target = -1; target <= 4; ++target) {
      for (int source = -1; source <= 2; ++source) {
        for (int n = 0; n < kBuffersPerCombination && mismatches < 5; ++n) {
          const Bytes input = random.Buffer(kMaxLength);
          const Bytes expected = testkit::ReferenceConvert(input, model, target, source);
          Bytes buffer = input;
          const std::size_t length = ConvertBuffer(buffer, model, target, source);
          if (buffer != expected || length != expected.size()) {
            ++mismatches;
            ADD_FAILURE() << "model " << model << " target " << target << " source " << source
                          << "\n input:    " << Hex(input) << "\n expected: " << Hex(expected)
                          << "\n got:      " << Hex(buffer) << " (length " << length << ")";
          }
        }
      }
    }
  }
}

// Special bytes placed at every offset in printable text, so that each one
// meets every alignment of the word-at-a-time path, and runs of text between
// two of them span whole words.
TEST(ConvertBuffer, MatchesReferenceAtEveryAlignment) {
  std::vector<Bytes> patterns = {{ESC}, {ESC, ESC}, {CR}, {LF}, {CR, LF}, {LF, CR}, {0xB3},
                                 {ESC, 0xB3}, {ESC, 0xA5}, {0x1F}, {0x80}, {0x7F}, {0x86}};
  for (std::size_t run : {7u, 8u, 9u, 15u, 16u, 17u}) {
    for (auto [first, last] : {std::pair{CR, LF}, std::pair{ESC, LF}, std::pair{LF, CR},
                               std::pair{CR, ESC}}) {
      Bytes pattern(run + 2, 'm');
      pattern.front() = first;
      pattern.back() = last;
      patterns.push_back(pattern);
    }
  }
  for (const Bytes& pattern : patterns) {
    for (std::size_t before = 0; before <= 24; ++before) {
      for (std::size_t after = 0; after <= 24; ++after) {
        Bytes input(before, 'x');
        input.insert(input.end(), pattern.begin(), pattern.end());
        input.insert(input.end(), after, 'y');
        for (int model : {kModelA, kModelB}) {
          Bytes buffer = input;
          ConvertBuffer(buffer, model, kToWindows, kFromLatin2);
          ASSERT_EQ(buffer, testkit::ReferenceConvert(input, model, kToWindows, kFromLatin2))
              << "input " << Hex(input) << " model " << model;
        }
      }
    }
  }
}

// Every pair and triple of bytes from a small alphabet covering each rule,
// exhaustively, so no neighbourhood is left to chance.
TEST(ConvertBuffer, MatchesReferenceOnAllShortSequences) {
  const Bytes alphabet = {0x00, LF, CR, ESC, ' ', 'A', 0x7F, 0x80, 0xB3, 0xA5, 0x86, 0xE4, 0x9C};
  const std::size_t k = alphabet.size();
  for (int model : {kModelA, kModelB}) {
    for (int target = 0; target <= 3; ++target) {
      for (int source = 0; source <= 1; ++source) {
        for (std::size_t code = 0; code < k * k * k; ++code) {
          const Bytes input = {alphabet[code % k], alphabet[code / k % k], alphabet[code / k / k]};
          for (std::size_t length = 1; length <= 3; ++length) {
            const Bytes prefix(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(length));
            Bytes buffer = prefix;
            ConvertBuffer(buffer, model, target, source);
            ASSERT_EQ(buffer, testkit::ReferenceConvert(prefix, model, target, source))
                << "input " << Hex(prefix) << " model " << model << " target " << target
                << " source " << source;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace zv
