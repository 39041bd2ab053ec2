// POSIX files with Windows semantics.
//
// Byte locks are open-file-description locks (F_OFD_SETLK): they belong to
// one open, not to the process, so two opens in one process exclude each
// other as two Windows handles do.
//
// Sharing modes are emulated with shared OFD locks on four marker bytes far
// beyond any data a file can hold: every open marks what it does (reads,
// writes) and what it refuses to others (reading, writing). A new open looks
// for conflicting marks and then sets its own, all under a short exclusive
// flock() on the file, so two opens never check at the same time. Marks end
// with the open, also when the process dies.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file.h"
#include "platform/system.h"

namespace platform {
namespace {

// Marker bytes: [kMarkBase + n]. Data locks stay below 2^32.
constexpr off_t kMarkBase = static_cast<off_t>(1) << 62;
constexpr off_t kMarkReads = kMarkBase + 0;
constexpr off_t kMarkWrites = kMarkBase + 1;
constexpr off_t kMarkDeniesRead = kMarkBase + 2;
constexpr off_t kMarkDeniesWrite = kMarkBase + 3;

FileError FromErrno(int e) {
  switch (e) {
    case 0: return FileError::kNone;
    case ENOENT: return FileError::kNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return FileError::kBadPath;
    case EMFILE:
    case ENFILE: return FileError::kTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return FileError::kAccessDenied;
    case EBADF: return FileError::kInvalidHandle;
    case ESPIPE:
    case EOVERFLOW:
    case EFBIG: return FileError::kSeek;
    case EIO: return FileError::kHardware;
    case ENOSPC:
    case EDQUOT: return FileError::kDiskFull;
    case EAGAIN: return FileError::kLockViolation;
    default: return FileError::kGeneric;
  }
}

// GBK path with either separator -> the UTF-8 path the kernel wants.
std::string NativePath(const std::string& path_gbk) {
  std::string path = GbkToUtf8(path_gbk);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool HasConflict(int fd, off_t mark) {
  struct flock query {};
  query.l_type = F_WRLCK;
  query.l_whence = SEEK_SET;
  query.l_start = mark;
  query.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &query) != 0) return false;
  return query.l_type != F_UNLCK;
}

bool SetMark(int fd, off_t mark) {
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = mark;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Holds flock(LOCK_EX) while an open checks and sets its marks.
class ShareGuard {
 public:
  explicit ShareGuard(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~ShareGuard() { flock(fd_, LOCK_UN); }
  ShareGuard(const ShareGuard&) = delete;
  ShareGuard& operator=(const ShareGuard&) = delete;

 private:
  int fd_;
};

// Checks the marks of the opens already there against this open, then sets
// this open's marks. kSharingViolation when Windows would refuse the open.
FileError ClaimShare(int fd, bool writes, unsigned share_flags) {
  ShareGuard guard(fd);
  bool denies_read = (share_flags & share::kRead) == 0;
  bool denies_write = (share_flags & share::kWrite) == 0;
  if (HasConflict(fd, kMarkDeniesRead)) return FileError::kSharingViolation;
  if (writes && HasConflict(fd, kMarkDeniesWrite)) return FileError::kSharingViolation;
  if (denies_read && HasConflict(fd, kMarkReads)) return FileError::kSharingViolation;
  if (denies_write && HasConflict(fd, kMarkWrites)) return FileError::kSharingViolation;
  bool ok = SetMark(fd, kMarkReads);
  if (ok && writes) ok = SetMark(fd, kMarkWrites);
  if (ok && denies_read) ok = SetMark(fd, kMarkDeniesRead);
  if (ok && denies_write) ok = SetMark(fd, kMarkDeniesWrite);
  return ok ? FileError::kNone : FromErrno(errno);
}

class PosixFile final : public File {
 public:
  PosixFile(int fd, bool writable, bool lock_exclusive) : fd_(fd), writable_(writable), exclusive_locks_(lock_exclusive) {}
  ~PosixFile() override { close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    *got = 0;
    auto* out = static_cast<char*>(buffer);
    while (*got < n) {
      ssize_t r = pread(fd_, out + *got, n - *got, static_cast<off_t>(pos + *got));
      if (r < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno);
      }
      if (r == 0) break;
      *got += static_cast<std::size_t>(r);
    }
    return FileError::kNone;
  }

  FileError Write(std::uint64_t pos, const void* data, std::size_t n) override {
    if (!writable_) return FileError::kAccessDenied;
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
      ssize_t w = pwrite(fd_, in + done, n - done, static_cast<off_t>(pos + done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return FromErrno(errno);
      }
      if (w == 0) return FileError::kDiskFull;
      done += static_cast<std::size_t>(w);
    }
    return FileError::kNone;
  }

  FileError Size(std::uint64_t* size) override {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return FromErrno(errno);
    *size = static_cast<std::uint64_t>(info.st_size);
    return FileError::kNone;
  }

  FileError Truncate(std::uint64_t size) override {
    if (!writable_) return FileError::kAccessDenied;
    while (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return FromErrno(errno);
    }
    return FileError::kNone;
  }

  FileError Flush() override {
    if (!writable_) return FileError::kNone;
    return fdatasync(fd_) == 0 ? FileError::kNone : FromErrno(errno);
  }

  FileError Lock(std::uint64_t pos, std::uint64_t length) override { return SetRange(pos, length, true); }
  FileError Unlock(std::uint64_t pos, std::uint64_t length) override { return SetRange(pos, length, false); }

 private:
  FileError SetRange(std::uint64_t pos, std::uint64_t length, bool lock) {
    if (length == 0 || pos >= static_cast<std::uint64_t>(kMarkBase) ||
        length > static_cast<std::uint64_t>(kMarkBase) - pos)
      return FileError::kLockViolation;
    struct flock range {};
    // An fd opened read-only (the file's permissions allowed no more) can
    // only hold shared locks; they still keep writers out.
    range.l_type = lock ? (exclusive_locks_ ? F_WRLCK : F_RDLCK) : F_UNLCK;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(pos);
    range.l_len = static_cast<off_t>(length);
    while (fcntl(fd_, F_OFD_SETLK, &range) != 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EACCES) return FileError::kLockViolation;
      return FromErrno(errno);
    }
    return FileError::kNone;
  }

  int fd_;
  bool writable_;
  bool exclusive_locks_;
};

// Lexical normalisation of an absolute "/" path: drops "." and empty parts,
// resolves ".." (never above the root), as GetFullPathName does.
std::string Normalise(const std::string& absolute) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= absolute.size()) {
    std::size_t next = absolute.find('/', i);
    if (next == std::string::npos) next = absolute.size();
    std::string part = absolute.substr(i, next - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = next + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  bool trailing = !absolute.empty() && absolute.back() == '/' && !out.empty();
  if (out.empty()) out = "/";
  if (trailing) out += "/";
  return out;
}

class PosixFileSystem final : public FileSystem {
 public:
  FileError Open(const std::string& path_gbk, FileAccess access, unsigned share_flags,
                 FileDisposition disposition, std::unique_ptr<File>* out) override {
    out->reset();
    if (path_gbk.empty()) return FileError::kBadPath;
    std::string path = NativePath(path_gbk);
    bool writes = access == FileAccess::kReadWrite;
    int flags = O_CLOEXEC | (disposition == FileDisposition::kCreateAlways ? O_CREAT : 0);
    // Byte locks need a descriptor open for writing to be exclusive, so a
    // read-only open still asks for read-write where the file allows it;
    // writing through it is refused above the kernel.
    // Files made here hold the notebook's secrets (databases, their
    // auxiliary, index and rollback files): readable by their owner only.
    int fd = open(path.c_str(), flags | O_RDWR, 0600);
    bool fd_writable = fd >= 0;
    if (fd < 0 && !writes && (errno == EACCES || errno == EROFS || errno == EPERM)) fd = open(path.c_str(), flags | O_RDONLY);
    if (fd < 0) return FromErrno(errno);
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
      close(fd);
      return FileError::kAccessDenied;
    }
    FileError claimed = ClaimShare(fd, writes, share_flags);
    if (claimed != FileError::kNone) {
      close(fd);
      return claimed;
    }
    // Truncate only after the sharing check: a refused create must not
    // destroy another open's file.
    if (disposition == FileDisposition::kCreateAlways && ftruncate(fd, 0) != 0) {
      int e = errno;
      close(fd);
      return FromErrno(e);
    }
    *out = std::make_unique<PosixFile>(fd, writes, fd_writable);
    return FileError::kNone;
  }

  FileError FullPath(const std::string& path_gbk, std::string* out) override {
    out->clear();
    if (path_gbk.empty()) return FileError::kBadPath;
    std::string path = path_gbk;
    for (char& c : path)
      if (c == '\\') c = '/';
    if (path[0] != '/') {
      std::string cwd = CurrentDirectory();
      if (cwd.empty()) return FileError::kGeneric;
      path = cwd + "/" + path;
    }
    *out = Normalise(path);
    return FileError::kNone;
  }

  FileError Delete(const std::string& path_gbk) override {
    if (path_gbk.empty()) return FileError::kBadPath;
    std::string path = NativePath(path_gbk);
    // Windows refuses to delete a file that is open; so do we.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      struct stat info {};
      bool folder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
      bool open_elsewhere = !folder && HasConflict(fd, kMarkReads);
      close(fd);
      if (folder) return FileError::kAccessDenied;
      if (open_elsewhere) return FileError::kSharingViolation;
    }
    return unlink(path.c_str()) == 0 ? FileError::kNone : FromErrno(errno);
  }

  PathKind Query(const std::string& path_gbk) override {
    if (path_gbk.empty()) return PathKind::kNone;
    struct stat info {};
    if (stat(NativePath(path_gbk).c_str(), &info) != 0) return PathKind::kNone;
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kFile;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace platform
