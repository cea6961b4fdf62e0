// Whole-file writes that replace a file only when complete, and the folder
// helper.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <string>
#include <vector>

#include "kit/temp_env.h"
#include "support/file_io.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::ReadFileBytes;
using testkit::ReadFileText;
using testkit::TempDir;
using testkit::WriteFileText;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> EveryByteValue(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder))
    entries.push_back(entry.path().filename());
  return entries;
}

TEST(WriteAtomic, WritesTheExactBytesOfAnyContent) {
  TempDir dir;
  const std::vector<std::vector<std::uint8_t>> contents = {
      {}, Bytes("a"), Bytes("line\r\nline\r\n"), EveryByteValue(256),
      EveryByteValue(3 * 1024 * 1024 + 17)};
  for (const auto& content : contents) {
    const fs::path target = dir.path() / "out.txt";
    const FileResult result = RealFileWriter().WriteAtomic(target, content, Owner::User);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(ReadFileBytes(target),
              std::vector<unsigned char>(content.begin(), content.end()))
        << content.size() << " bytes";
    EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"out.txt"})
        << "no temporary file stays behind";
  }
}

TEST(WriteAtomic, ReplacesAnExistingFileWhole) {
  TempDir dir;
  const fs::path target = dir.path() / "result.txt";
  WriteFileText(target, std::string(5000, 'x'));
  ASSERT_TRUE(RealFileWriter().WriteAtomic(target, Bytes("short"), Owner::User).ok);
  EXPECT_EQ(ReadFileText(target), "short");
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"result.txt"});
}

TEST(WriteAtomic, AcceptsAFileNameOfAnyLegalLength) {
  TempDir dir;
  const fs::path target = dir.path() / (std::string(240, 'n') + ".txt");
  const FileResult result = RealFileWriter().WriteAtomic(target, Bytes("x"), Owner::User);
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(ReadFileText(target), "x");
}

struct Failure {
  const char* name;
  // Prepares the folder and returns the target to write.
  fs::path (*prepare)(const fs::path& folder);
  // What the system says; Windows reports a path through a file as missing.
  std::vector<std::errc> reasons;
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class WriteAtomicFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(WriteAtomicFailure, ReportsTheReasonAndLeavesTheFolderAsItWas) {
  TempDir dir;
  const fs::path target = GetParam().prepare(dir.path());
  std::vector<fs::path> before = Entries(dir.path());

  const FileResult result =
      RealFileWriter().WriteAtomic(target, Bytes("new content"), Owner::User);

  EXPECT_FALSE(result.ok);
  if (fs::is_directory(dir.path() / "taken")) {
    EXPECT_EQ(ReadFileText(dir.path() / "taken" / "inside"), "keep");
  }
  std::vector<std::string> expected;
  for (std::errc reason : GetParam().reasons)
    expected.push_back(std::make_error_code(reason).message());
  EXPECT_THAT(result.reason, ::testing::AnyOfArray(expected));
  EXPECT_EQ(Entries(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, WriteAtomicFailure,
    ::testing::Values(
        Failure{"TargetIsAFolder",
                [](const fs::path& folder) {
                  fs::create_directory(folder / "taken");
                  WriteFileText(folder / "taken" / "inside", "keep");
                  return folder / "taken";
                },
                {std::errc::is_a_directory}},
        Failure{"PathThroughARegularFile",
                [](const fs::path& folder) {
                  WriteFileText(folder / "file", "plain");
                  return folder / "file" / "x.txt";
                },
                {std::errc::not_a_directory,
                 std::errc::no_such_file_or_directory}},
        Failure{"MissingFolder",
                [](const fs::path& folder) {
                  return folder / "missing" / "x.txt";
                },
                {std::errc::no_such_file_or_directory}}),
    [](const auto& info) { return std::string(info.param.name); });

// A write into one of the program's own folders clears what a killed
// writer left there an hour ago or more; nothing else, and a write of the
// user's clears nothing.
TEST(WriteAtomic, AProgramWriteRemovesItsOwnStaleTemporaryFiles) {
  const auto now = fs::file_time_type::clock::now();
  const struct { const char* name; std::chrono::minutes age; bool removed; } files[] = {
      {".2026-12-08_101503_ZVB.raw.Zz9Yy8", std::chrono::minutes(61), true},
      {".~ZVB.tmp.d4E5f6", std::chrono::minutes(59), false},  // a writer at work
      {".notes.txt", std::chrono::hours(48), false},
      {".~ZVB.tmp.a1B2c", std::chrono::hours(48), false},
      {".~ZVB.tmp.a1-2c3", std::chrono::hours(48), false},
      {"~ZVB.tmp.a1B2c3", std::chrono::hours(48), false},
  };
  for (const Owner owner : {Owner::User, Owner::Program}) {
    TempDir dir;
    for (const auto& f : files) {
      WriteFileText(dir.path() / f.name, "partial patient data");
      fs::last_write_time(dir.path() / f.name, now - f.age);
    }
    ASSERT_TRUE(RealFileWriter().WriteAtomic(dir.path() / "~ZVA.tmp", Bytes("raw"), owner).ok);
    for (const auto& f : files) {
      const bool removed = owner == Owner::Program && f.removed;
      EXPECT_EQ(fs::exists(dir.path() / f.name), !removed)
          << f.name << (owner == Owner::Program ? " (program's write)" : " (user's write)");
    }
  }
}

TEST(EnsureFolder, CreatesMissingParents) {
  TempDir dir;
  const fs::path folder = dir.path() / "a" / "b" / "c";
  ASSERT_TRUE(EnsureFolder(folder, Owner::User).ok);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(EnsureFolder(folder, Owner::User).ok) << "an existing folder is fine";
}

TEST(EnsureFolder, FailsWhereAFileIsInTheWay) {
  TempDir dir;
  WriteFileText(dir.path() / "file", "plain");
  for (const fs::path& folder : {dir.path() / "file", dir.path() / "file" / "sub"}) {
    const FileResult result = EnsureFolder(folder, Owner::User);
    EXPECT_FALSE(result.ok) << folder;
    EXPECT_FALSE(result.reason.empty());
  }
  EXPECT_EQ(ReadFileText(dir.path() / "file"), "plain");
}

}  // namespace
}  // namespace zv
