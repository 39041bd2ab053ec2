#include <windows.h>

#include "platform/find.h"
#include "platform/system.h"

namespace platform {
namespace {

std::wstring Widen(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* wide) {
  int n = ::WideCharToMultiByte(936, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<std::size_t>(n - 1), '\0');
  ::WideCharToMultiByte(936, 0, wide, -1, out.data(), n, nullptr, nullptr);
  return out;
}

class Win32FileSearch final : public FileSearch {
 public:
  Win32FileSearch(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), data_(first), pending_(true) {}
  ~Win32FileSearch() override { ::FindClose(handle_); }

  bool Next(FoundFile* found) override {
    for (;;) {
      if (!pending_ && !::FindNextFileW(handle_, &data_)) return false;
      pending_ = false;
      if (wcscmp(data_.cFileName, L".") == 0 || wcscmp(data_.cFileName, L"..") == 0) continue;
      found->name = Narrow(data_.cFileName);
      found->is_folder = (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      return true;
    }
  }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAW data_;
  bool pending_;
};

}  // namespace

std::unique_ptr<FileSearch> StartFileSearch(const std::string& pattern_gbk) {
  WIN32_FIND_DATAW data;
  HANDLE handle = ::FindFirstFileW(Widen(pattern_gbk).c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32FileSearch>(handle, data);
}

}  // namespace platform
