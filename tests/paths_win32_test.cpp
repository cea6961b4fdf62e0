// Where the program keeps its files on Windows.
#include "support/paths.h"

#include <gtest/gtest.h>

#include "kit/temp_env.h"
#include "settings/profile.h"

namespace zv {
namespace {

using testkit::ScopedEnv;
using testkit::TempDir;

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

TEST(PathsWin32, TheArchiveIsInTheUsersOwnLocalProfile) {
  ScopedEnv localAppData("LOCALAPPDATA", R"(D:\Profiles\nurse\AppData\Local)");
  EXPECT_EQ(ArchiveFolder().string(), R"(D:\Profiles\nurse\AppData\Local\VAQ\archive)");
}

// Past the old 260-character limit a path becomes absolute, with the
// prefix that lifts it; a shorter one stays as the user gave it.
TEST(PathsWin32, LongPathsTakeTheFormWithoutTheLimit) {
  const std::wstring name(250, L'n');
  const struct {
    std::wstring given;
    std::wstring system;
  } cases[] = {
      {LR"(C:\VAQ\~ZVA.tmp)", LR"(C:\VAQ\~ZVA.tmp)"},
      {LR"(relative\short.txt)", LR"(relative\short.txt)"},
      {LR"(C:\d\)" + name, LR"(\\?\C:\d\)" + name},
      {LR"(C:/d/)" + name, LR"(\\?\C:\d\)" + name},
      {LR"(C:\d\..\e\.\)" + name, LR"(\\?\C:\e\)" + name},
      {LR"(\\server\share\)" + name, LR"(\\?\UNC\server\share\)" + name},
      {LR"(\\?\C:\d\)" + name, LR"(\\?\C:\d\)" + name},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SystemPath(c.given).native(), c.system) << c.given.size() << " characters";
  }
}

TEST(PathsWin32, SettingsWithoutAppDataStayOnDriveC) {
  ScopedEnv appData("APPDATA", std::nullopt);
  EXPECT_EQ(SettingsFilePath().string(), R"(C:\VAQ\ZVReader.ini)");
}

// Letters outside the ANSI code page of an English system: the settings
// are stored in, and read back from, the profile's own folder.
TEST(PathsWin32, SettingsInAProfileNamedWithPolishLetters) {
  TempDir dir;
  const std::filesystem::path profile = dir.path() / u8"Łucja Żółć" / "AppData";
  const std::u8string profileText = profile.u8string();
  ScopedEnv appData("APPDATA", std::string(profileText.begin(), profileText.end()));
  const std::filesystem::path expected = profile / "VAQ" / "ZVReader.ini";
  EXPECT_EQ(SettingsFilePath(), expected);

  int saved = 11;
  SerialProfileInt(kProfileSave, "Settings", "Com", saved, 0, 0, 255, false);
  EXPECT_TRUE(std::filesystem::is_regular_file(expected));
  int loaded = -1;
  SerialProfileInt(kProfileLoad, "Settings", "Com", loaded, 0, 0, 255, false);
  EXPECT_EQ(loaded, 11);
}

}  // namespace
}  // namespace zv
