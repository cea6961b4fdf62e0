#include "support/paths.h"

#include <gtest/gtest.h>

#include "kit/temp_env.h"

namespace zv {
namespace {

using testkit::ScopedEnv;

TEST(Paths, FollowTheXdgFolders) {
  ScopedEnv data("XDG_DATA_HOME", "/srv/data");
  ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
  EXPECT_EQ(RawDumpFolder(), "/srv/data/VAQ");
  EXPECT_EQ(RawDumpPath(0), "/srv/data/VAQ/~ZVA.tmp");
  EXPECT_EQ(SettingsFilePath(), "/srv/config/VAQ/ZVReader.ini");
}

TEST(Paths, FallBackToTheHomeFolder) {
  ScopedEnv home("HOME", "/home/nurse");
  for (const char* unusable : {"", "relative/path"}) {
    ScopedEnv data("XDG_DATA_HOME", unusable);
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(RawDumpFolder(), "/home/nurse/.local/share/VAQ") << unusable;
    EXPECT_EQ(SettingsFilePath(), "/home/nurse/.config/VAQ/ZVReader.ini");
  }
}

TEST(Paths, AnyModelButZorvelAUsesTheBFile) {
  ScopedEnv data("XDG_DATA_HOME", "/d");
  EXPECT_EQ(RawDumpPath(0).filename(), "~ZVA.tmp");
  for (int model : {1, -1, 2, 255}) {
    EXPECT_EQ(RawDumpPath(model).filename(), "~ZVB.tmp") << model;
  }
}

}  // namespace
}  // namespace zv
