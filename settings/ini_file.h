#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

// An INI text kept line by line, so that a rewrite keeps every section,
// key, comment and blank line it did not change. Sections and keys match
// without regard to ASCII case. Any bytes parse: a line that is neither a
// section, a key=value pair nor a comment is kept as it is.
class IniFile {
 public:
  static IniFile Parse(std::string_view text);

  std::optional<std::string> Get(std::string_view section,
                                 std::string_view key) const;
  // Replaces the key's first value in the section, or appends the key to
  // the section, or appends the section.
  void Set(std::string_view section, std::string_view key,
           std::string_view value);

  std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace zv
