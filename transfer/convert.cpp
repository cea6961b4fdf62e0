#include "transfer/convert.h"

#include <algorithm>
#include <array>
#include <cstddef>

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

// What a byte needs from its neighbours in the received stream to stay. A
// byte stays when its condition bit is among the bits its neighbours set.
enum KeepWhen : BYTE {
  kNever = 0,
  kAlways = 1,        // Polish letter, box line
  kNotAfterEsc = 2,   // printable ASCII: the argument of an ESC goes
  kBeforeLf = 4,      // CR: only as the first half of CR LF
  kAfterCr = 8,       // LF: only as the second half of CR LF
};

// Bits set by the byte before (in the received stream) the one decided.
constexpr std::array<BYTE, 256> BuildPreviousBits() {
  std::array<BYTE, 256> bits{};
  for (std::size_t byte = 0; byte < bits.size(); ++byte) {
    bits[byte] = kAlways | (byte == kEsc ? 0 : kNotAfterEsc) | (byte == kCr ? kAfterCr : 0);
  }
  return bits;
}
constexpr std::array<BYTE, 256> kPreviousBits = BuildPreviousBits();

// Bit set by the byte after the one decided.
constexpr unsigned NextBits(BYTE next) { return next == kLf ? kBeforeLf : 0; }

// For one model, source and target: each byte's condition and the byte
// written in its place when it stays.
struct ByteRules {
  std::array<BYTE, 256> keepWhen{};
  std::array<BYTE, 256> output{};
};

// The rules in their order of precedence: the first that matches decides.
ByteRules BuildRules(bool convertLetters, UINT source, UINT target) {
  const CPLCode letters;
  ByteRules rules;
  for (std::size_t index = 0; index < 256; ++index) {
    const BYTE byte = static_cast<BYTE>(index);
    BYTE keepWhen = kNotAfterEsc;
    BYTE output = byte;
    if (convertLetters && letters.IsPLChar(source, byte)) {
      keepWhen = kAlways;
      if (target != source) output = letters.Convert(source, target, byte);
    } else if (byte == kBoxLine) {
      keepWhen = kAlways;
      output = kSpace;
    } else if (byte == kCr) {
      keepWhen = kBeforeLf;
    } else if (byte == kLf) {
      keepWhen = kAfterCr;
    } else if (byte < kSpace || byte > kLastPrintable) {
      keepWhen = kNever;
    }
    rules.keepWhen[index] = keepWhen;
    rules.output[index] = output;
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

// Walks data[0, size) backwards and writes every byte that stays at the back
// of the same range, in order. A byte's fate depends only on itself and its
// two neighbours as received, so the walk carries the byte after the current
// one in a register (its place may already hold output) and reads the byte
// before it, which no write has reached yet: the write position never falls
// below the current one. Returns the index of the first byte kept.
std::size_t KeepFromTheBack(BYTE* data, std::size_t size, const ByteRules& rules) {
  std::size_t write = size;
  unsigned nextBits = NextBits(kNoNeighbour);
  auto decide = [&](BYTE byte, BYTE previous) {
    const unsigned neighbours = kPreviousBits[previous] | nextBits;
    data[write - 1] = rules.output[byte];
    write -= (rules.keepWhen[byte] & neighbours) != 0 ? 1 : 0;
    nextBits = NextBits(byte);
  };
  BYTE byte = data[size - 1];
  for (std::size_t i = size - 1; i > 0; --i) {
    const BYTE previous = data[i - 1];
    decide(byte, previous);
    byte = previous;
  }
  decide(byte, kNoNeighbour);
  return write;
}

}  // namespace

UINT TargetCodeForSelection(int selection) {
  return CodeForSelection(kTargetCodes, selection);
}

UINT SourceCodeForSelection(int selection) {
  return CodeForSelection(kSourceCodes, selection);
}

std::size_t ConvertBuffer(std::vector<std::uint8_t>& buffer, int modelIndex,
                          int targetSelection, int sourceSelection) {
  if (buffer.empty()) return 0;
  constexpr int kModelWithPolishLetters = 1;
  const ByteRules& rules =
      Tables().For(modelIndex == kModelWithPolishLetters, SourceCodeForSelection(sourceSelection),
                   TargetCodeForSelection(targetSelection));
  const std::size_t first = KeepFromTheBack(buffer.data(), buffer.size(), rules);
  std::move(buffer.begin() + static_cast<std::ptrdiff_t>(first), buffer.end(), buffer.begin());
  buffer.resize(buffer.size() - first);
  return buffer.size();
}

}  // namespace zv
