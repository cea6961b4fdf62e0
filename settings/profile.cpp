#include "settings/profile.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

#include "settings/ini_file.h"
#include "support/file_io.h"
#include "support/paths.h"

namespace zv {
namespace {

// A settings file is a few short lines. Reading stops at kMaxSettingsBytes
// so that a huge or runaway file can neither exhaust memory nor stall the
// start, and lines longer than kMaxLineBytes are dropped as junk, so that
// the next save writes a file small enough to be read back whole.
constexpr std::size_t kMaxSettingsBytes = 1 << 20;
constexpr std::size_t kMaxLineBytes = 4096;

std::string ReadSettingsText(const std::filesystem::path& path) {
  // Only a regular file is read: a pipe or a device in its place would
  // block the start or never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxSettingsBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (in.gcount() == static_cast<std::streamsize>(kMaxSettingsBytes)) {
    text.erase(text.rfind('\n') + 1);  // the last line was cut off
  }
  return text;
}

std::string WithoutOverlongLines(std::string_view text) {
  std::string kept;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size() - 1);
    const std::string_view line = text.substr(0, end + 1);
    if (line.size() <= kMaxLineBytes) kept += line;
    text.remove_prefix(line.size());
  }
  return kept;
}

std::optional<int> ParseInt(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

void LoadInt(const char* section, const char* key, int& value, int def,
             int minimum, int maximum) {
  value = def;
  const auto text = ReadSettingsFile().Get(section, key);
  const auto number = text ? ParseInt(*text) : std::nullopt;
  if (number && *number >= minimum && *number <= maximum) value = *number;
}

void SaveInt(const char* section, const char* key, int value) {
  const std::filesystem::path path = SettingsFilePath();
  IniFile file = ReadSettingsFile();
  file.Set(section, key, std::to_string(value));
  const std::string text = file.Text();
  // Settings are a convenience: a store that cannot be written must not
  // stop the program, so a failure here is dropped.
  if (!EnsureFolder(path.parent_path(), Owner::Program)) return;
  RealFileWriter().WriteAtomic(
      path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
      Owner::Program);
}

}  // namespace

IniFile ReadSettingsFile() {
  return IniFile::Parse(WithoutOverlongLines(ReadSettingsText(SettingsFilePath())));
}

void SerialProfileInt(int load, const char* section, const char* key,
                      int& value, int def, int minimum, int maximum,
                      bool /*unused*/) {
  if (load) {
    LoadInt(section, key, value, def, minimum, maximum);
  } else {
    SaveInt(section, key, value);
  }
}

std::optional<std::string> ProfileString(const char* section,
                                         const char* key) {
  return ReadSettingsFile().Get(section, key);
}

}  // namespace zv
