// The runtime's one state record, created before the application runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/program.h"

namespace rt {

// Hooks through which the runtime reaches the window runtime without
// depending on it. Unset hooks are treated as "no windows".
struct WindowHooks {
  // Loads the serialised templates; false when the data are unreadable.
  bool (*load_templates)(const void* data, std::uint32_t length, const Handler* code_base,
                         std::uint32_t handler_count) = nullptr;
  // Releases the template list and every window built from it.
  void (*release_windows)() = nullptr;
  // Creates and destroys the hidden owner window.
  void (*create_owner_window)() = nullptr;
  void (*destroy_owner_window)() = nullptr;
  // Forwards an exit request from another thread to the owner window.
  void (*forward_exit)(int code) = nullptr;
  // Forgets the registered idle callbacks.
  void (*forget_idle_callbacks)() = nullptr;
  // Requests the runtime leaves to the window runtime (2005-2010, 2018, ...);
  // answers 0 for codes it does not know.
  RequestFunction window_request = nullptr;
  // The system handle of a loaded window, by its window id and its own unit
  // id; 0 when it is not loaded. Message and input boxes use it as owner.
  std::uintptr_t (*window_handle)(std::uint32_t window, std::uint32_t unit) = nullptr;
};

struct RuntimeState {
  std::uint32_t run_mode = 3;
  std::uint32_t reserved = 0;
  std::uint32_t runtime_version = 0;
  std::uint32_t ui_thread = 0;
  std::string program_folder;  // GBK, no trailing separator
  std::string program_file;    // GBK
  std::vector<Handler> exit_handlers;
  bool exit_in_progress = false;
  bool ole_initialised = false;  // by start-up, so exit uninitialises it
  // The text of the runtime error report (GBK), kept as well as shown: the
  // box may not be seen (no desktop yet), and tools that run the program
  // say why it ended with -1.
  std::string error_report;
  bool message_loop_entered = false;
  // While at least 1, events are dropped. Raised by every error report and
  // every exit; never lowered.
  std::uint32_t event_block_counter = 0;
  const ProgramHeader* header = nullptr;
  std::vector<const LibraryDescriptor*> libraries;
  WindowHooks windows;
};

RuntimeState& State();

// What the program header declares about secret entry (see ProgramHeader):
// false before start-up.
bool IsSecretEditBox(std::uint32_t window_id, std::uint32_t unit_id);
bool InputBoxesTakeSecrets();
// The handler the program header binds to a unit's event beyond its
// template; null when there is none (or before start-up).
Handler ExtraEventHandler(std::uint32_t window_id, std::uint32_t unit_id, std::int32_t event);

}  // namespace rt
