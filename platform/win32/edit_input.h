// Text entering an edit control whose content the program keeps in GBK.
// Every way a person puts text in passes the box's rules, and a character
// that code page 936 lacks is never inserted: it would be saved as "?" or a
// look-alike, and a password copied back would differ from the one typed.
//
// The ways in: typed characters (WM_CHAR; a character outside the Basic
// Multilingual Plane comes as two surrogate WM_CHARs), characters an input
// method sends (WM_IME_CHAR), the result string an input method commits
// (WM_IME_COMPOSITION with GCS_RESULTSTR, which the control may insert
// itself without any WM_CHAR) and pastes (WM_PASTE).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

// True for a character code page 936 holds exactly (no default character,
// no best-fit look-alike); false for surrogates.
bool IsGbkCharacter(wchar_t c);

// `text` without the characters GBK lacks (a surrogate pair is one such
// character); *dropped tells whether any went.
std::wstring KeepGbkCharacters(std::wstring_view text, bool* dropped);

// A box's own rules, beyond GBK.
struct EditInputRules {
  // Whether a typed character may go in now (a filter, a byte limit).
  std::function<bool(wchar_t c)> accepts_character;
  // The part of a pasted or committed text the box takes in place of its
  // selection (filters, one line, a byte limit).
  std::function<std::wstring(std::wstring text)> admit;
};

// The edit control's own window procedure, for messages passed on.
using PassOn = std::function<LRESULT(UINT message, WPARAM wparam, LPARAM lparam)>;

// Handles a message that puts text into `edit`: nullopt for any other
// message (the caller goes on as usual), else the message's result. A
// refused character, and text with characters GBK lacks, beep.
std::optional<LRESULT> FilterTextInput(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                       const EditInputRules& rules, const PassOn& pass_on);

// Holds a single-line edit control of a dialog to GBK alone (no other
// rule) for as long as it lives.
void KeepEditToGbk(HWND edit);

// The clipboard's text (CF_UNICODETEXT); empty when it holds none.
std::wstring ClipboardUnicodeText();

}  // namespace platform::win32
