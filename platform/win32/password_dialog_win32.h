// The database password dialog (resource 554's layout) on Win32.
#pragma once

#include <string>

#include "platform/host.h"

namespace platform::win32 {

// Dialog and control numbers, for drivers that find its parts.
inline constexpr int kPasswordDialogResource = 554;
inline constexpr int kPasswordEditId = 1001;
inline constexpr int kPasswordMessageId = 1017;
inline constexpr int kPasswordIconResource = 1151;

// Runs the dialog modally over the thread's active window. kOk with the
// typed text (GBK) in *typed, else kCancel with *typed untouched.
BoxAnswer RunPasswordDialog(const PasswordDialogTexts& texts, Secret* typed);

}  // namespace platform::win32
