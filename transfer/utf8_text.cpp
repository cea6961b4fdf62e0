#include "transfer/utf8_text.h"

#include <array>

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

std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  const std::size_t length = lead > 0xF4   ? 0
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC2 ? 2
                                            : 0;
  if (length == 0 || pos + length - 1 > text.size()) return std::nullopt;
  char32_t point = lead & (0x7F >> length);
  for (std::size_t i = 0; i < length - 1; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    point = (point << 6) | (next & 0x3F);
  }
  static constexpr std::array<char32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
  if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
    return std::nullopt;
  pos += length - 1;
  return point;
}

}  // namespace zv
