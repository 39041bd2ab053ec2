// Win32 files: the kernel gives sharing modes and byte locks directly. Names
// are GBK inside the system and go to the wide-character calls as UTF-16, so
// the result does not depend on the machine's ANSI code page.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/file.h"
#include "platform/win32/file_security.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

FileError FromWin32(DWORD e) {
  switch (e) {
    case ERROR_SUCCESS: return FileError::kNone;
    case ERROR_FILE_NOT_FOUND: return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return FileError::kBadPath;
    case ERROR_TOO_MANY_OPEN_FILES: return FileError::kTooManyOpen;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileError::kAccessDenied;
    case ERROR_INVALID_HANDLE: return FileError::kInvalidHandle;
    case ERROR_CURRENT_DIRECTORY: return FileError::kRemoveCurrentDir;
    case ERROR_CANNOT_MAKE: return FileError::kDirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return FileError::kSeek;
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return FileError::kHardware;
    case ERROR_SHARING_VIOLATION: return FileError::kSharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_NOT_LOCKED: return FileError::kLockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::kDiskFull;
    case ERROR_HANDLE_EOF: return FileError::kEndOfFile;
    default: return FileError::kGeneric;
  }
}

FileError LastError() { return FromWin32(::GetLastError()); }

OVERLAPPED At(std::uint64_t pos) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(pos);
  at.OffsetHigh = static_cast<DWORD>(pos >> 32);
  return at;
}

class Win32File final : public File {
 public:
  Win32File(HANDLE handle, bool writable) : handle_(handle), writable_(writable) {}
  ~Win32File() override { ::CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    *got = 0;
    auto* out = static_cast<char*>(buffer);
    while (*got < n) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - *got, 1u << 30));
      DWORD read = 0;
      OVERLAPPED at = At(pos + *got);
      if (!::ReadFile(handle_, out + *got, chunk, &read, &at)) {
        DWORD e = ::GetLastError();
        if (e == ERROR_HANDLE_EOF) break;
        return FromWin32(e);
      }
      if (read == 0) break;
      *got += read;
    }
    return FileError::kNone;
  }

  FileError Write(std::uint64_t pos, const void* data, std::size_t n) override {
    if (!writable_) return FileError::kAccessDenied;
    const auto* in = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
      DWORD written = 0;
      OVERLAPPED at = At(pos + done);
      if (!::WriteFile(handle_, in + done, chunk, &written, &at)) return LastError();
      if (written == 0) return FileError::kDiskFull;
      done += written;
    }
    return FileError::kNone;
  }

  FileError Size(std::uint64_t* size) override {
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(handle_, &length)) return LastError();
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return FileError::kNone;
  }

  FileError Truncate(std::uint64_t size) override {
    if (!writable_) return FileError::kAccessDenied;
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN)) return LastError();
    if (!::SetEndOfFile(handle_)) return LastError();
    return FileError::kNone;
  }

  FileError Flush() override {
    if (!writable_) return FileError::kNone;
    return ::FlushFileBuffers(handle_) ? FileError::kNone : LastError();
  }

  FileError Lock(std::uint64_t pos, std::uint64_t length) override {
    if (length == 0) return FileError::kLockViolation;
    if (!::LockFile(handle_, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), static_cast<DWORD>(length),
                    static_cast<DWORD>(length >> 32)))
      return LastError();
    return FileError::kNone;
  }

  FileError Unlock(std::uint64_t pos, std::uint64_t length) override {
    if (length == 0) return FileError::kLockViolation;
    if (!::UnlockFile(handle_, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), static_cast<DWORD>(length),
                      static_cast<DWORD>(length >> 32)))
      return LastError();
    return FileError::kNone;
  }

 private:
  HANDLE handle_;
  bool writable_;
};

class Win32FileSystem final : public FileSystem {
 public:
  FileError Open(const std::string& path_gbk, FileAccess access, unsigned share_flags,
                 FileDisposition disposition, std::unique_ptr<File>* out) override {
    out->reset();
    if (path_gbk.empty()) return FileError::kBadPath;
    bool writes = access == FileAccess::kReadWrite;
    DWORD desired = GENERIC_READ | (writes ? GENERIC_WRITE : 0);
    DWORD shared = ((share_flags & share::kRead) ? FILE_SHARE_READ : 0) |
                   ((share_flags & share::kWrite) ? FILE_SHARE_WRITE : 0);
    DWORD create = disposition == FileDisposition::kCreateAlways ? CREATE_ALWAYS : OPEN_EXISTING;
    // Files made here hold the notebook's secrets (databases, their
    // auxiliary, index and rollback files): owner-only when new; an
    // existing file keeps its descriptor.
    SECURITY_ATTRIBUTES* security = create == CREATE_ALWAYS ? win32::OwnerOnlyAttributes() : nullptr;
    HANDLE handle = ::CreateFileW(win32::WidenGbk(path_gbk).c_str(), desired, shared, security, create,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LastError();
    *out = std::make_unique<Win32File>(handle, writes);
    return FileError::kNone;
  }

  FileError FullPath(const std::string& path_gbk, std::string* out) override {
    out->clear();
    if (path_gbk.empty()) return FileError::kBadPath;
    std::wstring wide = win32::WidenGbk(path_gbk);
    DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return LastError();
    std::wstring full(n, L'\0');
    DWORD written = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n) return LastError();
    full.resize(written);
    *out = win32::NarrowToGbk(full);
    return FileError::kNone;
  }

  FileError Delete(const std::string& path_gbk) override {
    if (path_gbk.empty()) return FileError::kBadPath;
    return ::DeleteFileW(win32::WidenGbk(path_gbk).c_str()) ? FileError::kNone : LastError();
  }

  PathKind Query(const std::string& path_gbk) override {
    if (path_gbk.empty()) return PathKind::kNone;
    DWORD attributes = ::GetFileAttributesW(win32::WidenGbk(path_gbk).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace platform
