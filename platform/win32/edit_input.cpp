#include "platform/win32/edit_input.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// An input method committed text: the control may insert it itself
// (replacing any composition it showed inline), so it is let through and
// what went in is then put right.
LRESULT PutCommittedTextRight(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, const EditInputRules& rules,
                              const PassOn& pass_on) {
  const WideSecret before_text = WindowTextSecret(edit);  // the box may hold a password
  LRESULT result = pass_on(message, wparam, lparam);
  const WideSecret after_text = WindowTextSecret(edit);
  std::wstring_view before = before_text.view(), after = after_text.view();
  // The inserted run: what lies between the text both share at the front
  // and at the end. (Nothing, when the control leaves the characters to
  // WM_IME_CHAR, which is filtered itself.)
  std::size_t front = 0;
  while (front < before.size() && front < after.size() && before[front] == after[front]) ++front;
  std::size_t back = 0;
  while (back < before.size() - front && back < after.size() - front &&
         before[before.size() - 1 - back] == after[after.size() - 1 - back])
    ++back;
  std::wstring inserted(after.substr(front, after.size() - front - back));
  if (inserted.empty()) return result;
  // The box's rules look at the text around the run, as at a paste over it.
  const WPARAM end = front + inserted.size();
  ::SendMessageW(edit, EM_SETSEL, front, end);
  bool dropped = false;
  std::wstring kept = rules.admit(KeepGbkCharacters(inserted, &dropped));
  if (!dropped && kept == inserted) {
    ::SendMessageW(edit, EM_SETSEL, end, end);
  } else {
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
    ::MessageBeep(MB_OK);
  }
  WipeString(&kept);
  WipeString(&inserted);
  return result;
}

}  // namespace

bool IsGbkCharacter(wchar_t c) {
  if (c < 0x80) return true;
  if (IsHighSurrogate(c) || IsLowSurrogate(c)) return false;
  char bytes[4] = {};
  BOOL used_default = FALSE;
  int n = ::WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, bytes, sizeof bytes, nullptr, &used_default);
  if (n <= 0 || used_default) return false;
  wchar_t back = 0;
  return ::MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, n, &back, 1) == 1 && back == c;
}

std::wstring KeepGbkCharacters(std::wstring_view text, bool* dropped) {
  std::wstring kept;
  kept.reserve(text.size());
  *dropped = false;
  for (wchar_t c : text) {
    if (IsGbkCharacter(c)) {
      kept += c;
    } else {
      *dropped = true;
    }
  }
  return kept;
}

std::optional<LRESULT> FilterTextInput(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                       const EditInputRules& rules, const PassOn& pass_on) {
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
      auto c = static_cast<wchar_t>(wparam);
      if (c < 0x20) return std::nullopt;  // Backspace and other control characters pass
      // GBK has no character outside the Basic Multilingual Plane: both
      // halves of the pair go, with one beep.
      if (IsLowSurrogate(c)) return 0;
      if (!IsGbkCharacter(c) || !rules.accepts_character(c)) {
        ::MessageBeep(MB_OK);
        return 0;
      }
      return std::nullopt;
    }
    case WM_PASTE: {
      bool dropped = false;
      std::wstring text = rules.admit(KeepGbkCharacters(ClipboardUnicodeText(), &dropped));
      if (dropped) ::MessageBeep(MB_OK);
      if (!text.empty()) ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
      WipeString(&text);
      return 0;
    }
    case WM_IME_COMPOSITION:
      if ((lparam & GCS_RESULTSTR) == 0) return std::nullopt;
      return PutCommittedTextRight(edit, message, wparam, lparam, rules, pass_on);
    default: return std::nullopt;
  }
}

namespace {

LRESULT CALLBACK GbkOnlyEditProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(edit, GbkOnlyEditProc, 1);
  static const EditInputRules kRules{[](wchar_t) { return true; },
                                     [](std::wstring text) { return text.substr(0, text.find_first_of(L"\r\n")); }};
  if (std::optional<LRESULT> used = FilterTextInput(edit, message, wparam, lparam, kRules,
                                                    [edit](UINT m, WPARAM w, LPARAM l) { return ::DefSubclassProc(edit, m, w, l); }))
    return *used;
  return ::DefSubclassProc(edit, message, wparam, lparam);
}

}  // namespace

void KeepEditToGbk(HWND edit) { ::SetWindowSubclass(edit, GbkOnlyEditProc, 1, 0); }

std::wstring ClipboardUnicodeText() {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

}  // namespace platform::win32
