// The Win32 window system on real windows (runs under Windows or Wine with a
// display): texts through code page 936, byte limits in GBK bytes, list
// cells, notices and the message queue.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/secret.h"
#include "platform/win32/edit_input.h"
#include "platform/win32/gdi_support.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

struct Recorder : WindowListener {
  std::vector<Message> seen;
  void OnNotice(const Message& message) override { seen.push_back(message); }
  int Count(Notice notice, WindowHandle window) const {
    int n = 0;
    for (const Message& m : seen)
      if (m.notice == notice && m.window == window) ++n;
    return n;
  }
};

class Win32WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.SetListener(&recorder_);
    CreateParams params;
    params.kind = ControlKind::kFrame;
    params.class_name = "QXWindow";
    params.text = "测试窗口";
    params.rect = Rect{10, 20, 400, 300};
    params.frame.centered = false;
    frame_ = system_.Create(params);
    ASSERT_NE(frame_, 0u);
  }
  void TearDown() override {
    if (system_.IsWindow(frame_)) system_.Destroy(frame_);
    system_.SetListener(nullptr);
  }

  WindowHandle Control(ControlKind kind, const char* class_name, const std::string& text, ControlLook look = {}) {
    CreateParams params;
    params.kind = kind;
    params.class_name = class_name;
    params.text = text;
    params.parent = frame_;
    params.control_id = 100;
    params.rect = Rect{8, 8, 200, 24};
    params.look = look;
    return system_.Create(params);
  }
  static void TypeChar(WindowHandle edit, wchar_t c) {
    ::SendMessageW(reinterpret_cast<HWND>(edit), WM_CHAR, c, 1);
  }

  Win32WindowSystem& system_ = NativeWindowSystem();
  Recorder recorder_;
  WindowHandle frame_ = 0;
};

// True when an input method could write into the window: it has an input
// context.
bool HasInputContext(WindowHandle window) {
  HIMC context = ::ImmGetContext(reinterpret_cast<HWND>(window));
  if (context == nullptr) return false;
  ::ImmReleaseContext(reinterpret_cast<HWND>(window), context);
  return true;
}

TEST_F(Win32WindowSystemTest, AnEditBoxForASecretHasNoInputContext) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  ASSERT_NE(edit, 0u);
  ASSERT_TRUE(HasInputContext(edit)) << "an ordinary edit box takes an input method";
  EditRules rules;
  rules.input_method = false;
  system_.SetEditRules(edit, rules);
  EXPECT_FALSE(HasInputContext(edit));
  rules.input_method = true;
  system_.SetEditRules(edit, rules);
  EXPECT_TRUE(HasInputContext(edit));
}

// Selections are GBK byte offsets that never split a character or a line
// break ("\r\n" in the control as in the text read back).
// The line height the runtime sizes edit boxes by is that of the font the
// control really shows, the default one or one of its own.
TEST_F(Win32WindowSystemTest, LineHeightIsThatOfTheFontTheControlShows) {
  std::string big(60, '\0');
  const std::int32_t height = -32, weight = 400;
  std::memcpy(&big[0], &height, 4);
  std::memcpy(&big[16], &weight, 4);
  big[23] = static_cast<char>(134);
  big.replace(28, 4, "\xcb\xce\xcc\xe5");  // 宋体
  for (const std::string& font : {std::string(), big}) {
    ControlLook look;
    look.font = font;
    HWND edit = reinterpret_cast<HWND>(Control(ControlKind::kEdit, "EDIT", "字", look));
    ASSERT_NE(edit, nullptr);
    HDC dc = ::GetDC(edit);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ASSERT_TRUE(::GetTextMetricsW(dc, &metrics));
    ::SelectObject(dc, old);
    ::ReleaseDC(edit, dc);
    EXPECT_EQ(system_.FontLineHeight(font), ScaleFromDpi(metrics.tmHeight, WindowDpi(edit))) << font.size();
    system_.Destroy(reinterpret_cast<WindowHandle>(edit));
  }
  EXPECT_GE(system_.FontLineHeight(big), 32);
  EXPECT_GE(system_.EdgeHeight(), 1);
}

TEST_F(Win32WindowSystemTest, SelectionCountsGbkBytesAndKeepsCharactersWhole) {
  ControlLook look;
  look.multi_line = true;
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "甲乙\r\nab", look);
  ASSERT_NE(edit, 0u);
  int start = -1, length = -1;
  system_.SetEditSelection(edit, 3, 100);  // inside 乙, then past the end
  system_.GetEditSelection(edit, &start, &length);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(length, 6);
  system_.SetEditSelection(edit, 5, 1);  // inside the line break
  system_.GetEditSelection(edit, &start, &length);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(length, 0);
  system_.SetEditSelection(edit, 1, 2);  // from 甲's start, up to 甲's end
  DWORD from = 9, to = 9;
  ::SendMessageW(reinterpret_cast<HWND>(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 1u);
}

TEST_F(Win32WindowSystemTest, FrameKeepsItsClassCaptionAndTemplateGeometry) {
  wchar_t class_name[64] = {};
  ::GetClassNameW(reinterpret_cast<HWND>(frame_), class_name, 64);
  EXPECT_STREQ(class_name, L"QXWindow");
  EXPECT_EQ(system_.GetText(frame_), "测试窗口");
  EXPECT_EQ(system_.GetRect(frame_), (Rect{10, 20, 400, 300}));
  system_.SetRect(frame_, Rect{30, 40, 320, 200});
  EXPECT_EQ(system_.GetRect(frame_), (Rect{30, 40, 320, 200}));
  EXPECT_GE(recorder_.Count(Notice::kMoved, frame_), 1);
  EXPECT_GE(recorder_.Count(Notice::kResized, frame_), 1);
}

TEST_F(Win32WindowSystemTest, FrameRulesFollowTheStyle) {
  HWND frame = reinterpret_cast<HWND>(frame_);
  FrameStyle fixed_tool;
  fixed_tool.tool_window = true;
  fixed_tool.movable = false;
  fixed_tool.minimize_box = true;
  system_.SetFrameStyle(frame_, fixed_tool);
  LONG_PTR style = ::GetWindowLongPtrW(frame, GWL_STYLE);
  EXPECT_NE(style & WS_CAPTION, 0);
  EXPECT_NE(style & WS_MINIMIZEBOX, 0);
  EXPECT_EQ(style & WS_THICKFRAME, 0);
  EXPECT_NE(::GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(::GetMenuState(::GetSystemMenu(frame, FALSE), SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(system_.GetRect(frame_), (Rect{10, 20, 400, 300}));  // the frame change keeps the outer size

  FrameStyle bare;
  bare.framed = false;
  bare.title_bar = false;
  bare.system_menu = false;
  system_.SetFrameStyle(frame_, bare);
  EXPECT_EQ(::GetWindowLongPtrW(frame, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME), 0);
}

TEST_F(Win32WindowSystemTest, HiddenOwnerIsAToolWindowNeverShown) {
  CreateParams params;
  params.kind = ControlKind::kHidden;
  params.class_name = "_VL_HideOwner";
  WindowHandle owner = system_.Create(params);
  ASSERT_NE(owner, 0u);
  system_.Show(owner, true, true);
  EXPECT_FALSE(::IsWindowVisible(reinterpret_cast<HWND>(owner)));
  EXPECT_NE(::GetWindowLongPtrW(reinterpret_cast<HWND>(owner), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  system_.Destroy(owner);
  EXPECT_FALSE(system_.IsWindow(owner));
  EXPECT_EQ(recorder_.Count(Notice::kDestroyed, owner), 1);
}

TEST_F(Win32WindowSystemTest, EditCountsItsLimitInGbkBytesAndReportsOnlyTypedChanges) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  ASSERT_NE(edit, 0u);
  EditRules rules;
  rules.max_bytes = 5;
  system_.SetEditRules(edit, rules);
  system_.SetText(edit, "ab");
  EXPECT_EQ(recorder_.Count(Notice::kTextChanged, edit), 0);  // a program's write is not typing
  system_.SetText(edit, "");
  for (wchar_t c : std::wstring(L"\u4E2D\u6587\u4E2Dxy")) TypeChar(edit, c);
  EXPECT_EQ(system_.GetText(edit), "中文x");  // 2 + 2 + 1 bytes; the third character would need 2 more
  EXPECT_EQ(recorder_.Count(Notice::kTextChanged, edit), 3);
  TypeChar(edit, L'\b');  // Backspace still works at the limit
  EXPECT_EQ(system_.GetText(edit), "中文");
}

TEST_F(Win32WindowSystemTest, EditRulesForDigitsCaseAndPassword) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  EditRules rules;
  rules.digits_only = true;
  system_.SetEditRules(edit, rules);
  for (wchar_t c : std::wstring(L"-1a2.")) TypeChar(edit, c);
  EXPECT_EQ(system_.GetText(edit), "-12");

  rules = EditRules{};
  rules.case_mode = 2;
  rules.password = true;
  rules.password_char = '#';
  system_.SetEditRules(edit, rules);
  system_.SetText(edit, "");
  for (wchar_t c : std::wstring(L"ab\u4E2D")) TypeChar(edit, c);
  EXPECT_EQ(system_.GetText(edit), "AB中");
  EXPECT_EQ(::SendMessageW(reinterpret_cast<HWND>(edit), EM_GETPASSWORDCHAR, 0, 0), L'#');
}

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  ::GlobalUnlock(block);
  ::SetClipboardData(CF_UNICODETEXT, block);
  ::CloseClipboard();
}

TEST_F(Win32WindowSystemTest, PasteIsCutToTheLimitAndToOneLine) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  EditRules rules;
  rules.max_bytes = 6;
  system_.SetEditRules(edit, rules);
  PutOnClipboard(L"\u5BC6\u7801abc\r\nnext");
  ::SendMessageW(reinterpret_cast<HWND>(edit), WM_PASTE, 0, 0);
  EXPECT_EQ(system_.GetText(edit), "密码ab");
}


// Commits `text` through the edit's input context, as an input method does
// when the person picks a candidate; false when the system has no input
// method that takes a composition string.
bool CommitThroughInputMethod(HWND edit, const std::wstring& text) {
  HIMC context = ::ImmGetContext(edit);
  if (context == nullptr) return false;
  std::wstring composition = text;
  bool set = ::ImmSetCompositionStringW(context, SCS_SETSTR, composition.data(),
                                        static_cast<DWORD>(composition.size() * sizeof(wchar_t)), nullptr, 0) != FALSE;
  bool done = set && ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0) != FALSE;
  ::ImmReleaseContext(edit, context);
  return done;
}

// Runs the messages a control posted to itself (the system may turn an
// input method's character into a posted WM_CHAR).
void RunPostedMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Characters code page 936 lacks (가, ก, 😀 as two surrogates) never go
// into a box, however they come: typed, sent by an input method, committed
// by one, or pasted. The GBK characters around them go in, within the
// box's byte limit.
TEST_F(Win32WindowSystemTest, CharactersGbkLacksNeverGoIn) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  HWND native = reinterpret_cast<HWND>(edit);
  EditRules rules;
  rules.max_bytes = 12;
  system_.SetEditRules(edit, rules);
  for (wchar_t c : std::wstring(L"\u7AD9\uAC00\xD83D\xDE00" L"\u70B9\u0E01")) TypeChar(edit, c);
  EXPECT_EQ(system_.GetText(edit), "站点");
  ::SendMessageW(native, WM_IME_CHAR, 0xAC00, 1);
  ::SendMessageW(native, WM_IME_CHAR, 0x4E2D, 1);  // 中
  RunPostedMessages();
  EXPECT_EQ(system_.GetText(edit), "站点中");

  PutOnClipboard(L"a\uAC00b\xD83D\xDE00" L"c\u6587\u5B57");
  ::SendMessageW(native, WM_PASTE, 0, 0);
  EXPECT_EQ(system_.GetText(edit), "站点中abc文");  // 字 would pass the 12 bytes

  // The byte limit holds for an input method's characters too.
  ::SendMessageW(native, WM_IME_CHAR, 0x5B57, 1);
  RunPostedMessages();
  EXPECT_EQ(system_.GetText(edit), "站点中abc文");
  ::SendMessageW(native, WM_IME_CHAR, L'x', 1);
  RunPostedMessages();
  EXPECT_EQ(system_.GetText(edit), "站点中abc文x");

  system_.SetText(edit, "");
  if (!CommitThroughInputMethod(native, L"\u8F93\uAC00\u5165")) GTEST_SKIP() << "no input method takes a composition here";
  RunPostedMessages();
  EXPECT_EQ(system_.GetText(edit), "输入");
}

// An edit control that shows the composition inline inserts the committed
// result itself, with no WM_CHAR on the way: what it put in is put right
// afterwards by the box's rules.
TEST_F(Win32WindowSystemTest, TextAControlInsertsForAnInputMethodIsPutRight) {
  HWND edit = reinterpret_cast<HWND>(Control(ControlKind::kEdit, "EDIT", ""));
  ::SetWindowTextW(edit, L"ab\u7ad9ni");  // "ni" is the composition shown in the box
  EditInputRules rules;
  rules.accepts_character = [](wchar_t) { return true; };
  rules.admit = [](std::wstring text) { return text.substr(0, 3); };  // the box has room for three more
  auto control_commits = [edit](const wchar_t* result) {
    return [edit, result](UINT, WPARAM, LPARAM) {
      ::SendMessageW(edit, EM_SETSEL, 3, 5);
      ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(result));
      return LRESULT{0};
    };
  };
  FilterTextInput(edit, WM_IME_COMPOSITION, 0, GCS_RESULTSTR, rules, control_commits(L"\u8f93\uac00\u5165\u6cd5\u7801"));
  EXPECT_EQ(system_.GetText(reinterpret_cast<WindowHandle>(edit)), "ab站输入法");
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 6u);
  EXPECT_EQ(end, 6u);

  // A result the box takes whole stays as the control put it.
  ::SetWindowTextW(edit, L"ab\u7ad9ni");
  FilterTextInput(edit, WM_IME_COMPOSITION, 0, GCS_RESULTSTR, rules, control_commits(L"\u8f93"));
  EXPECT_EQ(system_.GetText(reinterpret_cast<WindowHandle>(edit)), "ab站输");
}

TEST_F(Win32WindowSystemTest, LabelIsItsOwnClassAndKeepsAmpersands) {
  WindowHandle label = Control(ControlKind::kLabel, "_VL_Label", "账号&密码");
  ASSERT_NE(label, 0u);
  wchar_t class_name[64] = {};
  ::GetClassNameW(reinterpret_cast<HWND>(label), class_name, 64);
  EXPECT_STREQ(class_name, L"_VL_Label");
  EXPECT_EQ(system_.GetText(label), "账号&密码");
}

TEST_F(Win32WindowSystemTest, ListViewColumnsRowsCellsAndFocus) {
  ControlLook look;
  look.view = ListViewMode::kReport;
  look.full_row_select = true;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", look);
  ASSERT_NE(list, 0u);
  EXPECT_NE(::GetWindowLongPtrW(reinterpret_cast<HWND>(list), GWL_STYLE) & LVS_REPORT, 0);
  system_.ListInsertColumn(list, 0, "网站", 100, 0);
  system_.ListInsertColumn(list, 1, "账号", 80, 1);
  EXPECT_EQ(system_.ListInsertRow(list, 0, "第一"), 0);
  EXPECT_EQ(system_.ListInsertRow(list, 5, "第二"), 1);  // past the end: appended
  EXPECT_TRUE(system_.ListSetCell(list, 1, 1, "用户"));
  EXPECT_FALSE(system_.ListSetCell(list, 1, 2, "x"));  // no such column
  EXPECT_FALSE(system_.ListSetCell(list, 9, 0, "x"));  // no such row
  char buffer[8];
  EXPECT_EQ(system_.ListGetCell(list, 1, 1, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "用户");
  EXPECT_EQ(system_.ListGetCell(list, 0, 0, buffer, 3), 2);  // cut to capacity - 1, as the control does
  EXPECT_EQ(system_.ListGetCell(list, 7, 0, buffer, sizeof buffer), 0);

  EXPECT_EQ(system_.ListFirstSelected(list), -1);
  system_.ListSetRowState(list, 1, true, true);
  EXPECT_EQ(system_.ListFirstSelected(list), 1);
  ASSERT_EQ(recorder_.Count(Notice::kRowFocused, list), 1);
  system_.ListSetRowState(list, 1, true, true);  // already focused: no second notice
  EXPECT_EQ(recorder_.Count(Notice::kRowFocused, list), 1);
  EXPECT_TRUE(system_.ListDeleteRow(list, 1));
  EXPECT_EQ(system_.ListFirstSelected(list), -1);
  system_.ListDeleteAllRows(list);
  EXPECT_EQ(system_.ListRowCount(list), 0);
}

// A report list keeps its cells beside the control: each row's cells follow
// it as rows are added between others and taken out, a cell is set on any
// row (not just the last added), and what the control reads back, draws and
// searches is what was set.
TEST_F(Win32WindowSystemTest, ListCellsFollowTheirRowsThroughInsertsAndDeletes) {
  ControlLook look;
  look.view = ListViewMode::kReport;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", look);
  ASSERT_NE(list, 0u);
  HWND native = reinterpret_cast<HWND>(list);
  for (int column = 0; column < 3; ++column) system_.ListInsertColumn(list, column, "列", 60, 0);
  auto row_text = [](int row, int column) { return "行" + std::to_string(row) + "-" + std::to_string(column); };
  for (int row = 0; row < 50; ++row) {
    ASSERT_EQ(system_.ListInsertRow(list, row, row_text(row, 0)), row);
    for (int column = 1; column < 3; ++column) ASSERT_TRUE(system_.ListSetCell(list, row, column, row_text(row, column)));
  }
  char buffer[32];
  auto cell = [&](int row, int column) {
    system_.ListGetCell(list, row, column, buffer, sizeof buffer);
    return std::string(buffer);
  };
  EXPECT_TRUE(system_.ListSetCell(list, 10, 2, "改过"));  // an earlier row
  EXPECT_FALSE(system_.ListSetCell(list, 50, 1, "x"));   // no such row
  EXPECT_FALSE(system_.ListSetCell(list, 3, 3, "x"));    // no such column
  ASSERT_EQ(system_.ListInsertRow(list, 5, "新行"), 5);  // between others
  EXPECT_TRUE(system_.ListDeleteRow(list, 0));
  EXPECT_TRUE(system_.ListDeleteRow(list, 20));            // 行20, back at its first place
  EXPECT_FALSE(system_.ListDeleteRow(list, 49));
  ASSERT_EQ(system_.ListRowCount(list), 49);
  EXPECT_EQ(cell(4, 0), "新行");
  EXPECT_EQ(cell(4, 1), "");  // a new row's other cells are empty
  EXPECT_EQ(cell(0, 1), row_text(1, 1));
  EXPECT_EQ(cell(9, 2), row_text(9, 2));
  EXPECT_EQ(cell(10, 2), "改过");
  EXPECT_EQ(cell(19, 0), row_text(19, 0));
  EXPECT_EQ(cell(20, 1), row_text(21, 1));
  EXPECT_EQ(cell(48, 2), row_text(49, 2));
  EXPECT_TRUE(system_.ListSetCell(list, 4, 2, "补上"));
  EXPECT_EQ(cell(4, 2), "补上");

  // The control finds a row by its first cell (typing in the list).
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  std::wstring wanted = L"\u884C" + std::to_wstring(30) + L"-0";  // 行30-0
  find.psz = wanted.c_str();
  EXPECT_EQ(::SendMessageW(native, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 29);

  system_.ListDeleteAllRows(list);
  EXPECT_EQ(system_.ListRowCount(list), 0);
  ASSERT_EQ(system_.ListInsertRow(list, 0, "再来"), 0);
  EXPECT_TRUE(system_.ListSetCell(list, 0, 1, "一次"));
  EXPECT_EQ(cell(0, 0), "再来");
  EXPECT_EQ(cell(0, 1), "一次");
}

// A report list's cells are kept beside the control and may hold passwords
// shown unmasked: every cell's text is wiped when it is replaced, when its
// row goes and when the list is emptied.
std::vector<std::string>& ReleasedCells() {
  static std::vector<std::string> blocks;
  return blocks;
}
void RecordCell(const void* block, std::size_t bytes) {
  ReleasedCells().emplace_back(static_cast<const char*>(block), bytes);
}

TEST_F(Win32WindowSystemTest, ListCellsAreWipedWhenReplacedOrLetGo) {
  ControlLook look;
  look.view = ListViewMode::kReport;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", look);
  ASSERT_NE(list, 0u);
  system_.ListInsertColumn(list, 0, "id", 40, 0);
  system_.ListInsertColumn(list, 1, "密码", 80, 0);
  // Longer than a string's inline buffer, so each lives in a block of its own.
  const std::string password = "a password shown in the list, long enough for the heap";
  ReleasedCells().clear();
  platform::WipingAllocatorObserver() = RecordCell;
  for (int row = 0; row < 3; ++row) {
    ASSERT_EQ(system_.ListInsertRow(list, row, std::to_string(row + 1)), row);
    ASSERT_TRUE(system_.ListSetCell(list, row, 1, password));
  }
  EXPECT_TRUE(system_.ListSetCell(list, 0, 1, "********"));  // masked again
  EXPECT_TRUE(system_.ListDeleteRow(list, 1));
  system_.ListDeleteAllRows(list);
  platform::WipingAllocatorObserver() = nullptr;
  std::size_t password_blocks = 0;
  for (const std::string& block : ReleasedCells()) {
    EXPECT_EQ(block.find_first_not_of('\0'), std::string::npos) << "a cell was let go unwiped";
    if (block.size() >= password.size() * sizeof(wchar_t)) ++password_blocks;
  }
  EXPECT_GE(password_blocks, 3u);  // the replaced one, the deleted row's, the last one's
}

// Hiding the column titles and unwrapping the captions take effect at once,
// on the control's own styles, and can be undone.
TEST_F(Win32WindowSystemTest, ListColumnTitlesAndLabelWrapFollowTheLookAtOnce) {
  ControlLook report;
  report.view = ListViewMode::kReport;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", report);
  ASSERT_NE(list, 0u);
  HWND window = reinterpret_cast<HWND>(list);
  system_.ListInsertColumn(list, 0, "网站", 100, 0);
  HWND header = reinterpret_cast<HWND>(::SendMessageW(window, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  auto styles = [](HWND w) { return ::GetWindowLongPtrW(w, GWL_STYLE); };
  report.hide_header = true;
  system_.SetLook(list, report);
  EXPECT_NE(styles(window) & LVS_NOCOLUMNHEADER, 0);
  EXPECT_EQ(styles(header) & WS_VISIBLE, 0) << "the titles are gone at once";
  report.hide_header = false;
  system_.SetLook(list, report);
  EXPECT_EQ(styles(window) & LVS_NOCOLUMNHEADER, 0);
  EXPECT_NE(styles(header) & WS_VISIBLE, 0);

  ControlLook icons;
  icons.wrap_labels = false;
  WindowHandle icon_list = Control(ControlKind::kListView, "SysListView32", "", icons);
  ASSERT_NE(icon_list, 0u);
  EXPECT_NE(styles(reinterpret_cast<HWND>(icon_list)) & LVS_NOLABELWRAP, 0);
  icons.wrap_labels = true;
  system_.SetLook(icon_list, icons);
  EXPECT_EQ(styles(reinterpret_cast<HWND>(icon_list)) & LVS_NOLABELWRAP, 0);
  report.wrap_labels = false;  // only the icon views wrap captions
  system_.SetLook(list, report);
  EXPECT_EQ(styles(window) & LVS_NOLABELWRAP, 0);
}

// Rows added in one go are drawn once: drawing is held from the first row
// until the queue is read. Meanwhile the list still counts as shown, and
// afterwards it is shown, or hidden when the program hid it meanwhile.
TEST_F(Win32WindowSystemTest, AListFilledInOneGoIsDrawnWhenTheQueueIsRead) {
  system_.Show(frame_, true, false);
  ControlLook look;
  look.view = ListViewMode::kReport;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", look);
  WindowHandle other = Control(ControlKind::kListView, "SysListView32", "", look);
  ASSERT_NE(list, 0u);
  ASSERT_NE(other, 0u);
  system_.Show(list, true, false);
  system_.Show(other, true, false);
  system_.ListInsertColumn(list, 0, "网站", 100, 0);
  system_.ListInsertColumn(other, 0, "网站", 100, 0);
  auto drain = [this] {
    Message got;
    bool quit = false;
    while (system_.PeekMessage(&got, &quit)) system_.DispatchMessage(got);
  };
  drain();

  for (int row = 0; row < 50; ++row) {
    ASSERT_EQ(system_.ListInsertRow(list, row, "行"), row);
    ASSERT_EQ(system_.ListInsertRow(other, row, "行"), row);
  }
  EXPECT_TRUE(system_.IsVisible(list));
  system_.Show(other, false, false);
  EXPECT_FALSE(system_.IsVisible(other));
  drain();
  HWND native = reinterpret_cast<HWND>(list);
  EXPECT_NE(::GetWindowLongPtrW(native, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_TRUE(system_.IsVisible(list));
  EXPECT_EQ(system_.ListRowCount(list), 50);
  EXPECT_FALSE(system_.IsVisible(other));
  EXPECT_EQ(::GetWindowLongPtrW(reinterpret_cast<HWND>(other), GWL_STYLE) & WS_VISIBLE, 0);

  // A reload holds drawing again, and a hidden list is never held (showing
  // it again must stay the program's call).
  system_.ListDeleteAllRows(list);
  system_.ListDeleteAllRows(other);
  for (int row = 0; row < 5; ++row) system_.ListInsertRow(other, row, "行");
  EXPECT_FALSE(system_.IsVisible(other));
  drain();
  EXPECT_EQ(system_.ListRowCount(list), 0);
  EXPECT_TRUE(system_.IsVisible(list));
  EXPECT_FALSE(system_.IsVisible(other));
  EXPECT_EQ(::GetWindowLongPtrW(reinterpret_cast<HWND>(other), GWL_STYLE) & WS_VISIBLE, 0);
}

// Shift+F10 and the menu key reach a list view as WM_CONTEXTMENU without a
// position: its right-click notice, and a menu opened meanwhile opens at
// the selected row instead of the mouse.
TEST_F(Win32WindowSystemTest, TheContextMenuKeyOfAListIsItsRightClickAtTheSelectedRow) {
  ControlLook look;
  look.view = ListViewMode::kReport;
  WindowHandle list = Control(ControlKind::kListView, "SysListView32", "", look);
  ASSERT_NE(list, 0u);
  HWND native = reinterpret_cast<HWND>(list);
  system_.ListInsertColumn(list, 0, "网站", 100, 0);
  for (int row = 0; row < 3; ++row) system_.ListInsertRow(list, row, "行");
  system_.ListSetRowState(list, 2, true, true);

  struct Watch : WindowListener {
    Win32WindowSystem* system = nullptr;
    WindowHandle list = 0;
    std::vector<POINT> menu_at;  // where a menu would open, at each right-click notice
    void OnNotice(const Message& message) override {
      if (message.notice != Notice::kRightClicked || message.window != list) return;
      POINT at{};
      system->CursorPosition(reinterpret_cast<int*>(&at.x), reinterpret_cast<int*>(&at.y));
      menu_at.push_back(at);
    }
  } watch;
  watch.system = &system_;
  watch.list = list;
  system_.SetListener(&watch);
  ::SendMessageW(native, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(native), static_cast<LPARAM>(-1));
  ASSERT_EQ(watch.menu_at.size(), 1u);
  RECT row{};
  row.left = LVIR_BOUNDS;
  ASSERT_TRUE(::SendMessageW(native, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)));
  POINT expected{row.left, row.bottom};
  ::ClientToScreen(native, &expected);
  EXPECT_EQ(watch.menu_at[0].x, ScaleFromScreen(expected.x));
  EXPECT_EQ(watch.menu_at[0].y, ScaleFromScreen(expected.y));

  // The mouse's context-menu message (with a position) follows NM_RCLICK,
  // which reported the click already.
  ::SendMessageW(native, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(native), MAKELPARAM(20, 20));
  EXPECT_EQ(watch.menu_at.size(), 1u);

  // The keys themselves, typed on the focused list and run through the
  // message loop: the system turns each into that message.
  system_.Show(frame_, true, true);
  system_.Show(list, true, false);
  ::SetFocus(native);
  ASSERT_EQ(::GetFocus(), native);
  auto press = [this](std::vector<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD key : keys) input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
      input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*key, 0, KEYEVENTF_KEYUP, 0, 0}}});
    ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    for (int i = 0; i < 30; ++i) {
      Message got;
      bool quit = false;
      while (system_.PeekMessage(&got, &quit)) system_.DispatchMessage(got);
      ::Sleep(10);
    }
  };
  press({VK_APPS});
  EXPECT_EQ(watch.menu_at.size(), 2u) << "the menu key";
  press({VK_SHIFT, VK_F10});
  EXPECT_EQ(watch.menu_at.size(), 3u) << "Shift+F10";
  system_.SetListener(&recorder_);
}

TEST_F(Win32WindowSystemTest, ButtonClicksAndDefaultStyleReachTheListener) {
  WindowHandle button = Control(ControlKind::kButton, "BUTTON", "确定");
  system_.SetDefaultButton(button, true);
  EXPECT_EQ(::GetWindowLongPtrW(reinterpret_cast<HWND>(button), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  ::SendMessageW(reinterpret_cast<HWND>(button), BM_CLICK, 0, 0);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 1);
}

TEST_F(Win32WindowSystemTest, QueueCarriesPostedNoticesKeysMenusAndQuit) {
  Message posted{Notice::kCloseRequest, frame_, 7, 8};
  system_.PostMessage(posted);
  Message got;
  bool quit = false;
  bool found = false;
  while (system_.PeekMessage(&got, &quit)) {
    if (got.notice == Notice::kCloseRequest && got.window == frame_) {
      found = true;
      EXPECT_EQ(got.a, 7);
      system_.DispatchMessage(got);
    } else {
      system_.DispatchMessage(got);
    }
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(recorder_.Count(Notice::kCloseRequest, frame_), 1);

  MenuEntry item;
  item.caption = "打开";
  item.command = 20001;
  MenuHandle bar = system_.CreateMenuBar({MenuEntry{"文件", 0, false, false, {item}}});
  system_.SetMenuBar(frame_, bar);
  EXPECT_EQ(system_.GetRect(frame_).height, 300);  // the menu bar takes client space, not window size
  ::SendMessageW(reinterpret_cast<HWND>(frame_), WM_COMMAND, MAKEWPARAM(20001, 0), 0);
  ASSERT_FALSE(recorder_.seen.empty());
  EXPECT_EQ(recorder_.seen.back().notice, Notice::kCommand);
  EXPECT_EQ(recorder_.seen.back().a, 20001);

  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  ::PostMessageW(reinterpret_cast<HWND>(edit), WM_KEYDOWN, VK_TAB, 0);
  system_.PostQuit(3);
  bool key_seen = false;
  while (system_.GetMessage(&got, nullptr, nullptr)) {
    if (got.notice == Notice::kKeyDown && got.window == edit && got.a == VK_TAB) key_seen = true;
    system_.DispatchMessage(got);
  }
  EXPECT_TRUE(key_seen);
  system_.SetMenuBar(frame_, 0);
  system_.DestroyMenu(bar);
}

TEST_F(Win32WindowSystemTest, DestroyReportsEveryWindowOnce) {
  WindowHandle edit = Control(ControlKind::kEdit, "EDIT", "");
  WindowHandle label = Control(ControlKind::kLabel, "_VL_Label", "x");
  system_.Destroy(frame_);
  EXPECT_EQ(recorder_.Count(Notice::kDestroyed, edit), 1);
  EXPECT_EQ(recorder_.Count(Notice::kDestroyed, label), 1);
  EXPECT_EQ(recorder_.Count(Notice::kDestroyed, frame_), 1);
  EXPECT_FALSE(system_.IsWindow(edit));
}

}  // namespace
}  // namespace platform::win32
#endif  // _WIN32
