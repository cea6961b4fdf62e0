#include "common/option_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>

namespace zv::tools {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

std::optional<int> FindChoice(std::span<const Choice> choices, std::string_view text) {
  for (const Choice& choice : choices) {
    if (EqualsIgnoringCase(choice.name, text)) return choice.value;
  }
  return std::nullopt;
}

std::string ChoiceNames(std::span<const Choice> choices) {
  std::string names;
  std::set<int> listed;
  for (const Choice& choice : choices) {
    if (!listed.insert(choice.value).second) continue;
    if (!names.empty()) names += '|';
    names += choice.name;
  }
  return names;
}

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (value < minimum || value > maximum) return std::nullopt;
  return value;
}

std::optional<double> ParsePositive(std::string_view text) {
  // strtod needs a terminated string and accepts more than decimals (hex,
  // "inf"); allow digits and one point only.
  const std::string copy(text);
  if (copy.empty() || copy.find_first_not_of("0123456789.") != std::string::npos ||
      std::count(copy.begin(), copy.end(), '.') > 1 || copy == ".") {
    return std::nullopt;
  }
  const double value = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

namespace detail {

int FindOption(std::span<const SpecView> names, std::string_view argument,
               std::string_view& valuePart, bool& hasValuePart) {
  std::string_view name = argument;
  hasValuePart = false;
  if (const auto equals = argument.find('='); equals != std::string_view::npos) {
    name = argument.substr(0, equals);
    valuePart = argument.substr(equals + 1);
    hasValuePart = true;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (name == names[i].name || (!names[i].alias.empty() && name == names[i].alias)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string HelpLines(std::span<const SpecView> names, std::span<const std::string_view> help) {
  std::vector<std::string> left;
  std::size_t width = 0;
  for (const SpecView& option : names) {
    std::string text = option.alias.empty() ? "      " : "  " + std::string(option.alias) + ", ";
    text += option.name;
    if (!option.valueName.empty()) text += " " + std::string(option.valueName);
    width = std::max(width, text.size());
    left.push_back(std::move(text));
  }
  std::string lines;
  for (std::size_t i = 0; i < left.size(); ++i) {
    lines += left[i] + std::string(width - left[i].size() + 2, ' ') + std::string(help[i]) + "\n";
  }
  return lines;
}

}  // namespace detail
std::string PickChoice(std::span<const Choice> choices, std::string_view text, int& field) {
  const auto found = FindChoice(choices, text);
  if (!found) return "'" + std::string(text) + "' is not one of " + ChoiceNames(choices);
  field = *found;
  return {};
}

}  // namespace zv::tools
