#include "tools/qkdb/outside_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qkdb {
namespace {

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "no such file or folder";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "it already exists";
    case ERROR_SHARING_VIOLATION: return "another program has it open";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "the disk is full";
    default: return "Windows error " + std::to_string(error);
  }
}
#endif

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* problem) {
  bytes->clear();
#ifdef _WIN32
  HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *problem = path + ": cannot be read: " + Reason(::GetLastError());
    return false;
  }
  char buffer[65536];
  DWORD got = 0;
  BOOL ok = TRUE;
  while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes->append(buffer, got);
  DWORD error = ::GetLastError();
  ::CloseHandle(file);
  if (!ok) {
    *problem = path + ": cannot be read: " + Reason(error);
    return false;
  }
  return true;
#else
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd >= 0 && (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
    ::close(fd);
    errno = EISDIR;
    fd = -1;
  }
  if (fd < 0) {
    *problem = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = errno;
      ::close(fd);
      if (n < 0) *problem = path + ": cannot be read: " + std::strerror(error);
      return n == 0;
    }
    bytes->append(buffer, static_cast<std::size_t>(n));
  }
#endif
}

bool WritePrivateFile(const std::string& path, const std::string& bytes, bool replace, std::string* problem) {
#ifdef _WIN32
  const std::wstring wide = Wide(path);
  HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, replace ? CREATE_ALWAYS : CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    *problem = path + (error == ERROR_FILE_EXISTS ? std::string(" already exists: --force replaces it")
                                                   : ": cannot be written: " + Reason(error));
    return false;
  }
  std::size_t done = 0;
  DWORD error = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!::WriteFile(file, bytes.data() + done, piece, &wrote, nullptr) || wrote == 0) {
      error = ::GetLastError();
      break;
    }
    done += wrote;
  }
  ::CloseHandle(file);
  if (done < bytes.size()) {
    ::DeleteFileW(wide.c_str());
    *problem = path + ": cannot be written: " + Reason(error);
    return false;
  }
  return true;
#else
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL), 0600);
  if (fd < 0) {
    *problem = path + (errno == EEXIST ? std::string(" already exists: --force replaces it")
                                       : std::string(": cannot be written: ") + std::strerror(errno));
    return false;
  }
  // A replaced file keeps its mode; make it private too.
  int error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
  std::size_t done = 0;
  while (error == 0 && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error = n < 0 ? errno : ENOSPC;
    else done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(path.c_str());
    *problem = path + ": cannot be written: " + std::strerror(error);
    return false;
  }
  return true;
#endif
}

}  // namespace qkdb
