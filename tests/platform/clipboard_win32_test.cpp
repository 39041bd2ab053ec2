// The notebook's clipboard on the real Win32 clipboard (runs under Windows or
// Wine): what a copy leaves there (both text forms and the three private
// markers), the text read back through an edit box's paste, and clearing that
// touches the clipboard only while it still holds the notebook's copy.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "platform/win32/clipboard_win32.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

const char* const kMarkers[] = {"ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
                                "CanUploadToCloudClipboard"};

UINT MarkerFormat(const char* name) { return ::RegisterClipboardFormatA(name); }

// The bytes the clipboard holds in one format; nullopt when it has none.
std::optional<std::string> FormatBytes(UINT format) {
  if (!::OpenClipboard(nullptr)) return std::nullopt;
  std::optional<std::string> bytes;
  if (HANDLE data = ::GetClipboardData(format)) {
    if (const void* p = ::GlobalLock(data)) {
      bytes = std::string(static_cast<const char*>(p), ::GlobalSize(data));
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return bytes;
}

std::optional<std::wstring> UnicodeText() {
  std::optional<std::string> bytes = FormatBytes(CF_UNICODETEXT);
  if (!bytes) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t)).c_str();
}

std::set<UINT> Formats() {
  std::set<UINT> formats;
  if (!::OpenClipboard(nullptr)) return formats;
  for (UINT f = ::EnumClipboardFormats(0); f != 0; f = ::EnumClipboardFormats(f)) formats.insert(f);
  ::CloseClipboard();
  return formats;
}

// Another program copies a text: the clipboard is emptied and refilled by
// someone other than the notebook.
void SomeoneElseCopies(const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  ASSERT_NE(block, nullptr);
  std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  ::GlobalUnlock(block);
  if (::SetClipboardData(CF_UNICODETEXT, block) == nullptr) ::GlobalFree(block);
  ::CloseClipboard();
}

// Runs this thread's messages (the clearing timer is a thread timer) until
// `done` or `ms` have passed; the milliseconds it took.
template <typename Done>
DWORD PumpUntil(Done done, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (!done() && ::GetTickCount() - start < ms) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
  return ::GetTickCount() - start;
}

bool ClipboardEmpty() { return !UnicodeText().has_value() && !FormatBytes(CF_TEXT).has_value(); }

class Win32ClipboardTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ScheduleClipboardClearing(0);
    ClearClipboardIfUnchanged();
  }
  const std::string secret_ = "密码三 pw-3";  // GBK
  const std::wstring secret_wide_ = L"\u5BC6\u7801\u4E09 pw-3";
};

TEST_F(Win32ClipboardTest, CopyLeavesBothTextFormsAndThePrivateMarkers) {
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  EXPECT_EQ(FormatBytes(CF_TEXT).value_or("").c_str(), secret_);  // the GBK bytes, up to their terminator
  EXPECT_EQ(UnicodeText(), secret_wide_);

  std::set<UINT> formats = Formats();
  EXPECT_TRUE(formats.count(CF_UNICODETEXT));
  for (const char* name : kMarkers) {
    UINT format = MarkerFormat(name);
    ASSERT_NE(format, 0u) << name;
    EXPECT_TRUE(formats.count(format)) << name << " is not among the clipboard's formats";
    std::optional<std::string> value = FormatBytes(format);
    ASSERT_TRUE(value.has_value()) << name;
    ASSERT_GE(value->size(), sizeof(DWORD)) << name;
    DWORD word = 1;
    std::memcpy(&word, value->data(), sizeof word);
    EXPECT_EQ(word, 0u) << name << " must say no";
  }
}

struct IgnoreNotices : WindowListener {
  void OnNotice(const Message&) override {}
};

TEST_F(Win32ClipboardTest, PasteIntoAnEditBoxReadsTheGbkTextBack) {
  Win32WindowSystem system;
  IgnoreNotices listener;
  system.SetListener(&listener);
  CreateParams frame_params;
  frame_params.kind = ControlKind::kFrame;
  frame_params.class_name = "QXWindow";
  frame_params.text = "剪贴板";
  frame_params.rect = Rect{10, 20, 300, 200};
  frame_params.frame.centered = false;
  WindowHandle frame = system.Create(frame_params);
  ASSERT_NE(frame, 0u);
  CreateParams edit_params;
  edit_params.kind = ControlKind::kEdit;
  edit_params.class_name = "EDIT";
  edit_params.parent = frame;
  edit_params.control_id = 100;
  edit_params.rect = Rect{8, 8, 200, 24};
  WindowHandle edit = system.Create(edit_params);
  ASSERT_NE(edit, 0u);

  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  ::SendMessageW(reinterpret_cast<HWND>(edit), WM_PASTE, 0, 0);
  EXPECT_EQ(system.GetText(edit), secret_);
  system.Destroy(frame);
  system.SetListener(nullptr);
}

// Windows documents that SetClipboardData fails after EmptyClipboard when
// the clipboard was opened without a window: the notebook opens it with the
// runtime's hidden owner window, and owns what it puts there.
TEST_F(Win32ClipboardTest, TheHiddenOwnerWindowOwnsTheCopy) {
  Win32WindowSystem system;
  IgnoreNotices listener;
  system.SetListener(&listener);
  CreateParams owner_params;
  owner_params.kind = ControlKind::kHidden;
  owner_params.class_name = "_VL_HideOwner";
  WindowHandle owner = system.Create(owner_params);
  ASSERT_NE(owner, 0u);
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  EXPECT_EQ(::GetClipboardOwner(), reinterpret_cast<HWND>(owner));
  EXPECT_TRUE(ClearClipboardIfUnchanged());

  // Without the runtime's window (a tool, a test) the copy still has an owner.
  system.Destroy(owner);
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  EXPECT_NE(::GetClipboardOwner(), nullptr);
  EXPECT_NE(::GetClipboardOwner(), reinterpret_cast<HWND>(owner));
  system.SetListener(nullptr);
}

TEST_F(Win32ClipboardTest, ClearingEmptiesOnlyTheNotebooksOwnCopy) {
  // Still ours: emptied, the markers with it; once only.
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  EXPECT_TRUE(ClearClipboardIfUnchanged());
  EXPECT_TRUE(ClipboardEmpty());
  for (const char* name : kMarkers) EXPECT_FALSE(FormatBytes(MarkerFormat(name)).has_value()) << name;
  EXPECT_FALSE(ClearClipboardIfUnchanged());

  // Another program copied since: its text stays.
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  SomeoneElseCopies(L"someone else's text");
  EXPECT_FALSE(ClearClipboardIfUnchanged());
  EXPECT_EQ(UnicodeText(), std::wstring(L"someone else's text"));

  // Another program copied the very same text: it is theirs now.
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  SomeoneElseCopies(secret_wide_);
  EXPECT_FALSE(ClearClipboardIfUnchanged());
  EXPECT_EQ(UnicodeText(), secret_wide_);

  // A second copy of the notebook's replaces the first and is cleared.
  ASSERT_TRUE(PutPrivateClipboardText("first"));
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  EXPECT_TRUE(ClearClipboardIfUnchanged());
  EXPECT_TRUE(ClipboardEmpty());
}

TEST_F(Win32ClipboardTest, ScheduledClearingComesThroughTheMessageLoop) {
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  ScheduleClipboardClearing(1);
  DWORD took = PumpUntil(ClipboardEmpty, 5000);
  EXPECT_TRUE(ClipboardEmpty()) << "still there after " << took << " ms";
  EXPECT_GE(took, 900u);

  // Cancelled (0): the copy stays.
  ASSERT_TRUE(PutPrivateClipboardText(secret_));
  ScheduleClipboardClearing(1);
  ScheduleClipboardClearing(0);
  PumpUntil(ClipboardEmpty, 1600);
  EXPECT_EQ(UnicodeText(), secret_wide_);

  // Replaced by another program before the time is up: theirs stays.
  ScheduleClipboardClearing(1);
  SomeoneElseCopies(L"copied later");
  PumpUntil(ClipboardEmpty, 1600);
  EXPECT_EQ(UnicodeText(), std::wstring(L"copied later"));
}

}  // namespace
}  // namespace platform::win32

#endif  // _WIN32
