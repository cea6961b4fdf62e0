#include "support/port_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "kit/temp_env.h"
#include "support/paths.h"

namespace zv {
namespace {

using testing::Contains;
using testing::Pair;

struct DefaultCase {
  int com;
  std::optional<std::string> device;
};

const DefaultCase kDefaults[] = {
    {-1, std::nullopt},    {0, std::nullopt},    {1, "/dev/ttyS0"},
    {2, "/dev/ttyS1"},     {32, "/dev/ttyS31"},  {33, "/dev/ttyUSB0"},
    {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"},
    {97, std::nullopt},    {256, std::nullopt},  {257, std::nullopt},
};

class PortMapTest : public testing::Test {
 protected:
  void WriteSettings(const std::string& text) {
    testkit::WriteFileText(SettingsFilePath(), text);
  }

  testkit::IsolatedHome home_;
};

TEST_F(PortMapTest, DefaultNamingCoversEachRangeToItsEdges) {
  for (const DefaultCase& c : kDefaults) {
    SCOPED_TRACE(c.com);
    EXPECT_EQ(DefaultPortDevice(c.com), c.device);
    EXPECT_EQ(PortDevice(c.com), c.device);  // no settings file at all
  }
}

TEST_F(PortMapTest, SettingsPointAComNumberElsewhere) {
  WriteSettings(
      "[Settings]\nCom=3\n\n"
      "[Ports]\n"
      "; the instrument's adapter\n"
      "COM1=/dev/serial/by-id/usb-adapter-if00-port0\n"
      "COM200 = /dev/pts/5\n");
  EXPECT_EQ(PortDevice(1), "/dev/serial/by-id/usb-adapter-if00-port0");
  EXPECT_EQ(PortDevice(200), "/dev/pts/5");
  EXPECT_EQ(PortDevice(2), "/dev/ttyS1");  // others keep their default
  EXPECT_EQ(PortDevice(33), "/dev/ttyUSB0");
  EXPECT_EQ(PortDevice(201), std::nullopt);
}

TEST_F(PortMapTest, SectionAndKeyMatchInAnyCase) {
  WriteSettings("[ports]\ncom5=/dev/ttyAMA0\n");
  EXPECT_EQ(PortDevice(5), "/dev/ttyAMA0");
}

TEST_F(PortMapTest, EmptyValueKeepsTheDefault) {
  WriteSettings("[Ports]\nCOM3=\nCOM150=  \n");
  EXPECT_EQ(PortDevice(3), "/dev/ttyS2");
  EXPECT_EQ(PortDevice(150), std::nullopt);
}

TEST_F(PortMapTest, NumbersOutsideTheRangeIgnoreTheSettings) {
  WriteSettings(
      "[Ports]\nCOM0=/dev/pts/1\nCOM257=/dev/pts/2\nCOM-1=/dev/pts/3\n");
  EXPECT_EQ(PortDevice(0), std::nullopt);
  EXPECT_EQ(PortDevice(257), std::nullopt);
  EXPECT_EQ(PortDevice(-1), std::nullopt);
}

TEST_F(PortMapTest, KeysOfOtherSectionsDoNotMap) {
  WriteSettings("[Settings]\nCOM4=/dev/pts/9\n");
  EXPECT_EQ(PortDevice(4), "/dev/ttyS3");
}

TEST_F(PortMapTest, AllPortDevicesAgreesWithEachLookup) {
  WriteSettings("[Ports]\nCOM0=/dev/null\nCOM5=/dev/pts/9\nCOM150=/dev/x\n");
  const auto devices = AllPortDevices();
  ASSERT_EQ(devices.size(), static_cast<std::size_t>(kMaxComNumber) + 1);
  EXPECT_EQ(devices[0], std::nullopt);
  for (int com = 1; com <= kMaxComNumber; ++com) {
    EXPECT_EQ(devices[com], PortDevice(com)) << com;
  }
  EXPECT_EQ(devices[5], "/dev/pts/9");
  EXPECT_EQ(devices[150], "/dev/x");
}

TEST_F(PortMapTest, PresentPortsListsOnlyDevicesThatExist) {
  const auto present = home_.root() / "adapter";
  testkit::WriteFileText(present, "");
  const std::string absent = (home_.root() / "gone").string();
  WriteSettings("[Ports]\nCOM150=" + present.string() + "\nCOM151=" + absent +
                "\nCOM97=" + present.string() + "\n");

  const auto items = PortListItems();
  ASSERT_EQ(items.size(), static_cast<std::size_t>(kMaxComNumber));
  EXPECT_EQ(items[149].com, 150);
  EXPECT_TRUE(items[149].present);
  EXPECT_FALSE(items[150].present);
  EXPECT_EQ(items[150].device, absent);
  EXPECT_FALSE(items[200].present);

  const auto ports = PresentPorts();
  EXPECT_THAT(ports, Contains(Pair(150, present.string())));
  EXPECT_THAT(ports, Contains(Pair(97, present.string())));
  for (const auto& [com, device] : ports) {
    SCOPED_TRACE(device);
    EXPECT_NE(com, 151);
    EXPECT_TRUE(PortDevicePresent(device));
    EXPECT_EQ(PortDevice(com), device);
  }
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end()));
}

TEST(PortListEntryTest, NamesTheDeviceAndMarksAPresentOne) {
  struct Case {
    PortListItem item;
    const char* english;
    const char* polish;
  };
  const Case cases[] = {
      {{1, "/dev/ttyS0", false}, "COM 1 (/dev/ttyS0)", "COM 1 (/dev/ttyS0)"},
      {{33, "/dev/ttyUSB0", true}, "COM 33 (/dev/ttyUSB0) — connected",
       "COM 33 (/dev/ttyUSB0) — podłączony"},
      {{3, std::nullopt, true}, "COM 3 — connected", "COM 3 — podłączony"},
      {{200, std::nullopt, false}, "COM 200", "COM 200"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortListEntry(c.item, Language::English), c.english);
    EXPECT_EQ(PortListEntry(c.item, Language::Polish), c.polish);
  }
}

TEST_F(PortMapTest, PresenceFollowsThePath) {
  EXPECT_TRUE(PortDevicePresent("/dev/null"));
  EXPECT_FALSE(PortDevicePresent((home_.root() / "nothing").string()));
  EXPECT_FALSE(PortDevicePresent(""));
}

}  // namespace
}  // namespace zv
