#include "support/strings.h"

#include <gtest/gtest.h>

#include "kit/temp_env.h"

namespace zv {
namespace {

using testkit::ScopedEnv;

TEST(Strings, TablesInBothLanguages) {
  EXPECT_EQ(LoadStringA(IDS_ABOUTBOX, Language::English), "&About ZVReader...");
  EXPECT_EQ(LoadStringA(IDS_ABOUTBOX, Language::Polish), "&About ZVReader...");
  EXPECT_EQ(LoadStringA(IDS_WAITING, Language::English), "Waiting for transmission");
  EXPECT_EQ(LoadStringA(IDS_WAITING, Language::Polish), "Oczekiwanie na transmisję");
  EXPECT_EQ(LoadStringA(999, Language::English), "");
}

TEST(Strings, EachLanguageHasItsOwnFileFilter) {
  EXPECT_EQ(LoadStringA(IDS_FILE_FILTER, Language::English),
            "Text files (*.txt)|*.txt|All files (*.*)|*.*||");
  EXPECT_EQ(LoadStringA(IDS_FILE_FILTER, Language::Polish),
            "Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*||");
}

TEST(Strings, TransmittedPadsTheExpectedCount) {
  EXPECT_EQ(FormatTransmitted(3, 5, Language::English), "Transmited test: 3 / 05");
  EXPECT_EQ(FormatTransmitted(12, 0, Language::English), "Transmited test: 12 / 00");
  EXPECT_EQ(FormatTransmitted(1, 255, Language::Polish),
            "Przetransmitowano badań: 1 / 255");
}

struct LocaleCase {
  const char* language;
  const char* lcAll;
  const char* lcMessages;
  const char* lang;
  Language expected;
};

void PrintTo(const LocaleCase& c, std::ostream* out) {
  const auto show = [out](const char* name, const char* value) {
    if (value) *out << name << "=" << value << ";";
  };
  *out << "env:";
  show("LANGUAGE", c.language);
  show("LC_ALL", c.lcAll);
  show("LC_MESSAGES", c.lcMessages);
  show("LANG", c.lang);
}

class UiLanguageFromLocale : public testing::TestWithParam<LocaleCase> {};

std::optional<std::string> Maybe(const char* value) {
  return value ? std::optional<std::string>(value) : std::nullopt;
}

TEST_P(UiLanguageFromLocale, FirstSetVariableDecides) {
  const LocaleCase& c = GetParam();
  ScopedEnv language("LANGUAGE", Maybe(c.language));
  ScopedEnv lcAll("LC_ALL", Maybe(c.lcAll));
  ScopedEnv lcMessages("LC_MESSAGES", Maybe(c.lcMessages));
  ScopedEnv lang("LANG", Maybe(c.lang));
  EXPECT_EQ(UiLanguage(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, UiLanguageFromLocale,
    testing::Values(
        LocaleCase{nullptr, nullptr, nullptr, nullptr, Language::English},
        LocaleCase{nullptr, nullptr, nullptr, "pl_PL.UTF-8", Language::Polish},
        LocaleCase{nullptr, nullptr, nullptr, "en_US.UTF-8", Language::English},
        LocaleCase{"pl:en", nullptr, nullptr, "en_US.UTF-8", Language::Polish},
        LocaleCase{"en", nullptr, nullptr, "pl_PL.UTF-8", Language::English},
        LocaleCase{"", "pl_PL", nullptr, "en_US", Language::Polish},
        LocaleCase{nullptr, "C", "pl_PL", "pl_PL", Language::English},
        LocaleCase{nullptr, nullptr, "pl_PL.UTF-8", "en_GB", Language::Polish}));

TEST(UiLanguage, ForcedLanguageWinsUntilCleared) {
  ScopedEnv lang("LANG", "en_US.UTF-8");
  ScopedEnv language("LANGUAGE", std::nullopt);
  ScopedEnv lcAll("LC_ALL", std::nullopt);
  ScopedEnv lcMessages("LC_MESSAGES", std::nullopt);
  SetUiLanguage(Language::Polish);
  EXPECT_EQ(LoadStringA(IDS_WAITING), "Oczekiwanie na transmisję");
  ClearUiLanguage();
  EXPECT_EQ(LoadStringA(IDS_WAITING), "Waiting for transmission");
}

}  // namespace
}  // namespace zv
