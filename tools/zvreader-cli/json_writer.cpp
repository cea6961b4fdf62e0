#include "zvreader-cli/json_writer.h"

#include "transfer/utf8_text.h"

namespace zv::cli {
namespace {

std::string UnicodeEscape(unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("\\u00") + kHex[byte >> 4] + kHex[byte & 0xF];
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
      if (std::size_t next = pos; NextUtf8Character(text, next)) {
        json.append(text.substr(pos, next - pos));
        pos = next;
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
