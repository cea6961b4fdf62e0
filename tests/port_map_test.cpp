#include "support/port_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "kit/temp_env.h"
#include "support/paths.h"
#include "support/port_details_sysfs.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
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

TEST(PortListEntryTest, NamesTheDeviceAndMarksAndDescribesAPresentOne) {
  struct Case {
    PortListItem item;
    const char* english;
    const char* polish;
  };
  const PortDetails none;
  const PortDetails adapter{"FT232R USB UART", "FTDI", "/dev/serial/by-id/usb-FTDI-if00-port0"};
  const Case cases[] = {
      {{1, "/dev/ttyS0", false, none}, "COM 1 (/dev/ttyS0)", "COM 1 (/dev/ttyS0)"},
      {{33, "/dev/ttyUSB0", true, none}, "COM 33 (/dev/ttyUSB0) — connected",
       "COM 33 (/dev/ttyUSB0) — podłączony"},
      {{33, "/dev/ttyUSB0", true, adapter}, "COM 33 (/dev/ttyUSB0) — connected: FT232R USB UART",
       "COM 33 (/dev/ttyUSB0) — podłączony: FT232R USB UART"},
      {{3, std::nullopt, true, none}, "COM 3 — connected", "COM 3 — podłączony"},
      {{200, std::nullopt, false, none}, "COM 200", "COM 200"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PortListEntry(c.item, Language::English), c.english);
    EXPECT_EQ(PortListEntry(c.item, Language::Polish), c.polish);
  }
}

// A machine as Linux shows it in /sys and /dev, in a folder of the test's
// own: an FTDI adapter on ttyUSB0 with its by-id link, a CDC modem on
// ttyACM0 whose maker's name is all it says (and that at length), a
// built-in ttyS0.
class FakeSysfs {
 public:
  FakeSysfs() {
    const fs::path usb = Sys() / "devices/pci0000:00/0000:00:14.0/usb1";
    Attributes(usb / "1-2", {{"idVendor", "0403"}, {"manufacturer", "FTDI"},
                             {"product", "FT232R USB UART\n"}});
    Tty("ttyUSB0", usb / "1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0", "../../../ttyUSB0");
    Attributes(usb / "1-3", {{"idVendor", "2341"},
                             {"manufacturer", "  Zakład Aparatury Medycznej \t Łódź, Śródmieście\n"}});
    Tty("ttyACM0", usb / "1-3/1-3:1.0/tty/ttyACM0", "../../../1-3:1.0");
    Tty("ttyS0", Sys() / "devices/platform/serial8250/tty/ttyS0", "../../../serial8250");
    for (const char* name : {"ttyUSB0", "ttyACM0", "ttyS0", "pts/3"}) {
      testkit::WriteFileText(Dev() / name, "");
    }
    fs::create_directories(Dev() / "serial/by-id");
    fs::create_symlink("../../ttyUSB0", ByIdLink());
  }

  fs::path Sys() const { return dir_.path() / "sys"; }
  fs::path Dev() const { return dir_.path() / "dev"; }
  fs::path ByIdLink() const {
    return Dev() / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  }

 private:
  static void Attributes(const fs::path& folder,
                         std::initializer_list<std::pair<const char*, const char*>> files) {
    for (const auto& [name, text] : files) testkit::WriteFileText(folder / name, text);
  }

  // /sys/class/tty/<name> links to `folder`, whose "device" is `device`.
  void Tty(const std::string& name, const fs::path& folder, const fs::path& device) {
    fs::create_directories(folder.parent_path() / device);
    fs::create_directories(folder);
    fs::create_symlink(device, folder / "device");
    fs::create_directories(Sys() / "class/tty");
    fs::create_symlink(fs::relative(folder, Sys() / "class/tty"), Sys() / "class/tty" / name);
  }

  testkit::TempDir dir_;
};

TEST_F(PortMapTest, SysfsDescribesUsbAdaptersAndNothingElse) {
  const FakeSysfs machine;
  const SysfsPortDescriber describer(machine.Sys(), machine.Dev());
  const std::string byId = machine.ByIdLink().string();
  const struct { fs::path device; PortDetails details; } cases[] = {
      {machine.Dev() / "ttyUSB0", {"FT232R USB UART", "FTDI", byId}},
      {machine.ByIdLink(), {"FT232R USB UART", "FTDI", byId}},
      // No product: the maker stands in, control bytes gone, cut to 40
      // bytes before the letter it would split, no space left at the end.
      {machine.Dev() / "ttyACM0",
       {"Zakład Aparatury Medycznej   Łódź,", "Zakład Aparatury Medycznej   Łódź,",
        std::nullopt}},
      {machine.Dev() / "ttyS0", {}},
      {machine.Dev() / "pts/3", {}},
      {machine.Dev() / "ttyUSB9", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    const PortDetails details = describer.Describe(c.device.string());
    EXPECT_EQ(details.description, c.details.description);
    EXPECT_EQ(details.manufacturer, c.details.manufacturer);
    EXPECT_EQ(details.byIdPath, c.details.byIdPath);
  }

  WriteSettings("[Ports]\nCOM150=" + byId + "\nCOM151=" + (machine.Dev() / "ttyS0").string() +
                "\nCOM152=" + (machine.Dev() / "ttyUSB1").string() + "\n");
  const auto items = PortListItems(describer);
  EXPECT_EQ(PortListEntry(items[149], Language::English),
            "COM 150 (" + byId + ") — connected: FT232R USB UART");
  EXPECT_EQ(items[150].details, PortDetails{});
  EXPECT_FALSE(items[151].present);
}

TEST_F(PortMapTest, PresenceFollowsThePath) {
  EXPECT_TRUE(PortDevicePresent("/dev/null"));
  EXPECT_FALSE(PortDevicePresent((home_.root() / "nothing").string()));
  EXPECT_FALSE(PortDevicePresent(""));
}

}  // namespace
}  // namespace zv
