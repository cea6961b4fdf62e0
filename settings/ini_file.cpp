#include "settings/ini_file.h"

#include <algorithm>
#include <cctype>

namespace zv {
namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

bool IsComment(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The name of a "[section]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

struct KeyValue {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyValue> ParseKeyValue(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (IsComment(trimmed)) return std::nullopt;
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return KeyValue{Trim(trimmed.substr(0, equals)),
                  Trim(trimmed.substr(equals + 1))};
}

// Lines [begin, end) of the first section with this name; begin is the
// section line itself. Nothing when the section is absent.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(
    const std::vector<std::string>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end])) ++end;
    return std::pair{i, end};
  }
  return std::nullopt;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  IniFile file;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    file.lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return file;
}

std::optional<std::string> IniFile::Get(std::string_view section,
                                        std::string_view key) const {
  const auto range = FindSection(lines_, section);
  if (!range) return std::nullopt;
  for (std::size_t i = range->first + 1; i < range->second; ++i) {
    const auto pair = ParseKeyValue(lines_[i]);
    if (pair && SameName(pair->key, key)) return std::string(pair->value);
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key,
                  std::string_view value) {
  std::string line = std::string(key) + "=" + std::string(value);
  const auto range = FindSection(lines_, section);
  if (!range) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  std::size_t insertAt = range->first + 1;
  for (std::size_t i = range->first + 1; i < range->second; ++i) {
    const auto pair = ParseKeyValue(lines_[i]);
    if (pair && SameName(pair->key, key)) {
      lines_[i] = std::move(line);
      return;
    }
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                std::move(line));
}

std::string IniFile::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace zv
