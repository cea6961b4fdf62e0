// A settings file that is not what the program wrote: garbage, binary,
// huge, out of range, or not a file at all. The program starts with the
// defaults, never crashes, and its next save leaves a file that reads back
// what was saved and still holds the user's port mappings.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "kit/fake_dialog_view.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "settings/ini_file.h"
#include "support/paths.h"
#include "support/port_map.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::FakeDialogView;
using testkit::IsolatedHome;
using testkit::ReadFileText;
using testkit::WriteFileText;

constexpr const char* kMapping = "/dev/serial/by-id/usb-clinic-adapter-if00";
const std::string kPortsSection = std::string("[Ports]\nCOM3=") + kMapping + "\n";

struct Loaded {
  int model, port, target, source;
  bool operator==(const Loaded&) const = default;
};

void PrintTo(const Loaded& l, std::ostream* out) {
  *out << "{model " << l.model << ", port " << l.port << ", target " << l.target
       << ", source " << l.source << "}";
}

constexpr Loaded kDefaults{0, 0, 2, 0};

Loaded LoadThroughDialog() {
  FakeDialogView view;
  TransferControl control(view);
  control.LoadSettings();
  return {control.modelIndex(), control.portIndex, control.targetSelection,
          control.sourceSelection};
}

// The user picks ZORVEL B, COM 6, "MS Windows" and "RS 232", then closes.
void SaveThroughDialog() {
  FakeDialogView view;
  TransferControl control(view);
  control.LoadSettings();
  view.CheckModel(kModelB);
  view.SelectListEntry(IDC_CODE_DEST, 3);
  view.SelectListEntry(IDC_CODE_SOURCE, 1);
  control.portIndex = 5;
  control.SaveSettings();
}

constexpr Loaded kSaved{kModelB, 5, 3, 1};

std::string RandomBytes(std::size_t size, unsigned seed, bool printable) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(printable ? 0x20 : 0, printable ? 0x7E : 0xFF);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(byte(random));
  if (printable) {
    for (std::size_t i = 37; i < size; i += 53) text[i] = '\n';
  }
  return text;
}

struct BadFile {
  const char* name;
  std::string text;
};

void PrintTo(const BadFile& file, std::ostream* out) { *out << file.name; }

class BadSettingsFile : public testing::TestWithParam<BadFile> {
 protected:
  IsolatedHome home_;
};

TEST_P(BadSettingsFile, LoadsDefaultsAndTheNextSaveReadsBackKeepingPortMappings) {
  WriteFileText(SettingsFilePath(), GetParam().text);

  EXPECT_EQ(LoadThroughDialog(), kDefaults);
  EXPECT_EQ(PortDevice(3), kMapping);

  SaveThroughDialog();
  EXPECT_EQ(LoadThroughDialog(), kSaved);
  EXPECT_EQ(PortDevice(3), kMapping);
  const IniFile saved = IniFile::Parse(ReadFileText(SettingsFilePath()));
  EXPECT_EQ(saved.Get("Settings", "Device"), "1");
  EXPECT_EQ(saved.Get("Settings", "Com"), "5");
  EXPECT_EQ(saved.Get("Settings", "CodeDest"), "3");
  EXPECT_EQ(saved.Get("Settings", "CodeSource"), "1");
  EXPECT_EQ(saved.Get("Ports", "COM3"), kMapping);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadSettingsFile,
    testing::Values(
        BadFile{"Garbage", RandomBytes(4000, 1, true) + "\n" + kPortsSection},
        BadFile{"GarbageAfterThePorts", kPortsSection + RandomBytes(4000, 2, true)},
        BadFile{"Binary", kPortsSection + RandomBytes(64 * 1024, 3, false)},
        BadFile{"BinaryBeforeThePorts",
                std::string("\0\xff\xfe\r\r\x1b[Settings\0]\n", 16) + "\n" + kPortsSection},
        BadFile{"OutOfRange", "[Settings]\nDevice=7\nCom=-3\nCodeDest=99\nCodeSource=2\n" +
                                  kPortsSection},
        BadFile{"NotNumbers", "[Settings]\nDevice=B\nCom=0x10\nCodeDest=2.0\nCodeSource=\n" +
                                  kPortsSection},
        BadFile{"Overflow", "[Settings]\nDevice=4294967297\nCom=99999999999999999999\n"
                            "CodeDest=-2147483649\nCodeSource=18446744073709551617\n" +
                                kPortsSection},
        BadFile{"BrokenSectionLines", "[Settings\nDevice=1\n]Settings[\nCom=3\n[]\n=2\n" +
                                          kPortsSection},
        BadFile{"DuplicateSettingsEachBroken",
                kPortsSection + "[Settings]\nDevice=9\n[settings]\nDevice=1\n"},
        BadFile{"CarriageReturnsOnly", "[Settings]\rDevice=1\rCom=4\r\n" + kPortsSection},
        BadFile{"HugeWithPortsFirst", kPortsSection + "[Settings]\n" +
                                          std::string(6 * 1024 * 1024, 'x') + "\nDevice=1\n"}));

// The settings path is a folder, or its folder is a regular file: the
// program runs on the defaults and a save that cannot be written is
// dropped without harm.
TEST(SettingsFileUnusable, PathIsAFolder) {
  IsolatedHome home;
  fs::create_directories(SettingsFilePath());
  EXPECT_EQ(LoadThroughDialog(), kDefaults);
  SaveThroughDialog();
  EXPECT_TRUE(fs::is_directory(SettingsFilePath()));
  EXPECT_EQ(LoadThroughDialog(), kDefaults);
}

TEST(SettingsFileUnusable, FolderIsARegularFile) {
  IsolatedHome home;
  WriteFileText(SettingsFilePath().parent_path(), "not a folder");
  EXPECT_EQ(LoadThroughDialog(), kDefaults);
  SaveThroughDialog();
  EXPECT_EQ(ReadFileText(SettingsFilePath().parent_path()), "not a folder");
  EXPECT_EQ(LoadThroughDialog(), kDefaults);
}

}  // namespace
}  // namespace zv
