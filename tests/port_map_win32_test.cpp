// The Windows side of the COM number mapping: \\.\COMn for every number,
// the settings file under %APPDATA% pointing a number elsewhere.
#include "support/port_map.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "kit/temp_env.h"
#include "support/paths.h"

namespace zv {
namespace {

struct DefaultCase {
  int com;
  std::optional<std::string> device;
};

// COM10 and above need the device namespace; the same form serves all.
const DefaultCase kDefaults[] = {
    {-1, std::nullopt},       {0, std::nullopt},
    {1, R"(\\.\COM1)"},       {9, R"(\\.\COM9)"},
    {10, R"(\\.\COM10)"},     {12, R"(\\.\COM12)"},
    {256, R"(\\.\COM256)"},   {257, std::nullopt},
};

class PortMapWin32Test : public testing::Test {
 protected:
  void WriteSettings(const std::string& text) {
    testkit::WriteFileText(SettingsFilePath(), text);
  }

  testkit::IsolatedHome home_;
};

TEST_F(PortMapWin32Test, EveryComNumberUsesTheDeviceNamespace) {
  for (const DefaultCase& c : kDefaults) {
    SCOPED_TRACE(c.com);
    EXPECT_EQ(DefaultPortDevice(c.com), c.device);
    EXPECT_EQ(PortDevice(c.com), c.device);  // no settings file at all
  }
}

TEST_F(PortMapWin32Test, SettingsLiveUnderAppData) {
  EXPECT_EQ(SettingsFilePath(), home_.ConfigHome() / "VAQ" / "ZVReader.ini");
}

TEST_F(PortMapWin32Test, SettingsPointAComNumberElsewhere) {
  WriteSettings(
      "[Settings]\r\nCom=3\r\n\r\n"
      "[Ports]\r\n"
      "COM1=\\\\.\\COM12\r\n"
      "COM7 = \\\\.\\CNCA0\r\n"
      "COM3=\r\n"
      "[Other]\r\nCOM4=\\\\.\\COM40\r\n");
  EXPECT_EQ(PortDevice(1), R"(\\.\COM12)");
  EXPECT_EQ(PortDevice(7), R"(\\.\CNCA0)");
  EXPECT_EQ(PortDevice(3), R"(\\.\COM3)") << "an empty value keeps the default";
  EXPECT_EQ(PortDevice(4), R"(\\.\COM4)") << "only section [Ports] maps";
  EXPECT_EQ(PortDevice(2), R"(\\.\COM2)");
}

TEST_F(PortMapWin32Test, PresenceAsksTheSystem) {
  const auto file = home_.root() / "adapter";
  testkit::WriteFileText(file, "");
  EXPECT_TRUE(PortDevicePresent(file.string()));
  EXPECT_FALSE(PortDevicePresent((home_.root() / "gone").string()));
  EXPECT_FALSE(PortDevicePresent(""));
  // No computer has this many ports; a test machine certainly not.
  EXPECT_FALSE(PortDevicePresent(R"(\\.\COM249)"));
}

}  // namespace
}  // namespace zv
