#include "zvreader-cli/json_writer.h"

#include <array>

namespace zv::cli {
namespace {

std::string UnicodeEscape(unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("\\u00") + kHex[byte >> 4] + kHex[byte & 0xF];
}

// Length of the valid UTF-8 sequence at `pos`, 0 when there is none.
std::size_t Utf8Length(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  static constexpr std::array<char32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
  const bool overlong = value < kSmallest[length];
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  return overlong || surrogate || value > 0x10FFFF ? 0 : length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t pos = 0; pos < text.size();) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
      json += UnicodeEscape(byte);
    } else if (byte >= 0x80) {
      if (const std::size_t length = Utf8Length(text, pos)) {
        json.append(text.substr(pos, length));
        pos += length;
        continue;
      }
      json += UnicodeEscape(byte);
    } else {
      json += static_cast<char>(byte);
    }
    ++pos;
  }
  return json + "\"";
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  if (!fields_.empty()) fields_ += ',';
  fields_ += JsonString(key);
  fields_ += ':';
  fields_ += json;
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view value) {
  return Raw(key, JsonString(value));
}

JsonObject& JsonObject::Add(std::string_view key, std::int64_t value) {
  return Raw(key, std::to_string(value));
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(std::string_view key, const std::optional<std::string>& value) {
  return value ? Add(key, std::string_view(*value)) : Raw(key, "null");
}

JsonObject& JsonObject::Add(std::string_view key, const std::optional<std::int64_t>& value) {
  return value ? Add(key, *value) : Raw(key, "null");
}

}  // namespace zv::cli
