#include "transfer/transfer_review.h"

#include <array>

#include "support/plcode.h"
#include "transfer/convert.h"

namespace zv {
namespace {

constexpr BYTE kEsc = 0x1B;
constexpr BYTE kMarkerB = 0x19;
constexpr BYTE kBoxLine = 0xB3;
constexpr std::size_t kCountOffsetB = 2;

// Control bytes a report may hold: line and page controls, and the
// printer's own single-byte codes (backspace, condensed on and off,
// condensed off, wide off).
constexpr std::array<BYTE, 10> kReportControls{0x08, 0x09, 0x0A, 0x0B, 0x0C,
                                               0x0D, 0x0E, 0x0F, 0x12, 0x14};

// Which byte values a report of the model holds in code page `code`.
std::array<bool, 256> ReportBytes(int modelIndex, UINT code) {
  std::array<bool, 256> report{};
  for (int byte = 0x20; byte <= 0x7E; ++byte) report[static_cast<std::size_t>(byte)] = true;
  for (BYTE byte : kReportControls) report[byte] = true;
  report[kEsc] = true;
  report[kBoxLine] = true;
  if (modelIndex == kModelB) report[kMarkerB] = true;
  const CPLCode letters;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    if (letters.IsPLChar(code, static_cast<BYTE>(byte))) report[static_cast<std::size_t>(byte)] = true;
  }
  return report;
}

}  // namespace

double StrangeByteShare(std::span<const std::uint8_t> bytes, int modelIndex, UINT deviceCode) {
  if (bytes.empty()) return 0;
  const std::array<bool, 256> report = ReportBytes(modelIndex, deviceCode);
  std::size_t strange = 0;
  bool afterEsc = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const BYTE byte = bytes[i];
    const bool countByte = modelIndex == kModelB && i == kCountOffsetB;
    if (!report[byte] && !afterEsc && !countByte) ++strange;
    afterEsc = byte == kEsc && !afterEsc;
  }
  return static_cast<double>(strange) / static_cast<double>(bytes.size());
}

TransferReview ReviewTransfer(std::span<const std::uint8_t> bytes, const TransferFacts& facts) {
  TransferReview review;
  review.strangeShare =
      StrangeByteShare(bytes, facts.modelIndex, SourceCodeForSelection(facts.sourceSelection));
  review.garbled = bytes.size() >= kFewestBytesJudged && review.strangeShare > kGarbledShare;
  review.announcedNoneSent = !review.garbled && !facts.stopped && facts.headerSeen &&
                             facts.expectedCount > 0 && facts.testCount == 0;
  return review;
}

int UsualBaud(int modelIndex) { return modelIndex == kModelB ? 9600 : 4800; }

}  // namespace zv
