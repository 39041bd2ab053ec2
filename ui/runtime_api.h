// The window runtime's operations, as the runtime services, the request
// function, the commands and the unit types use them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/program.h"
#include "runtime/value.h"
#include "ui/registry.h"

namespace ui {

// Start-up: read the template block; false when unreadable.
bool LoadTemplates(const void* data, std::uint32_t length, const rt::Handler* code_base, std::uint32_t count);

// Loading (request 2005). Returns true on success. `owner` is a window object
// or null.
bool LoadWindow(UnitId window, WindowObject* owner, bool modal);
bool LoadStartWindow(UnitId window);
void ShowWindow(WindowObject& window);

// Closing: the queries unless forced, then destroying.
void CloseWindow(WindowObject& window);
void DestroyWindow(WindowObject& window);
// DestroyUnit: a window (unit 0 or its own unit) or a unit of it.
void DestroyUnit(UnitId window, UnitId unit, bool immediately);

void RunMessageLoop();
void RunModalLoop(UnitId window);
// Request 2018: every queued message, stopping early at quit.
void ProcessPendingMessages();
void RegisterIdleCallback(UnitId window, void (*callback)(void*), void* context);

// Events (request 2008). Returns true when a handler ran.
struct EventNotice {
  UnitId window = 0;
  UnitId unit = 0;
  std::int32_t event = 0;
  std::int32_t argc = 0;
  std::int32_t args[5] = {};
  std::int32_t has_result = 0;
  std::int32_t result = 0;
};
bool RaiseEvent(EventNotice& notice);
// Convenience: raise an event without arguments; false when refused (the
// handler returned 0) — true otherwise.
bool RaiseSimple(UnitId window, UnitId unit, std::int32_t event, bool* handled = nullptr);
// Inside a handler: its arguments and a way to return a value.
std::int32_t EventArgument(int index);
void SetEventResult(std::int32_t value);

// Property services.
rt::Value ReadProperty(UnitId window, UnitId unit, std::int32_t property, std::int32_t sub_index);
void WriteProperty(UnitId window, UnitId unit, std::int32_t property, std::int32_t sub_index, std::uint32_t lo,
                   std::uint32_t hi);

// The request function's window part.
std::intptr_t WindowRequest(std::int32_t code, std::intptr_t a, std::intptr_t b);

// Installs the window runtime into the runtime core (hooks, services).
void InstallWindowRuntime();

// Event block counter helpers (requests 2009/2010 without the pumping).
void BlockEvents();
void UnblockEvents();

// Re-creation of a unit after a property change that needs it.
void RecreateUnit(WindowObject& window, UnitId unit);
// Rebuilds a window's menu bar and accelerators after a menu change.
void RebuildMenuBar(WindowObject& window);

}  // namespace ui

namespace ui {

// Request 2005's record.
struct LoadWindowRequest {
  UnitId window = 0;
  WindowObject* owner = nullptr;
  std::int32_t modal = 0;
};

// Window-runtime request codes beyond the runtime core's own.
namespace request {
inline constexpr std::int32_t kRegistry = 1001;
inline constexpr std::int32_t kUnitType = 1002;
inline constexpr std::int32_t kUnitWindowGone = 2000;
inline constexpr std::int32_t kLoadWindow = 2005;
inline constexpr std::int32_t kFindUnit = 2006;
inline constexpr std::int32_t kFindUnitStrict = 2007;
inline constexpr std::int32_t kRaiseEvent = 2008;
inline constexpr std::int32_t kBlockEvents = 2009;
inline constexpr std::int32_t kUnblockEvents = 2010;
inline constexpr std::int32_t kCurrentEventSource = 2017;
inline constexpr std::int32_t kProcessMessages = 2018;
inline constexpr std::int32_t kRaiseTypedEvent = 2031;
// Ours: the system window handle of (window id, unit id), 0 when not loaded.
// Lets commands below the window runtime (message box owners) reach it.
inline constexpr std::int32_t kSystemHandle = 2040;
}  // namespace request

}  // namespace ui
