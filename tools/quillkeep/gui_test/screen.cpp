#include "tools/quillkeep/gui_test/screen.h"

#include <vector>

#include "platform/win32/password_dialog_win32.h"
#include "platform/win32/window_system_win32.h"

namespace gui_test {
namespace {

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM out) {
  if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(::GetCurrentThreadId(), CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace

std::optional<OpenModal> FindOpenModal() {
  using scenario::Wait;
  for (HWND window : ThreadWindows()) {
    std::wstring name = ClassOf(window);
    if (name == L"#32768") return OpenModal{Wait::kPopupMenu, window};
    if (name != L"#32770" || !::IsWindowEnabled(window)) continue;
    if (::GetDlgItem(window, platform::win32::kPasswordEditId) != nullptr &&
        ::GetDlgItem(window, platform::win32::kPasswordMessageId) != nullptr)
      return OpenModal{Wait::kPasswordDialog, window};
    if (::GetDlgItem(window, kInputPlainEdit) != nullptr && ::GetDlgItem(window, kInputMaskedEdit) != nullptr)
      return OpenModal{Wait::kInputBox, window};
    return OpenModal{Wait::kMessageBox, window};
  }
  return std::nullopt;
}

std::string Utf8OfWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WideOfUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string WindowTextUtf8(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Utf8OfWide(text);
}

std::string ItemTextUtf8(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr ? WindowTextUtf8(item) : std::string();
}

HMENU MenuOfPopup(HWND popup) { return reinterpret_cast<HMENU>(::SendMessageW(popup, kGetMenuHandle, 0, 0)); }

bool IsOurs(HWND window, std::optional<platform::ControlKind> kind) {
  platform::win32::Win32WindowSystem* system = platform::win32::Win32WindowSystem::Instance();
  const platform::win32::Win32WindowSystem::Native* native = system != nullptr ? system->Find(window) : nullptr;
  return native != nullptr && (!kind || native->kind == *kind);
}

std::optional<std::string> ClipboardUtf8() {
  if (!::OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = Utf8OfWide(chars);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

}  // namespace gui_test
