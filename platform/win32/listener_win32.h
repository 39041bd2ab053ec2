// What Windows reports to the host's listener (platform/host.h):
// - input: a WH_GETMESSAGE hook on the thread sees every message taken from
//   its queue, in the program's own loops and in those of message boxes,
//   dialogs and menus alike, so keys and mouse buttons in any of its
//   windows count;
// - beats: a thread timer, which every one of those loops dispatches;
// - the session lock: WM_WTSSESSION_CHANGE with WTS_SESSION_LOCK, sent to a
//   hidden window of this module registered with
//   WTSRegisterSessionNotification.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/host.h"

namespace platform::win32 {

// Reports to `listener` from now on (null stops everything); beats every
// tick_ms (0: none).
void StartListenerReports(HostListener* listener, std::uint32_t tick_ms);

// The hidden window the session-change notice goes to; null while no
// listener is set.
HWND SessionWatchWindow();

}  // namespace platform::win32
