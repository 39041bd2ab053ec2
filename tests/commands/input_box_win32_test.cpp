// The real input box dialog on Windows (runs under Wine; needs a display,
// e.g. xvfb-run, and skips without one). A second thread plays the person:
// it types into the visible field and presses a button.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"

namespace platform {
namespace {

struct Seen {
  std::atomic<bool> found{false};
  bool masked = false;
  bool has_prompt_frame = false;
};

BOOL CALLBACK FindVisibleEdit(HWND child, LPARAM out) {
  wchar_t name[16] = {};
  ::GetClassNameW(child, name, 16);
  if (::lstrcmpiW(name, L"Edit") == 0 && ::IsWindowVisible(child)) {
    *reinterpret_cast<HWND*>(out) = child;
    return FALSE;
  }
  return TRUE;
}

// Whether the edit boxes of the dialogs this thread opens have an input
// context, looked at from the dialog's own thread once it is initialised
// (an input method can write only where there is one; Windows answers
// another thread's question with none).
class InputContextWatch {
 public:
  InputContextWatch() : hook_(::SetWindowsHookExW(WH_CALLWNDPROCRET, Proc, nullptr, ::GetCurrentThreadId())) {
    watch_ = this;
  }
  ~InputContextWatch() {
    ::UnhookWindowsHookEx(hook_);
    watch_ = nullptr;
  }
  InputContextWatch(const InputContextWatch&) = delete;
  InputContextWatch& operator=(const InputContextWatch&) = delete;
  // One entry per edit box of the last dialog initialised: (visible, has a context).
  std::vector<std::pair<bool, bool>> edits;

 private:
  static BOOL CALLBACK Look(HWND child, LPARAM) {
    wchar_t name[16] = {};
    ::GetClassNameW(child, name, 16);
    if (::lstrcmpiW(name, L"Edit") != 0) return TRUE;
    HIMC context = ::ImmGetContext(child);
    if (context != nullptr) ::ImmReleaseContext(child, context);
    watch_->edits.emplace_back((::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0, context != nullptr);
    return TRUE;
  }
  static LRESULT CALLBACK Proc(int code, WPARAM wparam, LPARAM lparam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
    if (code == HC_ACTION && watch_ != nullptr && sent->message == WM_INITDIALOG) {
      watch_->edits.clear();
      ::EnumChildWindows(sent->hwnd, Look, 0);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static InputContextWatch* watch_;
  HHOOK hook_;
};
InputContextWatch* InputContextWatch::watch_ = nullptr;

// Shows the box with the request while the driver types `keys` and presses
// OK (or Cancel). False when no dialog appeared (no display).
bool Drive(const InputBoxRequest& request, const std::wstring& keys, bool press_ok, Seen* seen, BoxAnswer* answer,
           platform::Secret* entered) {
  std::thread person([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && dialog == nullptr; ++i) {
      dialog = ::FindWindowW(L"#32770", L"\u8BF7\u8F93\u5165\uFF1A");  // 请输入：
      if (dialog == nullptr) ::Sleep(25);
    }
    if (dialog == nullptr) return;
    // The dialog is shown once its initialisation (which picks the field)
    // is done.
    for (int i = 0; i < 200 && !::IsWindowVisible(dialog); ++i) ::Sleep(25);
    HWND edit = nullptr;
    ::EnumChildWindows(dialog, FindVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    if (edit != nullptr) {
      seen->masked = (::GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0;
      for (wchar_t c : keys) ::SendMessageW(edit, WM_CHAR, c, 0);
    }
    seen->has_prompt_frame = ::GetDlgItem(dialog, 100) != nullptr;
    seen->found = true;
    int button = press_ok ? IDOK : IDCANCEL;
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
  });
  *answer = NativeHost().ShowInputBox(request, entered);
  person.join();
  return seen->found;
}

TEST(Win32InputBox, ModesFilterTypedCharactersAndMaskThePassword) {
  InputBoxRequest request;
  request.prompt = "输入数字";
  request.caption = "请输入：";
  request.mode = 2;
  Seen seen;
  BoxAnswer answer = BoxAnswer::kCancel;
  platform::Secret entered;
  if (!Drive(request, L"12ab-3.4\b\uFF11", true, &seen, &answer, &entered)) GTEST_SKIP() << "no display";
  EXPECT_EQ(answer, BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), "12-3");
  EXPECT_FALSE(seen.masked);
  EXPECT_TRUE(seen.has_prompt_frame);

  request.prompt.clear();
  request.mode = 3;
  request.initial = "old";
  Seen seen3;
  ASSERT_TRUE(Drive(request, L"1.5e3", true, &seen3, &answer, &entered));
  EXPECT_EQ(entered.view(), "1.53");  // the selected initial text was replaced
  EXPECT_FALSE(seen3.has_prompt_frame);

  request.mode = 4;
  request.initial.clear();
  Seen seen4;
  ASSERT_TRUE(Drive(request, L"p\u5BC6", true, &seen4, &answer, &entered));
  EXPECT_TRUE(seen4.masked);
  EXPECT_EQ(entered.view(), "p密");

  platform::Secret untouched("kept");
  Seen cancelled;
  ASSERT_TRUE(Drive(request, L"x", false, &cancelled, &answer, &untouched));
  EXPECT_EQ(answer, BoxAnswer::kCancel);
  EXPECT_EQ(untouched.view(), "kept");
}

// The box of the change routine that asks for the new password.
InputBoxRequest NewPasswordRequest() {
  InputBoxRequest request;
  request.prompt = "输入新的数据库密码";
  request.caption = "请输入：";
  return request;
}

// The input box keeps to GBK as the notebook's own boxes do: characters
// code page 936 lacks (가, 😀 as two surrogates) are never taken.
TEST(Win32InputBox, CharactersGbkLacksAreNotTaken) {
  InputBoxRequest request = NewPasswordRequest();
  Seen seen;
  BoxAnswer answer = BoxAnswer::kCancel;
  platform::Secret entered;
  if (!Drive(request, L"a\uAC00\xD83D\xDE00" L"b\u4E2D", true, &seen, &answer, &entered)) GTEST_SKIP() << "no display";
  EXPECT_EQ(answer, BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), "ab中");
}

// The change routine's input boxes take the new database password: no
// input method may write into them, in the plain field or the masked one.
TEST(Win32InputBox, ABoxForASecretHasNoInputContext) {
  InputBoxRequest request = NewPasswordRequest();
  Seen seen;
  BoxAnswer answer = BoxAnswer::kCancel;
  platform::Secret entered;
  InputContextWatch watch;
  if (!Drive(request, L"", false, &seen, &answer, &entered)) GTEST_SKIP() << "no display";
  ASSERT_EQ(watch.edits.size(), 2u);
  bool visible_has_context = false;
  for (auto [visible, context] : watch.edits) visible_has_context = visible_has_context || (visible && context);
  EXPECT_TRUE(visible_has_context) << "an ordinary input box takes an input method";

  request.input_method = false;
  Seen secret;
  ASSERT_TRUE(Drive(request, L"", false, &secret, &answer, &entered));
  ASSERT_EQ(watch.edits.size(), 2u);
  for (auto [visible, context] : watch.edits) EXPECT_FALSE(context) << (visible ? "the visible field" : "the hidden field");
}

// The password dialog once it is shown (null when none came: no display).
HWND WaitForPasswordDialog() {
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && dialog == nullptr; ++i) {
    dialog = ::FindWindowW(L"#32770", L"\u5BC6\u7801\u8F93\u5165");  // 密码输入
    if (dialog == nullptr) ::Sleep(25);
  }
  for (int i = 0; dialog != nullptr && i < 200 && !::IsWindowVisible(dialog); ++i) ::Sleep(25);
  return dialog;
}

PasswordDialogTexts DialogTexts() {
  PasswordDialogTexts texts;
  texts.caption = "密码输入";
  texts.prompt = "请输入数据库访问密码：";
  texts.ok = "确认(&O)";
  texts.cancel = "取消(&C)";
  return texts;
}

// The unlock dialog's masked box: no input context either, so what the
// other boxes take is what it can type.
TEST(Win32PasswordDialog, ThePasswordBoxHasNoInputContext) {
  InputContextWatch watch;
  std::thread person([] {
    if (HWND dialog = WaitForPasswordDialog()) ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  PasswordDialogTexts texts = DialogTexts();
  platform::Secret typed;
  BoxAnswer answer = NativeHost().ShowPasswordDialog(texts, &typed);
  person.join();
  if (watch.edits.empty()) GTEST_SKIP() << "no display";
  EXPECT_EQ(answer, BoxAnswer::kCancel);
  ASSERT_EQ(watch.edits.size(), 1u);
  EXPECT_FALSE(watch.edits[0].second);
}

// What the unlock dialog's box takes is what the other boxes can hold: no
// character that code page 936 lacks, typed or pasted.
TEST(Win32PasswordDialog, CharactersGbkLacksAreNotTaken) {
  std::thread person([] {
    HWND dialog = WaitForPasswordDialog();
    if (dialog == nullptr) return;
    HWND edit = nullptr;
    ::EnumChildWindows(dialog, FindVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    for (wchar_t c : std::wstring(L"p\uAC00\xD83D\xDE00" L"w\u5BC6")) ::SendMessageW(edit, WM_CHAR, c, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
  });
  platform::Secret typed;
  BoxAnswer answer = NativeHost().ShowPasswordDialog(DialogTexts(), &typed);
  person.join();
  if (answer == BoxAnswer::kCancel) GTEST_SKIP() << "no display";
  EXPECT_EQ(typed.view(), "pw密");
}

std::string ClipboardText() {
  std::string text = "<unavailable>";
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(data))) {
      text = p;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

TEST(Win32Clipboard, PlainTextIncludingTheEmptyText) {
  if (!NativeHost().SetClipboardText("abc")) GTEST_SKIP() << "no clipboard";
  EXPECT_EQ(ClipboardText(), "abc");
  EXPECT_TRUE(NativeHost().SetClipboardText(""));
  EXPECT_EQ(ClipboardText(), "");
}

}  // namespace
}  // namespace platform
#endif
