// What a person sees on the real Win32 desktop of this process that the
// window system seam does not say: the open message box, input box,
// password dialog or popup menu, and the clipboard. Only looks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/window_system.h"
#include "tools/scenario/person.h"

namespace gui_test {

// The dialog items of the boxes this program shows.
inline constexpr int kInputPrompt = 101, kInputPlainEdit = 102, kInputMaskedEdit = 103;
inline constexpr int kMessageBoxText = 0xFFFF;

// The box, dialog or popup menu this thread shows now, if any.
struct OpenModal {
  scenario::Wait kind = scenario::Wait::kIdle;
  HWND window = nullptr;
};
std::optional<OpenModal> FindOpenModal();

// Texts in UTF-8.
std::string Utf8OfWide(const std::wstring& wide);
std::wstring WideOfUtf8(const std::string& utf8);
std::string WindowTextUtf8(HWND window);
std::string ItemTextUtf8(HWND dialog, int id);

// The menu a popup menu window shows; null when it shows none.
HMENU MenuOfPopup(HWND popup);

// Whether the window is one this program's window system made, of the kind
// given (any kind when none is).
bool IsOurs(HWND window, std::optional<platform::ControlKind> kind = std::nullopt);

// The clipboard's text (UTF-8); nothing when it holds none.
std::optional<std::string> ClipboardUtf8();

}  // namespace gui_test
