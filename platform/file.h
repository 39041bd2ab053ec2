// Files with Windows semantics on every platform: sharing modes decided at
// open time, non-blocking single-range byte locks held per open (two opens in
// one process behave like two handles), positional reads and writes, and
// failures reported by cause.
//
// Paths are GBK; "\\" and "/" both separate folders. Every call goes through
// the installed FileSystem, so tests can swap in one that fails on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Why a file operation failed. The order follows the database engine's file
// error codes (kNone = 0, kGeneric = -1, ... kEndOfFile = -15), so
// FileErrorCode() is a plain negation.
enum class FileError : int {
  kNone = 0,
  kGeneric = 1,
  kNotFound = 3,
  kBadPath = 4,
  kTooManyOpen = 5,
  kAccessDenied = 6,
  kInvalidHandle = 7,
  kRemoveCurrentDir = 8,
  kDirectoryFull = 9,
  kSeek = 10,
  kHardware = 11,
  kSharingViolation = 12,
  kLockViolation = 13,
  kDiskFull = 14,
  kEndOfFile = 15,
};

// The engine's code for a cause: 0 or -1..-15.
inline int FileErrorCode(FileError e) { return -static_cast<int>(e); }
// A short English name for diagnostics ("sharing violation").
const char* FileErrorName(FileError e);

enum class FileAccess { kRead, kReadWrite };

// What other opens of the same file may do while this one is open.
namespace share {
inline constexpr unsigned kNone = 0;   // exclusive
inline constexpr unsigned kRead = 1;   // others may read
inline constexpr unsigned kWrite = 2;  // others may write
inline constexpr unsigned kReadWrite = kRead | kWrite;
}  // namespace share

enum class FileDisposition {
  kOpenExisting,  // fail with kNotFound when absent
  kCreateAlways,  // create, or truncate an existing file to 0 bytes
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to n bytes at pos; *got says how many (fewer only at the end).
  virtual FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) = 0;
  // Writes all n bytes at pos, extending the file as needed.
  virtual FileError Write(std::uint64_t pos, const void* data, std::size_t n) = 0;
  virtual FileError Size(std::uint64_t* size) = 0;
  // Sets the file's length (cuts or zero-extends).
  virtual FileError Truncate(std::uint64_t size) = 0;
  virtual FileError Flush() = 0;
  // Exclusive lock of [pos, pos + length), not waiting: kLockViolation when
  // another open holds any byte of it. Locking a range already held by this
  // same open is not allowed on every platform; callers keep track.
  virtual FileError Lock(std::uint64_t pos, std::uint64_t length) = 0;
  // Releases exactly a range given to Lock before.
  virtual FileError Unlock(std::uint64_t pos, std::uint64_t length) = 0;
};

enum class PathKind { kNone, kFile, kFolder };

// The operating system's files. Replace it with InstallFileSystem() to watch
// or fail operations in tests.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual FileError Open(const std::string& path_gbk, FileAccess access, unsigned share_flags,
                         FileDisposition disposition, std::unique_ptr<File>* out) = 0;
  // Absolute, normalised path (GBK, the platform's own separators).
  virtual FileError FullPath(const std::string& path_gbk, std::string* out) = 0;
  // Refused with kSharingViolation while the file is open anywhere.
  virtual FileError Delete(const std::string& path_gbk) = 0;
  virtual PathKind Query(const std::string& path_gbk) = 0;
};

// The operating system's own file system.
FileSystem& NativeFileSystem();
FileSystem& CurrentFileSystem();
// Installs another file system (null restores the native one); returns the
// previous one installed (null when it was the native one).
FileSystem* InstallFileSystem(FileSystem* files);

// Shorthands through the current file system. (RemoveFile, not DeleteFile:
// windows.h defines DeleteFile as a macro.)
FileError OpenFile(const std::string& path_gbk, FileAccess access, unsigned share_flags,
                   FileDisposition disposition, std::unique_ptr<File>* out);
FileError FullPathName(const std::string& path_gbk, std::string* out);
FileError RemoveFile(const std::string& path_gbk);
PathKind QueryPath(const std::string& path_gbk);

// True for "\\" and "/" (both separate folders on every platform).
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace platform
