// Copied secrets do not stay on the clipboard: a copied password or whole
// record is cleared after a while (if the clipboard still holds exactly
// what the notebook put there) and when the notebook exits.
#pragma once

#include <cstdint>

namespace app {

inline constexpr std::int32_t kDefaultClipboardSeconds = 30;

// The "clipboard" value of user.ini: a whole number of seconds from 0 (never
// clear) up to a day; anything else, or nothing, gives the default.
std::int32_t ParseClipboardSeconds(const char* text);

// A password or a whole record was just put on the clipboard.
void ClipboardHoldsSecret();
// Something else (an account) replaced it: nothing is left to clear.
void ClipboardHoldsPlainText();

// On locking: clears whatever the notebook put on the clipboard (an
// account too) while it is still there, and cancels a clearing to come.
void ClearNotebookClipboard();

// At exit: clears a secret the notebook left on the clipboard, unless
// clearing is off.
void ClearSecretAtExit();

}  // namespace app
