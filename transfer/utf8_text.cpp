#include "transfer/utf8_text.h"

#include "support/plcode.h"
#include "transfer/convert.h"

namespace zv {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Code points up to U+FFFF: one, two or three bytes.
void AppendUtf8(char32_t point, std::vector<std::uint8_t>& out) {
  if (point < 0x80) {
    out.push_back(static_cast<std::uint8_t>(point));
  } else if (point < 0x800) {
    out.push_back(static_cast<std::uint8_t>(0xC0 | (point >> 6)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (point & 0x3F)));
  } else {
    out.push_back(static_cast<std::uint8_t>(0xE0 | (point >> 12)));
    out.push_back(static_cast<std::uint8_t>(0x80 | ((point >> 6) & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (point & 0x3F)));
  }
}

}  // namespace

std::vector<std::uint8_t> DecodeToUtf8(std::span<const std::uint8_t> text, UINT code) {
  std::vector<std::uint8_t> utf8;
  utf8.reserve(text.size() + text.size() / 8);
  for (const std::uint8_t byte : text) {
    if (byte < 0x80) {
      utf8.push_back(byte);
      continue;
    }
    const char32_t letter = PolishLetterCodePoint(code, byte);
    AppendUtf8(letter != 0 ? letter : kReplacementCharacter, utf8);
  }
  return utf8;
}

std::size_t ConvertBufferToUtf8(std::vector<std::uint8_t>& buffer, int modelIndex,
                                int sourceSelection) {
  const UINT deviceCode = SourceCodeForSelection(sourceSelection);
  ConvertBuffer(buffer, modelIndex, TargetSelectionForCode(deviceCode), sourceSelection);
  buffer = DecodeToUtf8(buffer, deviceCode);
  return buffer.size();
}

}  // namespace zv
