#include <windows.h>

#include "platform/find.h"
#include "platform/system.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

class Win32FileSearch final : public FileSearch {
 public:
  Win32FileSearch(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), data_(first), pending_(true) {}
  ~Win32FileSearch() override { ::FindClose(handle_); }

  bool Next(FoundFile* found) override {
    for (;;) {
      if (!pending_ && !::FindNextFileW(handle_, &data_)) return false;
      pending_ = false;
      if (wcscmp(data_.cFileName, L".") == 0 || wcscmp(data_.cFileName, L"..") == 0) continue;
      found->name = win32::NarrowToGbk(std::wstring(data_.cFileName));
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
  HANDLE handle = ::FindFirstFileW(win32::WidenGbk(pattern_gbk).c_str(), &data);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32FileSearch>(handle, data);
}

}  // namespace platform
