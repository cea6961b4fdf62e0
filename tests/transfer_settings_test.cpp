// The four persisted settings as the dialog loads and saves them. No
// serial line takes part, so these run on every platform.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <string>

#include "kit/fake_dialog_view.h"
#include "kit/temp_env.h"
#include "res/resource.h"
#include "support/paths.h"
#include "transfer/transfer_control.h"

namespace zv {
namespace {

using testkit::FakeDialogView;
using testkit::ReadFileText;
using testkit::WriteFileText;
using ::testing::HasSubstr;
using Values = std::array<int, 4>;

// The four values the dialog holds: "Device", "Com", "CodeDest",
// "CodeSource".
Values Held(const TransferControl& control) {
  return {control.modelIndex(), control.portIndex, control.targetSelection,
          control.sourceSelection};
}

class TransferSettingsTest : public ::testing::Test {
 protected:
  std::string Stored() { return ReadFileText(SettingsFilePath()); }

  testkit::IsolatedHome home_;
  FakeDialogView view_;
  TransferControl control_{view_};
};

TEST_F(TransferSettingsTest, AnEmptyStoreGivesTheDefaults) {
  control_.setModelIndex(1);
  control_.portIndex = 9;
  control_.targetSelection = 0;
  control_.sourceSelection = 1;

  control_.LoadSettings();

  EXPECT_EQ(Held(control_), (Values{0, 0, 2, 0}));
}

TEST_F(TransferSettingsTest, SavedValuesComeBackAndOtherEntriesStay) {
  WriteFileText(SettingsFilePath(), "; mine\n[Ports]\nCOM1=/dev/ttyUSB3\n");
  view_.CheckModel(1);
  view_.SelectListEntry(IDC_CODE_DEST, 3);
  view_.SelectListEntry(IDC_CODE_SOURCE, 1);
  view_.SelectListEntry(IDC_PORT, 5);  // not read: the index follows focus loss
  control_.portIndex = 200;

  control_.SaveSettings();

  const std::string stored = Stored();
  EXPECT_THAT(stored, HasSubstr("; mine"));
  EXPECT_THAT(stored, HasSubstr("COM1=/dev/ttyUSB3"));
  const auto device = stored.find("Device=1");
  const auto com = stored.find("Com=200");
  const auto dest = stored.find("CodeDest=3");
  const auto source = stored.find("CodeSource=1");
  ASSERT_NE(device, std::string::npos);
  ASSERT_NE(source, std::string::npos);
  EXPECT_LT(device, com);
  EXPECT_LT(com, dest);
  EXPECT_LT(dest, source);
  EXPECT_LT(stored.find("[Settings]"), device);

  FakeDialogView nextView;
  TransferControl next(nextView);
  next.LoadSettings();
  EXPECT_EQ(Held(next), (Values{1, 200, 3, 1}));
}

TEST_F(TransferSettingsTest, StoredValuesOutOfRangeLoadAsDefaults) {
  const struct {
    const char* key;
    const char* stored;
    int loaded;
  } cases[] = {
      {"Device", "1", 1},       {"Device", "2", 0},      {"Device", "-1", 0},
      {"Com", "255", 255},      {"Com", "256", 0},       {"Com", "-1", 0},
      {"CodeDest", "0", 0},     {"CodeDest", "3", 3},    {"CodeDest", "4", 2},
      {"CodeDest", "-1", 2},    {"CodeSource", "1", 1},  {"CodeSource", "2", 0},
      {"CodeSource", "x", 0},
  };
  for (const auto& c : cases) {
    WriteFileText(SettingsFilePath(),
                  std::string("[Settings]\n") + c.key + "=" + c.stored + "\n");
    TransferControl control(view_);
    control.LoadSettings();
    const Values values = Held(control);
    const std::string keys[] = {"Device", "Com", "CodeDest", "CodeSource"};
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (keys[i] == c.key) {
        EXPECT_EQ(values[i], c.loaded) << c.key << "=" << c.stored;
      }
    }
  }
}

TEST_F(TransferSettingsTest, NothingSelectedIsSavedAsMinusOneAndLoadsAsDefault) {
  view_.CheckModel(-1);
  view_.SelectListEntry(IDC_CODE_DEST, -1);
  view_.SelectListEntry(IDC_CODE_SOURCE, 2);  // within the saving range

  control_.SaveSettings();

  EXPECT_EQ(control_.modelIndex(), -1);
  EXPECT_EQ(control_.targetSelection, -1);
  const std::string stored = Stored();
  EXPECT_THAT(stored, HasSubstr("Device=-1"));
  EXPECT_THAT(stored, HasSubstr("CodeDest=-1"));
  EXPECT_THAT(stored, HasSubstr("CodeSource=2"));

  TransferControl next(view_);
  next.LoadSettings();
  EXPECT_EQ(Held(next), (Values{0, 0, 2, 0}));
}

}  // namespace
}  // namespace zv
