#include "transfer/convert.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/plcode.h"

namespace zv {
namespace {

// Code numbers in list order; any other selection gives kDefaultCode.
constexpr std::array<UINT, 4> kTargetCodes{kCodeNoPolish, kCodeMazovia, kCodeLatin2,
                                           kCodeWindows};
constexpr std::array<UINT, 2> kSourceCodes{kCodeLatin2, kCodeMazovia};
constexpr UINT kDefaultCode = kCodeLatin2;

template <std::size_t N>
constexpr UINT CodeForSelection(const std::array<UINT, N>& codes, int selection) {
  if (selection < 0 || static_cast<std::size_t>(selection) >= N) return kDefaultCode;
  return codes[static_cast<std::size_t>(selection)];
}

template <std::size_t N>
constexpr std::size_t IndexOfCode(const std::array<UINT, N>& codes, UINT code) {
  return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

constexpr BYTE kLf = 0x0A;
constexpr BYTE kCr = 0x0D;
constexpr BYTE kEsc = 0x1B;
constexpr BYTE kSpace = 0x20;
constexpr BYTE kLastPrintable = 0x7F;
constexpr BYTE kBoxLine = 0xB3;
// Stands in for the missing neighbour at either end of the buffer: it is
// neither ESC nor CR nor LF, so it lets a byte stay exactly as "no neighbour"
// would.
constexpr BYTE kNoNeighbour = 0x00;

// A byte stays when one of its condition bits is among the bits its two
// neighbours in the received stream grant.
constexpr unsigned kNever = 0;
constexpr unsigned kAlways = 1;       // Polish letter, box line
constexpr unsigned kNotAfterEsc = 2;  // printable ASCII: the argument of an ESC goes
constexpr unsigned kBeforeLf = 4;     // CR: only as the first half of CR LF
constexpr unsigned kAfterCr = 8;      // LF: only as the second half of CR LF

// Everything the pass needs to know about one byte value, packed so that one
// load serves both as the byte decided and as the neighbour of the next one.
class ByteRule {
 public:
  constexpr ByteRule() = default;
  constexpr ByteRule(BYTE byte, unsigned condition, BYTE output)
      : packed_(output | condition << kConditionShift |
                GrantsAsPrevious(byte) << kAsPreviousShift | GrantsAsNext(byte) << kAsNextShift) {}

  constexpr BYTE Output() const { return static_cast<BYTE>(packed_); }
  constexpr unsigned Condition() const { return (packed_ >> kConditionShift) & kBits; }
  constexpr unsigned AsPrevious() const { return (packed_ >> kAsPreviousShift) & kBits; }
  constexpr unsigned AsNext() const { return packed_ >> kAsNextShift; }

 private:
  static constexpr unsigned kBits = 0xFF;
  static constexpr unsigned kConditionShift = 8;
  static constexpr unsigned kAsPreviousShift = 16;
  static constexpr unsigned kAsNextShift = 24;

  static constexpr unsigned GrantsAsPrevious(BYTE byte) {
    return kAlways | (byte == kEsc ? 0u : kNotAfterEsc) | (byte == kCr ? kAfterCr : 0u);
  }
  static constexpr unsigned GrantsAsNext(BYTE byte) { return byte == kLf ? kBeforeLf : 0u; }

  std::uint32_t packed_ = 0;
};

// The rule of every byte value for one model, source and target.
struct ByteRules {
  std::array<ByteRule, 256> of{};
  // Every byte 0x20-0x7F stays unchanged unless it follows an ESC; true for
  // every combination, checked when the tables are built, and what the
  // word-at-a-time path relies on.
  bool printableStaysUnlessAfterEsc = false;
};

// The rules in their order of precedence: the first that matches decides.
ByteRule RuleFor(BYTE byte, bool convertLetters, UINT source, UINT target) {
  const CPLCode letters;
  if (convertLetters && letters.IsPLChar(source, byte)) {
    return {byte, kAlways, target != source ? letters.Convert(source, target, byte) : byte};
  }
  if (byte == kBoxLine) return {byte, kAlways, kSpace};
  if (byte == kCr) return {byte, kBeforeLf, byte};
  if (byte == kLf) return {byte, kAfterCr, byte};
  if (byte < kSpace || byte > kLastPrintable) return {byte, kNever, byte};
  return {byte, kNotAfterEsc, byte};
}

ByteRules BuildRules(bool convertLetters, UINT source, UINT target) {
  ByteRules rules;
  rules.printableStaysUnlessAfterEsc = true;
  for (std::size_t index = 0; index < rules.of.size(); ++index) {
    const BYTE byte = static_cast<BYTE>(index);
    const ByteRule rule = RuleFor(byte, convertLetters, source, target);
    rules.of[index] = rule;
    if (byte >= kSpace && byte <= kLastPrintable &&
        (rule.Condition() != kNotAfterEsc || rule.Output() != byte)) {
      rules.printableStaysUnlessAfterEsc = false;
    }
  }
  return rules;
}

// Every combination the two lists can select, built once on first use.
class RuleTables {
 public:
  RuleTables() : withoutLetters_(BuildRules(false, kDefaultCode, kDefaultCode)) {
    for (std::size_t source = 0; source < kSourceCodes.size(); ++source) {
      for (std::size_t target = 0; target < kTargetCodes.size(); ++target) {
        withLetters_[source][target] =
            BuildRules(true, kSourceCodes[source], kTargetCodes[target]);
      }
    }
  }

  const ByteRules& For(bool convertLetters, UINT source, UINT target) const {
    if (!convertLetters) return withoutLetters_;
    return withLetters_[IndexOfCode(kSourceCodes, source)][IndexOfCode(kTargetCodes, target)];
  }

 private:
  ByteRules withoutLetters_;
  std::array<std::array<ByteRules, kTargetCodes.size()>, kSourceCodes.size()> withLetters_;
};

const RuleTables& Tables() {
  static const RuleTables tables;
  return tables;
}

// Decides the bytes of data[0, size) from the last to the first and writes
// every byte that stays at the back of the same range, in order. A byte's
// fate depends only on itself and its two neighbours as received. The write
// position never falls below the byte being decided, so the byte before it
// is still as received; the byte after it may already be overwritten, so
// what it grants is carried over from the previous step. Returns the index
// of the first byte kept.
class BackwardsCompactor {
 public:
  BackwardsCompactor(BYTE* data, std::size_t size, const ByteRules& rules)
      : data_(data), write_(size), size_(size), rules_(rules) {}

  std::size_t Run() {
    std::size_t end = size_;  // bytes [0, end) are still to be decided
    for (; end > kWordSize; end -= kWordSize) {
      if (!KeepPlainWordBefore(end)) DecideDownTo(end - kWordSize, end);
    }
    DecideDownTo(1, end);
    Decide(RuleAt(0), NoNeighbour());
    return write_;
  }

 private:
  using Word = std::uint64_t;
  static constexpr std::size_t kWordSize = sizeof(Word);
  static constexpr Word kEveryByte = ~Word{0} / 0xFF;  // 0x0101...01

  ByteRule RuleAt(std::size_t i) const { return rules_.of[data_[i]]; }
  ByteRule NoNeighbour() const { return rules_.of[kNoNeighbour]; }

  void Decide(ByteRule byte, ByteRule previous) {
    data_[write_ - 1] = byte.Output();
    write_ -= (byte.Condition() & (previous.AsPrevious() | nextGrants_)) != 0 ? 1 : 0;
    nextGrants_ = byte.AsNext();
  }

  // Decides the bytes at end-1 down to first; first >= 1.
  void DecideDownTo(std::size_t first, std::size_t end) {
    if (end <= first) return;
    ByteRule current = RuleAt(end - 1);
    for (std::size_t i = end - 1; i > first; --i) {
      const ByteRule previous = RuleAt(i - 1);
      Decide(current, previous);
      current = previous;
    }
    Decide(current, RuleAt(first - 1));
  }

  // Fast path for report text: when the word before `end` is all printable
  // ASCII and the byte before it is no ESC, every byte of it stays as it is.
  // Needs end > kWordSize.
  bool KeepPlainWordBefore(std::size_t end) {
    if (!rules_.printableStaysUnlessAfterEsc) return false;
    Word word;
    std::memcpy(&word, data_ + end - kWordSize, kWordSize);
    if (!AllPrintable(word) || data_[end - kWordSize - 1] == kEsc) return false;
    std::memcpy(data_ + write_ - kWordSize, &word, kWordSize);
    write_ -= kWordSize;
    nextGrants_ = rules_.of[kSpace].AsNext();
    return true;
  }

  // Every byte in 0x20-0x7F: no high bit, and adding 0x60 sets each high
  // bit. With no high bit set the additions cannot carry between bytes.
  static constexpr bool AllPrintable(Word word) {
    constexpr Word kHighBits = kEveryByte * 0x80;
    constexpr Word kToHighBit = kEveryByte * (0x80 - kSpace);
    return ((word | ~(word + kToHighBit)) & kHighBits) == 0;
  }

  BYTE* data_;
  std::size_t write_;
  std::size_t size_;
  unsigned nextGrants_ = 0;  // what the byte after the current one grants
  const ByteRules& rules_;
};

}  // namespace

UINT TargetCodeForSelection(int selection) {
  return CodeForSelection(kTargetCodes, selection);
}

UINT SourceCodeForSelection(int selection) {
  return CodeForSelection(kSourceCodes, selection);
}

int TargetSelectionForCode(UINT code) {
  const std::size_t index = IndexOfCode(kTargetCodes, code);
  return index < kTargetCodes.size() ? static_cast<int>(index) : -1;
}

std::size_t ConvertBuffer(std::vector<std::uint8_t>& buffer, int modelIndex,
                          int targetSelection, int sourceSelection) {
  if (buffer.empty()) return 0;
  constexpr int kModelWithPolishLetters = 1;
  const ByteRules& rules =
      Tables().For(modelIndex == kModelWithPolishLetters, SourceCodeForSelection(sourceSelection),
                   TargetCodeForSelection(targetSelection));
  const std::size_t first = BackwardsCompactor(buffer.data(), buffer.size(), rules).Run();
  std::move(buffer.begin() + static_cast<std::ptrdiff_t>(first), buffer.end(), buffer.begin());
  buffer.resize(buffer.size() - first);
  return buffer.size();
}

}  // namespace zv
