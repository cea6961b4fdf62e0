// Reading the files the tools are given.
#include "common/whole_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "kit/temp_env.h"

namespace zv::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ReadWholeFile, GivesEveryByteUnchanged) {
  testkit::TempDir dir;
  Bytes written;
  for (int i = 0; i < 200'000; ++i) written.push_back(static_cast<std::uint8_t>(i * 7));
  written.insert(written.end(), {'\r', '\n', 0x1A, 0x00, '\n'});  // no text-mode translation
  testkit::WriteFileText(dir.path() / "raw.bin", std::string(written.begin(), written.end()));
  Bytes read{1, 2, 3};
  std::string reason;
  ASSERT_TRUE(ReadWholeFile((dir.path() / "raw.bin").string(), read, reason)) << reason;
  EXPECT_EQ(read, written);

  testkit::WriteFileText(dir.path() / "empty.bin", "");
  ASSERT_TRUE(ReadWholeFile((dir.path() / "empty.bin").string(), read, reason));
  EXPECT_TRUE(read.empty());
}

TEST(ReadWholeFile, MissingFilesAndFoldersFailWithTheReason) {
  testkit::TempDir dir;
  Bytes read;
  std::string reason;
  EXPECT_FALSE(ReadWholeFile((dir.path() / "absent.bin").string(), read, reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(ReadWholeFile(dir.path().string(), read, reason)) << "a folder is no file";
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace zv::tools
