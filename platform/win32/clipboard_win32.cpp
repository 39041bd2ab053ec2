#include "platform/win32/clipboard_win32.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

DWORD g_placed_sequence = 0;  // 0: nothing of ours is on the clipboard
UINT_PTR g_timer = 0;
HWND g_owner = nullptr;  // the runtime's hidden owner window, while there is one

// The window the clipboard is opened with. Emptying the clipboard makes the
// opener its owner, and Windows documents that SetClipboardData fails on a
// clipboard without one. Without the runtime's window (tools, tests) a
// message-only window of this module stands in.
HWND ClipboardWindow() {
  if (g_owner != nullptr && ::IsWindow(g_owner)) return g_owner;
  static HWND stand_in = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                           ::GetModuleHandleW(nullptr), nullptr);
  return stand_in;
}

// A zero-filled movable block with the bytes, handed to the clipboard.
bool Place(UINT format, const void* data, std::size_t bytes) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (block == nullptr) return false;
  void* target = ::GlobalLock(block);
  if (target == nullptr) {
    ::GlobalFree(block);
    return false;
  }
  std::memcpy(target, data, bytes);
  ::GlobalUnlock(block);
  if (::SetClipboardData(format, block) == nullptr) {
    ::GlobalFree(block);
    return false;
  }
  return true;  // the clipboard owns the block now
}

// The registered formats that keep a text private. The first only has to be
// present; the other two hold a DWORD 0 ("no").
void MarkPrivate() {
  const DWORD no = 0;
  if (UINT f = ::RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")) Place(f, &no, sizeof no);
  if (UINT f = ::RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")) Place(f, &no, sizeof no);
  if (UINT f = ::RegisterClipboardFormatW(L"CanUploadToCloudClipboard")) Place(f, &no, sizeof no);
}

void CALLBACK ClearTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  if (timer == g_timer) g_timer = 0;
  ClearClipboardIfUnchanged();
}

}  // namespace

void SetClipboardOwnerWindow(HWND owner) { g_owner = owner; }

bool PutPrivateClipboardText(const std::string& gbk) {
  if (!::OpenClipboard(ClipboardWindow())) return false;
  ::EmptyClipboard();
  bool placed = Place(CF_TEXT, gbk.c_str(), gbk.size() + 1);
  if (placed) {
    // The UTF-16 form too, so the text pastes right whatever the code page.
    WideSecret wide = WidenGbkSecret(gbk);
    Place(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    MarkPrivate();
  }
  ::CloseClipboard();
  g_placed_sequence = placed ? ::GetClipboardSequenceNumber() : 0;
  return placed;
}

bool ClearClipboardIfUnchanged() {
  if (g_placed_sequence == 0 || ::GetClipboardSequenceNumber() != g_placed_sequence) return false;
  if (!::OpenClipboard(ClipboardWindow())) return false;
  bool cleared = ::EmptyClipboard() != FALSE;
  ::CloseClipboard();
  if (cleared) g_placed_sequence = 0;
  return cleared;
}

void ScheduleClipboardClearing(std::uint32_t seconds) {
  if (g_timer != 0) {
    ::KillTimer(nullptr, g_timer);
    g_timer = 0;
  }
  if (seconds == 0) return;
  constexpr std::uint32_t kLongest = 24 * 3600;
  g_timer = ::SetTimer(nullptr, 0, (seconds < kLongest ? seconds : kLongest) * 1000u, ClearTimerProc);
}

}  // namespace platform::win32
