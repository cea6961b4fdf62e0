#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Command-line parsing driven by a table of options, shared by the tools.
namespace zv::tools {

// One accepted spelling of an option's value.
struct Choice {
  std::string_view name;
  int value;
};

// The value of the choice named `text` (ASCII case ignored), if any.
std::optional<int> FindChoice(std::span<const Choice> choices, std::string_view text);
// "a|b|c" from the choices' names, skipping those that only repeat a value
// already listed (list indices).
std::string ChoiceNames(std::span<const Choice> choices);
// Sets `field` to the value of the choice named `text` and returns nothing,
// or returns why `text` is not one of them.
std::string PickChoice(std::span<const Choice> choices, std::string_view text, int& field);

// Whole decimal numbers in minimum...maximum; nothing otherwise.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum);
// A finite decimal number greater than zero; nothing otherwise.
std::optional<double> ParsePositive(std::string_view text);

template <typename Options>
struct OptionSpec {
  std::string_view name;       // "--model"
  std::string_view alias;      // "-o", or empty
  std::string_view valueName;  // "A|B"; empty for a flag that takes no value
  // Stores the value (a flag gets an empty one); returns the complaint about
  // a bad value, empty when it was accepted.
  std::string (*apply)(Options& options, std::string_view value);
  std::string_view help;
};

struct ParsedArguments {
  std::string error;                    // empty when every argument was fine
  std::vector<std::string> positional;  // the arguments that are no option
};

namespace detail {

struct SpecView {
  std::string_view name, alias, valueName;
};

// Splits "--name=value"; finds the option in `names`; returns its index or
// -1.
int FindOption(std::span<const SpecView> names, std::string_view argument,
               std::string_view& valuePart, bool& hasValuePart);

std::string HelpLines(std::span<const SpecView> names, std::span<const std::string_view> help);

}  // namespace detail

// Walks `args` (without the program name): options by the table, "--name
// value" or "--name=value", "--" ends the options. Stops at the first
// error.
template <typename Options>
ParsedArguments ParseArguments(std::span<const OptionSpec<Options>> table,
                               std::span<const std::string> args, Options& options) {
  std::vector<detail::SpecView> names;
  for (const auto& option : table) names.push_back({option.name, option.alias, option.valueName});
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& argument = args[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      parsed.positional.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::string_view value;
    bool hasValue = false;
    const int index = detail::FindOption(names, argument, value, hasValue);
    if (index < 0) {
      parsed.error = "unknown option " + argument.substr(0, argument.find('='));
      return parsed;
    }
    const OptionSpec<Options>& option = table[static_cast<std::size_t>(index)];
    if (option.valueName.empty() && hasValue) {
      parsed.error = std::string(option.name) + " takes no value";
      return parsed;
    }
    if (!option.valueName.empty() && !hasValue) {
      if (i + 1 >= args.size()) {
        parsed.error = std::string(option.name) + " needs a value (" +
                       std::string(option.valueName) + ")";
        return parsed;
      }
      value = args[++i];
    }
    std::string complaint = option.apply(options, value);
    if (!complaint.empty()) {
      parsed.error = std::string(option.name) + ": " + complaint;
      return parsed;
    }
  }
  return parsed;
}

// One line per option: "  -o, --name VALUE  help".
template <typename Options>
std::string OptionsHelp(std::span<const OptionSpec<Options>> table) {
  std::vector<detail::SpecView> names;
  std::vector<std::string_view> help;
  for (const auto& option : table) {
    names.push_back({option.name, option.alias, option.valueName});
    help.push_back(option.help);
  }
  return detail::HelpLines(names, help);
}

}  // namespace zv::tools
