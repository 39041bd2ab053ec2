// The notebook's clipboard on Windows: texts marked so that the system keeps
// them out of clipboard history and the cloud clipboard and clipboard
// monitors leave them alone, and cleared later only while the clipboard
// still holds exactly what was put there.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform::win32 {

// The runtime's hidden owner window (null when it is gone): the clipboard
// is opened with it, so the notebook owns what it puts there.
void SetClipboardOwnerWindow(HWND owner);

// Puts a GBK text on the clipboard as CF_TEXT and CF_UNICODETEXT, with the
// registered formats "ExcludeClipboardContentFromMonitorProcessing",
// "CanIncludeInClipboardHistory" = 0 and "CanUploadToCloudClipboard" = 0.
// False when the clipboard could not be opened or the text not placed.
bool PutPrivateClipboardText(const std::string& gbk);

// Empties the clipboard if nothing has changed it since the last
// PutPrivateClipboardText (same clipboard sequence number); true when it did.
bool ClearClipboardIfUnchanged();

// Calls ClearClipboardIfUnchanged once, `seconds` from now, through a thread
// timer of the calling thread (its message loop dispatches it); replaces the
// one set before. 0 cancels.
void ScheduleClipboardClearing(std::uint32_t seconds);

}  // namespace platform::win32
