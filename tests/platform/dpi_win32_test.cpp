// The Win32 window system at the dots per inch of each frame's monitor: the
// test program declares per-monitor awareness as the notebook does (its
// manifest), so frames, units and fonts come out at the system's scale
// (QK_EXPECT_DPI, 96 unless the run set Wine's LogPixels), and a frame told
// it moved to a monitor at another scale (WM_DPICHANGED) lays out its units
// again from their own geometry.
#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/gdi_support.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

int ExpectedDpi() {
  const char* value = std::getenv("QK_EXPECT_DPI");
  return value != nullptr && *value != '\0' ? std::atoi(value) : 96;
}

// A font description of this height in template pixels (negative: the
// character height), face "SimSun", GB2312.
std::string FontOfHeight(std::int32_t height) {
  std::string description(60, '\0');
  std::memcpy(description.data(), &height, sizeof height);
  const std::int32_t weight = 400;
  std::memcpy(description.data() + 16, &weight, sizeof weight);
  description[23] = static_cast<char>(GB2312_CHARSET);
  std::memcpy(description.data() + 28, "SimSun", 6);
  return description;
}

RECT ScreenRect(WindowHandle window) {
  RECT r{};
  ::GetWindowRect(reinterpret_cast<HWND>(window), &r);
  return r;
}

// Where a control is inside its frame's client area, in screen pixels.
RECT ClientPlace(WindowHandle control) {
  RECT r = ScreenRect(control);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(reinterpret_cast<HWND>(control)), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LONG FontHeight(WindowHandle control) {
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(reinterpret_cast<HWND>(control), WM_GETFONT, 0, 0));
  LOGFONTW description{};
  if (font == nullptr || ::GetObjectW(font, sizeof description, &description) == 0) return 0;
  return description.lfHeight;
}

int ColumnWidth(WindowHandle list) {
  return static_cast<int>(::SendMessageW(reinterpret_cast<HWND>(list), LVM_GETCOLUMNWIDTH, 0, 0));
}

class Win32DpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateParams params;
    params.kind = ControlKind::kFrame;
    params.class_name = "QXWindow";
    params.text = "scale";
    params.rect = Rect{10, 20, 400, 300};
    params.frame.centered = false;
    frame_ = system_.Create(params);
    ASSERT_NE(frame_, 0u);
    edit_ = Unit(ControlKind::kEdit, Rect{8, 8, 200, 24}, FontOfHeight(-12));
    label_ = Unit(ControlKind::kLabel, Rect{8, 40, 120, 20}, std::string());
    list_ = Unit(ControlKind::kListView, Rect{8, 70, 300, 150}, std::string());
    ASSERT_NE(edit_, 0u);
    ASSERT_NE(label_, 0u);
    ASSERT_NE(list_, 0u);
    system_.ListInsertColumn(list_, 0, "title", 100, 0);
  }
  void TearDown() override {
    if (system_.IsWindow(frame_)) system_.Destroy(frame_);
  }

  WindowHandle Unit(ControlKind kind, Rect rect, const std::string& font) {
    CreateParams params;
    params.kind = kind;
    params.parent = frame_;
    params.control_id = 100;
    params.rect = rect;
    params.look.font = font;
    params.look.view = ListViewMode::kReport;
    return system_.Create(params);
  }

  // Every unit at `dpi`, where the runtime put it.
  void ExpectLaidOutAt(int dpi) {
    auto expect_at = [dpi](WindowHandle control, Rect rect) {
      RECT r = ClientPlace(control);
      EXPECT_EQ(r.left, ::MulDiv(rect.left, dpi, 96));
      EXPECT_EQ(r.top, ::MulDiv(rect.top, dpi, 96));
      EXPECT_EQ(r.right - r.left, ::MulDiv(rect.width, dpi, 96));
      EXPECT_EQ(r.bottom - r.top, ::MulDiv(rect.height, dpi, 96));
    };
    SCOPED_TRACE(dpi);
    expect_at(edit_, Rect{8, 8, 200, 24});
    expect_at(label_, Rect{8, 40, 120, 20});
    expect_at(list_, Rect{8, 70, 300, 150});
    EXPECT_EQ(FontHeight(edit_), ::MulDiv(-12, dpi, 96));
    EXPECT_EQ(FontHeight(list_), -::MulDiv(9, dpi, 72));
    EXPECT_EQ(ColumnWidth(list_), ::MulDiv(100, dpi, 96));
    // The runtime reads back what it wrote, whatever the scale.
    EXPECT_EQ(system_.GetRect(edit_), (Rect{8, 8, 200, 24}));
    EXPECT_EQ(system_.GetRect(list_), (Rect{8, 70, 300, 150}));
  }

  Win32WindowSystem& system_ = NativeWindowSystem();
  WindowHandle frame_ = 0, edit_ = 0, label_ = 0, list_ = 0;
};

TEST_F(Win32DpiTest, FramesAndUnitsComeOutAtTheScreensScale) {
  const int dpi = ExpectedDpi();
  EXPECT_EQ(WindowDpi(reinterpret_cast<HWND>(frame_)), dpi) << "the process is not aware of the screen's DPI";
  RECT frame = ScreenRect(frame_);
  EXPECT_EQ(frame.left, ::MulDiv(10, dpi, 96));
  EXPECT_EQ(frame.top, ::MulDiv(20, dpi, 96));
  EXPECT_EQ(frame.right - frame.left, ::MulDiv(400, dpi, 96));
  EXPECT_EQ(frame.bottom - frame.top, ::MulDiv(300, dpi, 96));
  EXPECT_EQ(system_.GetRect(frame_), (Rect{10, 20, 400, 300}));
  ExpectLaidOutAt(dpi);
}

TEST_F(Win32DpiTest, AFrameMovedToAMonitorAtAnotherScaleLaysItsUnitsOutAgain) {
  const int dpi = ExpectedDpi();
  // The runtime moved a unit after creation: that is where it stays.
  system_.SetRect(edit_, Rect{8, 8, 200, 24});
  system_.SetRect(label_, Rect{8, 40, 120, 20});
  for (int to : {dpi * 2, dpi * 3 / 2, dpi}) {
    RECT suggested{30, 40, 30 + ::MulDiv(400, to, 96), 40 + ::MulDiv(300, to, 96)};
    ::SendMessageW(reinterpret_cast<HWND>(frame_), WM_DPICHANGED, MAKEWPARAM(to, to),
                   reinterpret_cast<LPARAM>(&suggested));
    RECT frame = ScreenRect(frame_);
    EXPECT_EQ(frame.left, suggested.left);
    EXPECT_EQ(frame.top, suggested.top);
    EXPECT_EQ(frame.right, suggested.right);
    EXPECT_EQ(frame.bottom, suggested.bottom);
    ExpectLaidOutAt(to);
  }
  // A column the person widened keeps its share.
  ::SendMessageW(reinterpret_cast<HWND>(list_), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(::MulDiv(150, dpi, 96), 0));
  RECT suggested = ScreenRect(frame_);
  ::SendMessageW(reinterpret_cast<HWND>(frame_), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
                 reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(ColumnWidth(list_), ::MulDiv(150, dpi * 2, 96));
}

TEST_F(Win32DpiTest, AUnitMadeAfterTheMoveTakesTheNewScale) {
  const int to = ExpectedDpi() * 2;
  RECT suggested = ScreenRect(frame_);
  ::SendMessageW(reinterpret_cast<HWND>(frame_), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  WindowHandle button = Unit(ControlKind::kButton, Rect{8, 230, 80, 26}, std::string());
  ASSERT_NE(button, 0u);
  RECT r = ClientPlace(button);
  EXPECT_EQ(r.top, ::MulDiv(230, to, 96));
  EXPECT_EQ(r.right - r.left, ::MulDiv(80, to, 96));
  EXPECT_EQ(FontHeight(button), -::MulDiv(9, to, 72));
  system_.SetRect(button, Rect{10, 232, 90, 28});
  EXPECT_EQ(system_.GetRect(button), (Rect{10, 232, 90, 28}));
  EXPECT_EQ(ClientPlace(button).right - ClientPlace(button).left, ::MulDiv(90, to, 96));
}

}  // namespace
}  // namespace platform::win32
#endif  // _WIN32
