#include "settings/profile.h"

#include <gtest/gtest.h>

#include "kit/temp_env.h"
#include "support/paths.h"

namespace zv {
namespace {

using testkit::IsolatedHome;
using testkit::ReadFileText;
using testkit::WriteFileText;

int Load(const char* key, int def, int minimum, int maximum) {
  int value = -12345;
  SerialProfileInt(kProfileLoad, "Settings", key, value, def, minimum, maximum,
                   false);
  return value;
}

TEST(SerialProfileInt, MissingFileGivesDefaults) {
  IsolatedHome home;
  EXPECT_EQ(Load("CodeDest", 2, 0, 3), 2);
  EXPECT_FALSE(std::filesystem::exists(SettingsFilePath()));
}

struct LoadCase {
  const char* stored;
  int expected;
};

void PrintTo(const LoadCase& c, std::ostream* out) { *out << '"' << c.stored << '"'; }

class ProfileLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(ProfileLoad, AcceptsOnlyIntegersInRange) {
  IsolatedHome home;
  WriteFileText(SettingsFilePath(),
                std::string("[Settings]\nCom=") + GetParam().stored + "\n");
  EXPECT_EQ(Load("Com", 7, 0, 255), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileLoad,
    testing::Values(LoadCase{"0", 0}, LoadCase{"255", 255}, LoadCase{"17", 17},
                    LoadCase{" 12 ", 12}, LoadCase{"256", 7}, LoadCase{"-1", 7},
                    LoadCase{"abc", 7}, LoadCase{"12abc", 7}, LoadCase{"", 7},
                    LoadCase{"99999999999999999999", 7}, LoadCase{"0x10", 7}));

TEST(SerialProfileInt, SaveThenLoadRoundTrips) {
  IsolatedHome home;
  int value = 1;
  SerialProfileInt(kProfileSave, "Settings", "Device", value, 0, 0, 1, false);
  value = 42;
  SerialProfileInt(kProfileSave, "Settings", "Com", value, 0, 0, 255, false);
  EXPECT_EQ(Load("Device", 0, 0, 1), 1);
  EXPECT_EQ(Load("Com", 0, 0, 255), 42);
}

TEST(SerialProfileInt, SaveStoresOutOfRangeValuesAsGiven) {
  IsolatedHome home;
  int value = -1;
  SerialProfileInt(kProfileSave, "Settings", "CodeDest", value, 2, 0, 3, false);
  EXPECT_NE(ReadFileText(SettingsFilePath()).find("CodeDest=-1"),
            std::string::npos);
  EXPECT_EQ(Load("CodeDest", 2, 0, 3), 2);
}

TEST(SerialProfileInt, SaveKeepsPortMappingsAndComments) {
  IsolatedHome home;
  WriteFileText(SettingsFilePath(),
                "; my clinic\n[Ports]\nCOM3=/dev/serial/by-id/usb-x\n");
  int value = 2;
  SerialProfileInt(kProfileSave, "Settings", "Com", value, 0, 0, 255, false);
  const std::string text = ReadFileText(SettingsFilePath());
  EXPECT_EQ(text, "; my clinic\n[Ports]\nCOM3=/dev/serial/by-id/usb-x\n\n[Settings]\nCom=2\n");
  EXPECT_EQ(ProfileString("Ports", "COM3"), "/dev/serial/by-id/usb-x");
}

TEST(SerialProfileInt, SaveCreatesTheFolder) {
  IsolatedHome home;
  int value = 1;
  SerialProfileInt(kProfileSave, "Settings", "Device", value, 0, 0, 1, false);
  EXPECT_TRUE(std::filesystem::is_regular_file(SettingsFilePath()));
  for (const auto& entry :
       std::filesystem::directory_iterator(SettingsFilePath().parent_path())) {
    EXPECT_EQ(entry.path().filename(), "ZVReader.ini") << "left behind";
  }
}

TEST(SerialProfileInt, GarbageFileGivesDefaultsAndSaveCleansUp) {
  IsolatedHome home;
  std::string garbage = "[Settings]\nDevice=\x01\x02\xff\n";
  garbage += std::string(3 << 20, '\0');  // larger than any settings file
  garbage += "\n[Settings]\nDevice=1\n";
  WriteFileText(SettingsFilePath(), garbage);
  EXPECT_EQ(Load("Device", 0, 0, 1), 0);
  int value = 1;
  SerialProfileInt(kProfileSave, "Settings", "Device", value, 0, 0, 1, false);
  EXPECT_EQ(Load("Device", 0, 0, 1), 1);
  EXPECT_LT(std::filesystem::file_size(SettingsFilePath()), 4096u);
}

TEST(SerialProfileInt, SettingsFolderThatIsAFileDoesNotStopTheProgram) {
  IsolatedHome home;
  WriteFileText(home.ConfigHome() / "VAQ", "not a folder");
  int value = 1;
  SerialProfileInt(kProfileSave, "Settings", "Device", value, 0, 0, 1, false);
  EXPECT_EQ(Load("Device", 0, 0, 1), 0);
}

}  // namespace
}  // namespace zv
