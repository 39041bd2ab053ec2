// What a person sees on the real Win32 desktop of this process: the open
// message box, input box, password dialog or popup menu, the frames, and the
// units by name. Only looks; never changes anything.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui_test {

enum class Wait { kIdle, kMessageBox, kInputBox, kPasswordDialog, kPopupMenu };
const char* WaitName(Wait wait);

// The box, dialog or popup menu this thread shows now, if any.
struct OpenModal {
  Wait kind = Wait::kIdle;
  HWND window = nullptr;
};
std::optional<OpenModal> FindOpenModal();

// Texts in UTF-8.
std::string WindowTextUtf8(HWND window);
std::string ItemTextUtf8(HWND dialog, int id);

// The frames of the program that are visible, in creation order.
std::vector<HWND> VisibleFrames();
// A unit's window by name (UTF-8; the active window's first) or by hex id
// "0x16010005"; null when none.
HWND FindUnit(const std::string& name);
// The window id and unit id behind one of our windows.
bool UnitIds(HWND window, std::uint32_t* window_id, std::uint32_t* unit_id);
bool IsOurs(HWND window, int kind_filter = -1);  // kind_filter: a platform::ControlKind, -1 any

// The clipboard's text (UTF-8); nullopt when it holds none.
std::optional<std::string> ClipboardUtf8();

// A one-line description of the screen (UTF-8), for failure messages.
std::string DescribeScreen();

}  // namespace gui_test
