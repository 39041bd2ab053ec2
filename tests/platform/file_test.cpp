// The file layer must behave like Windows handles on every platform: two
// opens in one process are two independent handles for sharing modes and
// byte locks.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "tests/support/temp_folder.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using platform::FileAccess;
using platform::FileDisposition;
using platform::FileError;
namespace share = platform::share;

std::unique_ptr<platform::File> MustOpen(const std::string& path, FileAccess access, unsigned share_flags,
                                         FileDisposition disposition = FileDisposition::kOpenExisting) {
  std::unique_ptr<platform::File> file;
  FileError e = platform::OpenFile(path, access, share_flags, disposition, &file);
  EXPECT_EQ(e, FileError::kNone) << platform::FileErrorName(e);
  return file;
}

FileError TryOpen(const std::string& path, FileAccess access, unsigned share_flags) {
  std::unique_ptr<platform::File> file;
  return platform::OpenFile(path, access, share_flags, FileDisposition::kOpenExisting, &file);
}

TEST(FileLayer, ReadsWritesSizesAndTruncates) {
  qktest::TempFolder folder;
  std::string path = folder.File("data.bin");
  auto file = MustOpen(path, FileAccess::kReadWrite, share::kReadWrite, FileDisposition::kCreateAlways);
  ASSERT_TRUE(file);
  ASSERT_EQ(file->Write(10, "abcdef", 6), FileError::kNone);
  std::uint64_t size = 0;
  ASSERT_EQ(file->Size(&size), FileError::kNone);
  EXPECT_EQ(size, 16u);

  char buffer[32] = {};
  std::size_t got = 99;
  ASSERT_EQ(file->Read(0, buffer, sizeof buffer, &got), FileError::kNone);
  EXPECT_EQ(got, 16u);  // short read at the end, not an error
  EXPECT_EQ(buffer[0], '\0');  // the gap before the write reads as zeros
  EXPECT_EQ(std::memcmp(buffer + 10, "abcdef", 6), 0);
  ASSERT_EQ(file->Read(100, buffer, 4, &got), FileError::kNone);
  EXPECT_EQ(got, 0u);

  ASSERT_EQ(file->Truncate(12), FileError::kNone);
  ASSERT_EQ(file->Size(&size), FileError::kNone);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(file->Flush(), FileError::kNone);

  auto reader = MustOpen(path, FileAccess::kRead, share::kReadWrite);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Write(0, "x", 1), FileError::kAccessDenied);
  EXPECT_EQ(reader->Truncate(0), FileError::kAccessDenied);
}

TEST(FileLayer, MissingFilesAndBadPaths) {
  qktest::TempFolder folder;
  EXPECT_EQ(TryOpen(folder.File("absent.vdb"), FileAccess::kRead, share::kReadWrite), FileError::kNotFound);
  FileError in_missing_folder = TryOpen(folder.File("no-such-folder/x.vdb"), FileAccess::kRead, share::kReadWrite);
  EXPECT_TRUE(in_missing_folder == FileError::kBadPath || in_missing_folder == FileError::kNotFound)
      << platform::FileErrorName(in_missing_folder);
  EXPECT_EQ(TryOpen("", FileAccess::kRead, share::kReadWrite), FileError::kBadPath);
  EXPECT_EQ(TryOpen(folder.path().string(), FileAccess::kRead, share::kReadWrite), FileError::kAccessDenied);
  EXPECT_EQ(platform::RemoveFile(folder.File("absent.vdb")), FileError::kNotFound);
}

// Whether a second open is allowed, as Windows decides it.
struct ShareCase {
  FileAccess first_access;
  unsigned first_share;
  FileAccess second_access;
  unsigned second_share;
  bool allowed;
};

TEST(FileLayer, SharingModesDecideSecondOpens) {
  const ShareCase cases[] = {
      {FileAccess::kReadWrite, share::kReadWrite, FileAccess::kReadWrite, share::kReadWrite, true},
      {FileAccess::kReadWrite, share::kNone, FileAccess::kRead, share::kReadWrite, false},
      {FileAccess::kRead, share::kNone, FileAccess::kRead, share::kReadWrite, false},
      // Others may read, not write.
      {FileAccess::kReadWrite, share::kRead, FileAccess::kRead, share::kReadWrite, true},
      {FileAccess::kReadWrite, share::kRead, FileAccess::kReadWrite, share::kReadWrite, false},
      // The second open must let the first keep writing.
      {FileAccess::kReadWrite, share::kReadWrite, FileAccess::kRead, share::kRead, false},
      {FileAccess::kRead, share::kReadWrite, FileAccess::kRead, share::kRead, true},
      // Others may write, not read.
      {FileAccess::kReadWrite, share::kWrite, FileAccess::kRead, share::kReadWrite, false},
      {FileAccess::kRead, share::kReadWrite, FileAccess::kReadWrite, share::kWrite, false},
  };
  qktest::TempFolder folder;
  std::string path = folder.File("shared.vdb");
  MustOpen(path, FileAccess::kReadWrite, share::kNone, FileDisposition::kCreateAlways);
  int n = 0;
  for (const ShareCase& c : cases) {
    SCOPED_TRACE(n++);
    auto first = MustOpen(path, c.first_access, c.first_share);
    ASSERT_TRUE(first);
    FileError second = TryOpen(path, c.second_access, c.second_share);
    EXPECT_EQ(second, c.allowed ? FileError::kNone : FileError::kSharingViolation);
  }
  // Every refused open left nothing behind: an exclusive open works now.
  EXPECT_TRUE(MustOpen(path, FileAccess::kReadWrite, share::kNone));
}

TEST(FileLayer, RefusedCreateDoesNotTruncate) {
  qktest::TempFolder folder;
  std::string path = folder.File("keep.vdb");
  auto owner = MustOpen(path, FileAccess::kReadWrite, share::kNone, FileDisposition::kCreateAlways);
  ASSERT_TRUE(owner);
  ASSERT_EQ(owner->Write(0, "QVDB", 4), FileError::kNone);
  std::unique_ptr<platform::File> again;
  EXPECT_EQ(platform::OpenFile(path, FileAccess::kReadWrite, share::kNone, FileDisposition::kCreateAlways, &again),
            FileError::kSharingViolation);
  std::uint64_t size = 0;
  ASSERT_EQ(owner->Size(&size), FileError::kNone);
  EXPECT_EQ(size, 4u);
}

TEST(FileLayer, ByteLocksBelongToEachOpen) {
  qktest::TempFolder folder;
  std::string path = folder.File("locks.vdb");
  auto a = MustOpen(path, FileAccess::kReadWrite, share::kReadWrite, FileDisposition::kCreateAlways);
  auto b = MustOpen(path, FileAccess::kReadWrite, share::kReadWrite);
  auto r = MustOpen(path, FileAccess::kRead, share::kReadWrite);
  ASSERT_TRUE(a && b && r);
  ASSERT_EQ(a->Lock(16, 1), FileError::kNone);
  EXPECT_EQ(b->Lock(16, 1), FileError::kLockViolation);
  EXPECT_EQ(r->Lock(16, 1), FileError::kLockViolation);
  EXPECT_EQ(b->Lock(0, 0x7FFFFFFF), FileError::kLockViolation);  // overlaps
  EXPECT_EQ(b->Lock(17, 1), FileError::kNone);
  EXPECT_EQ(a->Lock(17, 1), FileError::kLockViolation);
  ASSERT_EQ(a->Unlock(16, 1), FileError::kNone);
  EXPECT_EQ(b->Lock(16, 1), FileError::kNone);
  EXPECT_EQ(b->Unlock(16, 1), FileError::kNone);
  EXPECT_EQ(b->Unlock(17, 1), FileError::kNone);
  // Far beyond the end of the file is lockable too (the engine locks the
  // next record's byte before it exists).
  EXPECT_EQ(r->Lock(0x7FFFFFFE, 1), FileError::kNone);
  EXPECT_EQ(a->Lock(0x7FFFFFFE, 1), FileError::kLockViolation);
  // Closing an open drops its locks.
  r.reset();
  EXPECT_EQ(a->Lock(0x7FFFFFFE, 1), FileError::kNone);
}

TEST(FileLayer, DeletingAnOpenFileIsRefused) {
  qktest::TempFolder folder;
  std::string path = folder.File("busy.vdb");
  auto file = MustOpen(path, FileAccess::kReadWrite, share::kReadWrite, FileDisposition::kCreateAlways);
  ASSERT_TRUE(file);
  EXPECT_EQ(platform::RemoveFile(path), FileError::kSharingViolation);
  EXPECT_EQ(platform::QueryPath(path), platform::PathKind::kFile);
  file.reset();
  EXPECT_EQ(platform::RemoveFile(path), FileError::kNone);
  EXPECT_EQ(platform::QueryPath(path), platform::PathKind::kNone);
  EXPECT_EQ(platform::QueryPath(folder.path().string()), platform::PathKind::kFolder);
}

TEST(FileLayer, FullPathsAreAbsoluteAndNormalised) {
  std::string full;
  ASSERT_EQ(platform::FullPathName("a\\b\\..\\c.vdb", &full), FileError::kNone);
  std::string cwd = platform::CurrentDirectory();
  ASSERT_GT(full.size(), cwd.size());
  EXPECT_EQ(full.compare(0, cwd.size(), cwd), 0) << full;
  std::string tail = full.substr(cwd.size());
  EXPECT_TRUE(tail == "\\a\\c.vdb" || tail == "/a/c.vdb") << tail;
  EXPECT_EQ(platform::FullPathName("", &full), FileError::kBadPath);
}

TEST(FileLayer, GbkNamesReachTheFileSystem) {
  qktest::TempFolder folder;
  std::string gbk_name = "数据库.vdb";  // GBK bytes (exec charset)
  std::string path = folder.path().string() + "\\" + gbk_name;
  auto file = MustOpen(path, FileAccess::kReadWrite, share::kReadWrite, FileDisposition::kCreateAlways);
  ASSERT_TRUE(file);
  file.reset();
  EXPECT_TRUE(std::filesystem::exists(folder.path() / std::filesystem::u8path(u8"数据库.vdb")));
  EXPECT_EQ(platform::QueryPath(path), platform::PathKind::kFile);
}

#ifndef _WIN32
// Another process's opens and locks count the same.
TEST(FileLayer, OtherProcessesSeeSharingAndLocks) {
  qktest::TempFolder folder;
  std::string path = folder.File("two.vdb");
  auto mine = MustOpen(path, FileAccess::kReadWrite, share::kRead, FileDisposition::kCreateAlways);
  ASSERT_TRUE(mine);
  ASSERT_EQ(mine->Lock(100, 1), FileError::kNone);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int status = 0;
    if (TryOpen(path, FileAccess::kReadWrite, share::kReadWrite) != FileError::kSharingViolation) status |= 1;
    std::unique_ptr<platform::File> reader;
    if (platform::OpenFile(path, FileAccess::kRead, share::kReadWrite, FileDisposition::kOpenExisting, &reader) !=
        FileError::kNone)
      status |= 2;
    else if (reader->Lock(100, 1) != FileError::kLockViolation || reader->Lock(101, 1) != FileError::kNone)
      status |= 4;
    _exit(status);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
