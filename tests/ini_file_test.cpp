#include "settings/ini_file.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(IniFile, FindsValuesIgnoringCaseAndSpaces) {
  const IniFile file = IniFile::Parse(
      "; comment\r\n[Settings]\r\n  Device = 1 \r\ncom=17\r\n[Ports]\r\nCOM1=/dev/x\r\n");
  EXPECT_EQ(file.Get("Settings", "Device"), "1");
  EXPECT_EQ(file.Get("settings", "COM"), "17");
  EXPECT_EQ(file.Get("PORTS", "com1"), "/dev/x");
  EXPECT_EQ(file.Get("Ports", "Device"), std::nullopt);
  EXPECT_EQ(file.Get("Missing", "Device"), std::nullopt);
}

TEST(IniFile, KeysOutsideTheirSectionAreNotFound) {
  const IniFile file = IniFile::Parse("Device=1\n[Other]\nDevice=2\n[Settings]\n");
  EXPECT_EQ(file.Get("Settings", "Device"), std::nullopt);
  EXPECT_EQ(file.Get("Other", "Device"), "2");
}

TEST(IniFile, CommentedKeysAreIgnored) {
  const IniFile file = IniFile::Parse("[Settings]\n;Device=1\n#Com=2\n");
  EXPECT_EQ(file.Get("Settings", "Device"), std::nullopt);
  EXPECT_EQ(file.Get("Settings", "Com"), std::nullopt);
}

struct SetCase {
  const char* name;
  const char* before;
  const char* after;
};

void PrintTo(const SetCase& c, std::ostream* out) { *out << c.name; }

class IniFileSet : public testing::TestWithParam<SetCase> {};

TEST_P(IniFileSet, KeepsEverythingElse) {
  IniFile file = IniFile::Parse(GetParam().before);
  file.Set("Settings", "Com", "5");
  EXPECT_EQ(file.Text(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileSet,
    testing::Values(
        SetCase{"empty", "", "[Settings]\nCom=5\n"},
        SetCase{"replaces", "; mine\n[Settings]\nDevice=1\ncom = 3\n\n[Ports]\nCOM1=/dev/a\n",
                "; mine\n[Settings]\nDevice=1\nCom=5\n\n[Ports]\nCOM1=/dev/a\n"},
        SetCase{"appends_to_section", "[Settings]\nDevice=1\n\n[Ports]\nCOM1=/dev/a\n",
                "[Settings]\nDevice=1\nCom=5\n\n[Ports]\nCOM1=/dev/a\n"},
        SetCase{"appends_section", "[Ports]\nCOM1=/dev/a",
                "[Ports]\nCOM1=/dev/a\n\n[Settings]\nCom=5\n"},
        SetCase{"keeps_garbage_lines", "\x01\xff junk\n[Settings]\nnot a pair\n",
                "\x01\xff junk\n[Settings]\nnot a pair\nCom=5\n"}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

TEST(IniFile, ReplacesOnlyTheFirstOfDuplicateKeys) {
  IniFile file = IniFile::Parse("[Settings]\nCom=1\nCom=2\n");
  file.Set("Settings", "Com", "9");
  EXPECT_EQ(file.Text(), "[Settings]\nCom=9\nCom=2\n");
  EXPECT_EQ(file.Get("Settings", "Com"), "9");
}

TEST(IniFile, SurvivesBinaryInput) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 37) & 0xFF);
  IniFile file = IniFile::Parse(bytes);
  file.Set("Settings", "Device", "1");
  const IniFile reread = IniFile::Parse(file.Text());
  EXPECT_EQ(reread.Get("Settings", "Device"), "1");
}

}  // namespace
}  // namespace zv
