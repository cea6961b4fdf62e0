// Where the program keeps its files on Windows.
#include "support/paths.h"

#include <gtest/gtest.h>

#include "kit/temp_env.h"

namespace zv {
namespace {

using testkit::ScopedEnv;

TEST(PathsWin32, RawDumpsGoToTheFixedFolder) {
  EXPECT_EQ(RawDumpFolder().string(), R"(C:\VAQ\)");
  EXPECT_EQ(RawDumpPath(0).string(), R"(C:\VAQ\~ZVA.tmp)");
  for (int model : {1, -1, 2, 255}) {
    EXPECT_EQ(RawDumpPath(model).string(), R"(C:\VAQ\~ZVB.tmp)") << model;
  }
}

TEST(PathsWin32, SettingsFollowAppData) {
  ScopedEnv appData("APPDATA", R"(D:\Profiles\nurse\AppData\Roaming)");
  EXPECT_EQ(SettingsFilePath().string(), R"(D:\Profiles\nurse\AppData\Roaming\VAQ\ZVReader.ini)");
}

TEST(PathsWin32, SettingsWithoutAppDataStayOnDriveC) {
  ScopedEnv appData("APPDATA", std::nullopt);
  EXPECT_EQ(SettingsFilePath().string(), R"(C:\VAQ\ZVReader.ini)");
}

}  // namespace
}  // namespace zv
