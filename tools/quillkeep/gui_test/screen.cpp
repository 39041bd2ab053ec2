#include "tools/quillkeep/gui_test/screen.h"

#include <cstdlib>

#include "platform/sim/script_checks.h"
#include "platform/system.h"
#include "platform/win32/password_dialog_win32.h"
#include "platform/win32/window_system_win32.h"

namespace gui_test {
namespace {

using platform::win32::Win32WindowSystem;

constexpr int kInputPlainEdit = 102, kInputMaskedEdit = 103, kInputPrompt = 101;
constexpr int kMessageBoxText = 0xFFFF;
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

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

const Win32WindowSystem::Native* NativeOf(HWND window) {
  Win32WindowSystem* system = Win32WindowSystem::Instance();
  return system != nullptr ? system->Find(window) : nullptr;
}

}  // namespace

const char* WaitName(Wait wait) {
  switch (wait) {
    case Wait::kIdle: return "the program waiting in a window";
    case Wait::kMessageBox: return "a message box";
    case Wait::kInputBox: return "an input box";
    case Wait::kPasswordDialog: return "the password dialog";
    case Wait::kPopupMenu: return "a popup menu";
  }
  return "";
}

std::optional<OpenModal> FindOpenModal() {
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

std::string WindowTextUtf8(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return Utf8(text);
}

std::string ItemTextUtf8(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr ? WindowTextUtf8(item) : std::string();
}

std::vector<HWND> VisibleFrames() {
  std::vector<HWND> frames;
  Win32WindowSystem* system = Win32WindowSystem::Instance();
  if (system == nullptr) return frames;
  for (const auto& [window, native] : system->windows())
    if (native.kind == platform::ControlKind::kFrame && ::IsWindowVisible(window)) frames.push_back(window);
  return frames;
}

bool IsOurs(HWND window, int kind_filter) {
  const Win32WindowSystem::Native* native = NativeOf(window);
  return native != nullptr && (kind_filter < 0 || static_cast<int>(native->kind) == kind_filter);
}

bool UnitIds(HWND window, std::uint32_t* window_id, std::uint32_t* unit_id) {
  const Win32WindowSystem::Native* native = NativeOf(window);
  if (native == nullptr) return false;
  *window_id = native->identity.window_id;
  *unit_id = native->identity.unit_id;
  return true;
}

HWND FindUnit(const std::string& name) {
  Win32WindowSystem* system = Win32WindowSystem::Instance();
  if (system == nullptr || name.empty()) return nullptr;
  std::uint32_t id = 0;
  bool by_id = platform::sim::IsUnitIdName(name, &id);
  if (by_id && id == 0) return nullptr;
  std::string gbk = by_id ? std::string() : platform::Utf8ToGbk(name);
  HWND active = ::GetActiveWindow();
  HWND found_elsewhere = nullptr;
  for (const auto& [window, native] : system->windows()) {
    if (native.kind == platform::ControlKind::kHidden) continue;
    if (native.kind == platform::ControlKind::kFrame && !by_id) continue;  // a window is named by its id only
    bool match = by_id ? native.identity.unit_id == id : native.identity.name == gbk;
    if (!match) continue;
    if (::GetAncestor(window, GA_ROOT) == active || window == active) return window;
    if (found_elsewhere == nullptr) found_elsewhere = window;
  }
  return found_elsewhere;
}

std::optional<std::string> ClipboardUtf8() {
  if (!::OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = Utf8(chars);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

std::string DescribeScreen() {
  std::string out;
  auto quote = [](const std::string& utf8) { return "\"" + utf8 + "\""; };
  if (std::optional<OpenModal> modal = FindOpenModal()) {
    switch (modal->kind) {
      case Wait::kMessageBox:
        out = "message box " + quote(ItemTextUtf8(modal->window, kMessageBoxText)) + " captioned " +
              quote(WindowTextUtf8(modal->window));
        break;
      case Wait::kInputBox: out = "input box " + quote(ItemTextUtf8(modal->window, kInputPrompt)); break;
      case Wait::kPasswordDialog: {
        std::string message = ItemTextUtf8(modal->window, platform::win32::kPasswordMessageId);
        out = "password dialog" + (message.empty() ? std::string() : " " + quote(message));
        break;
      }
      case Wait::kPopupMenu: {
        out = "popup menu";
        HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(modal->window, kGetMenuHandle, 0, 0));
        for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu); ++i) {
          wchar_t caption[128] = {};
          ::GetMenuStringW(menu, static_cast<UINT>(i), caption, 128, MF_BYPOSITION);
          if (caption[0] != 0) out += " [" + Utf8(caption) + "]";
        }
        break;
      }
      default: break;
    }
  }
  HWND active = ::GetActiveWindow();
  for (HWND frame : VisibleFrames()) {
    if (!out.empty()) out += "; ";
    out += "window " + quote(WindowTextUtf8(frame)) + (frame == active ? " (active)" : "") +
           (::IsWindowEnabled(frame) ? "" : " (disabled)");
  }
  return out.empty() ? "no window" : out;
}

}  // namespace gui_test
