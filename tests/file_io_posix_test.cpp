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
#include "settings/profile.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "transfer/archive.h"
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
    result = RealFileWriter().WriteAtomic(target, large, Owner::User);
  }

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, std::make_error_code(std::errc::file_too_large).message());
  EXPECT_EQ(ReadFileText(target), "the good old result");
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"result.txt"});

  ASSERT_TRUE(RealFileWriter().WriteAtomic(target, large, Owner::User).ok)
      << "succeeds once the cause is gone";
  EXPECT_EQ(ReadFileText(target), std::string(large.begin(), large.end()));
}

TEST(WriteAtomicPosix, RefusesToReplaceASpecialFile) {
  TempDir dir;
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  const FileResult result =
      RealFileWriter().WriteAtomic(fifo, std::vector<std::uint8_t>{'x'}, Owner::User);

  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"pipe"});
}

// Links, each to a file of the user's in a private folder ("real"). The
// system's protection of shared folders decides which are followed: in a
// folder that is sticky and writable by all, as /tmp is, only a link of
// the user's or of the folder's owner. Another user's link there, also one
// standing for a folder on the way, is refused and nothing is written.
TEST(WriteAtomicPosix, FollowsALinkOnlyWhereTheSystemsProtectionWould) {
  constexpr uid_t kOtherUser = 4242;
  const struct {
    const char* name;
    bool sticky;      // the link's folder is sticky and writable by all
    uid_t linkOwner;  // 0: the user's own
    uid_t folderOwner;
    const char* target;  // written through the link's folder
    bool followed;
  } cases[] = {
      {"ALinkInAPrivateFolder", false, 0, 0, "link.txt", true},
      {"TheUsersOwnLinkInASharedFolder", true, 0, 0, "link.txt", true},
      {"ALinkOfTheSharedFoldersOwner", true, kOtherUser, kOtherUser, "link.txt", true},
      {"AnotherUsersLinkInASharedFolder", true, kOtherUser, 0, "link.txt", false},
      {"AnotherUsersFolderLinkInASharedFolder", true, kOtherUser, 0, "folder/result.txt", false},
  };
  if (::geteuid() != 0) GTEST_SKIP() << "making another user's link needs the superuser";
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path shared = dir.path() / "shared";
    const fs::path file = dir.path() / "real" / "result.txt";
    WriteFileText(file, "old");
    fs::create_directory(shared);
    fs::permissions(shared, c.sticky ? fs::perms::all | fs::perms::sticky_bit : fs::perms::owner_all);
    fs::create_symlink(file, shared / "link.txt");
    fs::create_symlink(file.parent_path(), shared / "folder");
    for (const char* link : {"link.txt", "folder"})
      ASSERT_EQ(::lchown((shared / link).c_str(), c.linkOwner, 0), 0);
    ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);

    const FileResult result =
        RealFileWriter().WriteAtomic(shared / c.target, Bytes("new"), Owner::User);

    EXPECT_EQ(result.ok, c.followed) << c.name << ": " << result.reason;
    EXPECT_EQ(ReadFileText(file), c.followed ? "new" : "old") << c.name;
    EXPECT_TRUE(fs::is_symlink(shared / "link.txt")) << c.name;
    EXPECT_EQ(Entries(shared).size(), 2u) << c.name;
  }
}

TEST(WriteAtomicPosix, AReplacedFileKeepsItsPermissions) {
  TempDir dir;
  const fs::path target = dir.path() / "private.txt";
  WriteFileText(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

  ASSERT_TRUE(RealFileWriter().WriteAtomic(target, Bytes("n"), Owner::User).ok);

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
                                          std::vector<std::uint8_t>{'n'}, Owner::User);
  });
  fs::permissions(locked, fs::perms::owner_all);
  ASSERT_TRUE(ran) << "could not drop this thread's privileges";

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason,
            std::make_error_code(std::errc::permission_denied).message());
  EXPECT_EQ(ReadFileText(locked / "result.txt"), "old");
  EXPECT_EQ(Entries(locked), std::vector<fs::path>{"result.txt"});
}

// A read-only file is not replaced, although its folder would allow it;
// written without privileges, which would allow it too.
TEST(WriteAtomicPosix, AReadOnlyFileIsRefusedAndKept) {
  TempDir dir;
  const fs::path target = dir.path() / "result.txt";
  WriteFileText(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  FileResult result;
  ASSERT_TRUE(testkit::RunUnprivileged(
      [&] { result = RealFileWriter().WriteAtomic(target, Bytes("n"), Owner::User); }));
  EXPECT_EQ(result.reason, "The file is read-only");
  EXPECT_EQ(ReadFileText(target), "old");
  EXPECT_EQ(Entries(dir.path()), std::vector<fs::path>{"result.txt"});
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

// The program's own folders and files are the user's alone whatever the
// umask: the raw dumps, the archive and the settings, with a data folder
// that an earlier version left open to others. Files the user names follow
// the umask, as other programs' files do.
TEST(Privacy, TheProgramsOwnFilesAreTheUsersAloneUnderUmask022) {
  testkit::IsolatedHome home;
  fs::create_directories(RawDumpFolder());
  fs::permissions(RawDumpFolder(), fs::perms(0755));
  const mode_t oldUmask = ::umask(022);
  ASSERT_TRUE(WriteRawDump(kModelB, Bytes("raw"), RealFileWriter()).ok);
  const TransferArchive::Kept kept = TransferArchive().Keep(kModelB, Bytes("raw"));
  int com = 3;
  SerialProfileInt(kProfileSave, "Settings", "Com", com, 0, 0, 255, false);
  const fs::path named = home.root() / "named" / "tests.txt";
  const bool userFolderMade = EnsureFolder(named.parent_path(), Owner::User).ok;
  const bool userFileMade = RealFileWriter().WriteAtomic(named, Bytes("text"), Owner::User).ok;
  ::umask(oldUmask);
  ASSERT_TRUE(kept.result.ok && userFolderMade && userFileMade);

  const struct { fs::path path; fs::perms mode; } expected[] = {
      {RawDumpFolder(), fs::perms(0700)},    {RawDumpPath(kModelB), fs::perms(0600)},
      {ArchiveFolder(), fs::perms(0700)},    {kept.file, fs::perms(0600)},
      {home.ConfigHome() / "VAQ", fs::perms(0700)}, {SettingsFilePath(), fs::perms(0600)},
      {named.parent_path(), fs::perms(0755)}, {named, fs::perms(0644)}};
  for (const auto& e : expected) EXPECT_EQ(fs::status(e.path).permissions(), e.mode) << e.path;
}

}  // namespace
}  // namespace zv
