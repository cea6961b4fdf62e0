#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zv::cli {

// Builds one JSON object on one line, fields in the order they are added.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view value);
  JsonObject& Add(std::string_view key, const char* value) { return Add(key, std::string_view(value)); }
  JsonObject& Add(std::string_view key, const std::string& value) { return Add(key, std::string_view(value)); }
  JsonObject& Add(std::string_view key, std::int64_t value);
  JsonObject& Add(std::string_view key, int value) { return Add(key, std::int64_t{value}); }
  JsonObject& Add(std::string_view key, bool value);
  // null when empty
  JsonObject& Add(std::string_view key, const std::optional<std::string>& value);
  JsonObject& Add(std::string_view key, const std::optional<std::int64_t>& value);

  std::string Text() const { return "{" + fields_ + "}"; }

 private:
  JsonObject& Raw(std::string_view key, std::string_view json);
  std::string fields_;
};

// A JSON string literal. Valid UTF-8 passes unchanged; quotes, backslashes
// and control characters are escaped, and a byte that is not part of valid
// UTF-8 (a path on a system that is not UTF-8) becomes \u00XX, so the
// output is always valid JSON.
std::string JsonString(std::string_view text);

}  // namespace zv::cli
