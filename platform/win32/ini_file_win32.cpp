#include <windows.h>

#include <algorithm>

#include "platform/ini_file.h"
#include "platform/win32/file_security.h"
#include "platform/win32/wide_text.h"

namespace platform::ini_file {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool Close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(h) != FALSE;
  }

 private:
  HANDLE h_;
};

}  // namespace

// Paths go through code page 936 to UTF-16, whatever the system's own code
// page is: the file name is read the same on every Windows.
bool Load(const std::string& path_gbk, std::string* content, bool* exists) {
  content->clear();
  const std::wstring path = win32::WidenGbk(path_gbk);
  Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  *exists = file.get() != INVALID_HANDLE_VALUE;
  if (!*exists) {
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  char chunk[4096];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return true;
    content->append(chunk, got);
  }
}

bool Store(const std::string& path_gbk, const std::string& content) {
  const std::wstring path = win32::WidenGbk(path_gbk);
  const std::wstring temporary = path + L".~tmp";
  // The temporary file becomes the file: it gets the descriptor the file
  // should have (owner-only when new, the file's own when it exists).
  win32::KeptSecurity security(path);
  Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security.attributes(), CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < content.size();) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    ok = ::WriteFile(file.get(), content.data() + done, piece, &written, nullptr) != FALSE && written == piece;
    done += written;
  }
  ok = ::FlushFileBuffers(file.get()) != FALSE && ok;
  ok = file.Close() && ok;
  if (ok && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  ::DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace platform::ini_file
