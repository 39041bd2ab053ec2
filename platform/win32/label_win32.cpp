#include "platform/win32/label_win32.h"

#include <string>

#include "platform/win32/gdi_support.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

COLORREF Colour(std::uint32_t colour, int system_colour) {
  return colour == kSystemColour ? ::GetSysColor(system_colour) : static_cast<COLORREF>(colour & 0xFFFFFF);
}

// A label with the system's background shows the window it sits on, in
// that window's colour.
void Paint(HWND label, const Win32WindowSystem& system, const Win32WindowSystem::Native& native) {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(label, &paint);
  RECT client{};
  ::GetClientRect(label, &client);
  const ControlLook& look = native.look;
  HBRUSH background = ::CreateSolidBrush(look.background == kSystemColour ? system.FaceBehind(label)
                                                                          : static_cast<COLORREF>(look.background & 0xFFFFFF));
  ::FillRect(dc, &client, background);
  ::DeleteObject(background);

  HGDIOBJ old_font = ::SelectObject(dc, native.font != nullptr ? native.font : DefaultGuiFont(native.dpi));
  ::SetBkMode(dc, TRANSPARENT);
  UINT format = DT_NOPREFIX;  // "&" is shown as it is
  format |= look.horizontal_align == 1 ? DT_CENTER : look.horizontal_align == 2 ? DT_RIGHT : DT_LEFT;
  if (look.word_wrap) {
    format |= DT_WORDBREAK;
  } else {
    format |= DT_SINGLELINE | (look.vertical_align == 0 ? DT_TOP : look.vertical_align == 2 ? DT_BOTTOM : DT_VCENTER);
  }
  const WideSecret caption = WindowTextSecret(label);
  std::wstring_view text = caption.view();
  auto draw = [&](COLORREF colour, int dx, int dy) {
    RECT at = client;
    ::OffsetRect(&at, dx, dy);
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &at, format);
  };
  COLORREF colour = Colour(look.text_colour, COLOR_BTNTEXT);
  const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
  switch (look.text_effect) {
    case 1: draw(kWhite, 1, 1); draw(colour, 0, 0); break;   // engraved
    case 2: draw(kWhite, 0, 0); draw(colour, 1, 1); break;   // embossed
    case 3: draw(kBlack, 2, 2); draw(colour, 0, 0); break;   // shadow
    default: draw(colour, 0, 0); break;
  }
  ::SelectObject(dc, old_font);
  ::EndPaint(label, &paint);
}

LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32WindowSystem* system = Win32WindowSystem::Instance();
  const Win32WindowSystem::Native* native = system != nullptr ? system->Find(label) : nullptr;
  switch (message) {
    case kPostedNotice:
      if (system != nullptr) system->DeliverPosted(static_cast<std::intptr_t>(wparam));
      return 0;
    case WM_ERASEBKGND: return 1;  // painted with the text
    case WM_LBUTTONDOWN:
      // A label lets a press through to a frame that drags by its client area.
      if (system != nullptr && system->DragByClientArea(label, lparam)) return 0;
      break;
    case WM_PAINT:
      if (native != nullptr) {
        Paint(label, *system, *native);
        return 0;
      }
      break;
    case WM_SETTEXT: {
      LRESULT done = ::DefWindowProcW(label, message, wparam, lparam);
      ::InvalidateRect(label, nullptr, TRUE);
      return done;
    }
    case WM_NCDESTROY: {
      LRESULT done = ::DefWindowProcW(label, message, wparam, lparam);
      if (system != nullptr) system->Forget(label);
      return done;
    }
    default: break;
  }
  return ::DefWindowProcW(label, message, wparam, lparam);
}

}  // namespace

void RegisterLabelClass() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, kLabelClass, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = LabelProc;
  wc.hInstance = instance;
  wc.hCursor = ArrowCursor();
  wc.lpszClassName = kLabelClass;
  ::RegisterClassExW(&wc);
}

}  // namespace platform::win32
