// Real write failures that only POSIX can stage inside a test: a file-size
// limit (a full disk as far as the writer can tell), special files, links
// and permissions. And the raw dump, whose folder follows $XDG_DATA_HOME
// here, so a test can give it a private home.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kit/fake_file_writer.h"
#include "kit/file_size_limit.h"
#include "kit/temp_env.h"
#include "kit/unprivileged.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "transfer/result_files.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::ReadFileBytes;
using testkit::ScopedFileSizeLimit;
using testkit::ReadFileText;
using testkit::TempDir;
using testkit::WriteFileText;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder))
    entries.push_back(entry.path().filename());
  return entries;
}

TEST(WriteAtomicPosix, AWriteCutShortKeepsTheOldFileAndLeavesNoPartialFile) {
  TempDir dir;
  const fs::path target = dir.path() / "result.txt";
  WriteFileText(target, "the good old result");
  const std::vector<std::uint8_t> large(64 * 1024, 'x');

  FileResult result;
  {
    ScopedFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    result = RealFileWriter().WriteAtomic(target, large);
  }

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, std::make_error_code(std::errc::file_too_large).message());
  EXPECT_EQ(ReadFileText(target), "the good old result");
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"result.txt"});

  ASSERT_TRUE(RealFileWriter().WriteAtomic(target, large).ok)
      << "succeeds once the cause is gone";
  EXPECT_EQ(ReadFileText(target), std::string(large.begin(), large.end()));
}

TEST(WriteAtomicPosix, RefusesToReplaceASpecialFile) {
  TempDir dir;
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  const FileResult result =
      RealFileWriter().WriteAtomic(fifo, std::vector<std::uint8_t>{'x'});

  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"pipe"});
}

TEST(WriteAtomicPosix, WritesThroughALinkAndKeepsTheLink) {
  TempDir dir;
  fs::create_directory(dir.path() / "real");
  const fs::path file = dir.path() / "real" / "result.txt";
  const fs::path link = dir.path() / "link.txt";
  WriteFileText(file, "old");
  fs::create_symlink(file, link);

  ASSERT_TRUE(
      RealFileWriter().WriteAtomic(link, std::vector<std::uint8_t>{'n', 'e', 'w'}).ok);

  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileText(file), "new");
}

TEST(WriteAtomicPosix, AReplacedFileKeepsItsPermissions) {
  TempDir dir;
  const fs::path target = dir.path() / "private.txt";
  WriteFileText(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

  ASSERT_TRUE(RealFileWriter().WriteAtomic(target, std::vector<std::uint8_t>{'n'}).ok);

  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

// Written by a thread without privileges, so the folder's permissions bind
// the superuser too.
TEST(WriteAtomicPosix, AFolderWithoutWritePermissionFailsCleanly) {
  TempDir dir;
  const fs::path locked = dir.path() / "locked";
  fs::create_directory(locked);
  WriteFileText(locked / "result.txt", "old");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);

  FileResult result;
  const bool ran = testkit::RunUnprivileged([&] {
    result = RealFileWriter().WriteAtomic(locked / "result.txt",
                                          std::vector<std::uint8_t>{'n'});
  });
  fs::permissions(locked, fs::perms::owner_all);
  ASSERT_TRUE(ran) << "could not drop this thread's privileges";

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason,
            std::make_error_code(std::errc::permission_denied).message());
  EXPECT_EQ(ReadFileText(locked / "result.txt"), "old");
  EXPECT_EQ(Entries(locked), std::vector<fs::path>{"result.txt"});
}

TEST(RawDump, GoesToTheModelsFileInAFolderCreatedWhenMissing) {
  const struct {
    int model;
    const char* file;
  } cases[] = {{0, "~ZVA.tmp"}, {1, "~ZVB.tmp"}, {-1, "~ZVB.tmp"}, {7, "~ZVB.tmp"}};
  for (const auto& c : cases) {
    testkit::IsolatedHome home;
    ASSERT_FALSE(fs::exists(RawDumpFolder()));
    const std::vector<std::uint8_t> raw = {0x1B, 'N', 0x00, 0xFF, '\r', '\n'};

    const FileResult result = WriteRawDump(c.model, raw, RealFileWriter());

    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(Entries(RawDumpFolder()), std::vector<fs::path>{c.file})
        << "model " << c.model;
    EXPECT_EQ(ReadFileBytes(RawDumpFolder() / c.file),
              std::vector<unsigned char>(raw.begin(), raw.end()));
  }
}

TEST(RawDump, AFolderThatCannotBeMadeFailsWithoutWriting) {
  testkit::IsolatedHome home;
  WriteFileText(RawDumpFolder(), "a file where the folder belongs");
  testkit::FakeFileWriter writer;

  const FileResult result = WriteRawDump(0, Bytes("raw"), writer);

  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(writer.Writes().empty());
}

TEST(RawDump, PassesTheWritersFailureOn) {
  testkit::IsolatedHome home;
  testkit::FakeFileWriter writer;
  writer.Fail("No space left on device");

  const FileResult result = WriteRawDump(1, Bytes("raw"), writer);

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "No space left on device");
  EXPECT_FALSE(fs::exists(RawDumpPath(1)));
}

}  // namespace
}  // namespace zv
