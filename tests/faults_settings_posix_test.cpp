// A settings file that is a link to an endless device, or a pipe with no
// writer, must neither hang nor swamp the start: the program runs on the
// defaults.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "kit/fake_dialog_view.h"
#include "kit/temp_env.h"
#include "support/paths.h"
#include "support/port_map.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

TEST(SettingsFileUnusable, LinkToAnEndlessDeviceGivesTheDefaults) {
  testkit::IsolatedHome home;
  fs::create_directories(SettingsFilePath().parent_path());
  fs::create_symlink("/dev/zero", SettingsFilePath());

  testkit::FakeDialogView view;
  TransferControl control(view);
  control.LoadSettings();
  EXPECT_EQ(control.modelIndex(), 0);
  EXPECT_EQ(control.portIndex, 0);
  EXPECT_EQ(control.targetSelection, 2);
  EXPECT_EQ(control.sourceSelection, 0);
  EXPECT_EQ(PortDevice(3), DefaultPortDevice(3));
}

// Opening a pipe for reading waits for a writer that never comes.
TEST(SettingsFileUnusable, APipeInPlaceOfTheFileDoesNotBlockTheStart) {
  testkit::IsolatedHome home;
  fs::create_directories(SettingsFilePath().parent_path());
  ASSERT_EQ(mkfifo(SettingsFilePath().c_str(), 0600), 0);

  testkit::FakeDialogView view;
  TransferControl control(view);
  control.LoadSettings();
  EXPECT_EQ(control.modelIndex(), 0);
  EXPECT_EQ(control.targetSelection, 2);
  EXPECT_EQ(PortDevice(1), DefaultPortDevice(1));
}

}  // namespace
}  // namespace zv
