// The compiled program's header record and the libraries it links.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// The runtime's request function, handed to every library at start-up:
// request(code, word, word) -> word.
using RequestFunction = std::intptr_t (*)(std::int32_t code, std::intptr_t a, std::intptr_t b);

// Library notification entry: code 1 hands over the request function (in a),
// code 6 asks the library to release its data; other codes answer -1.
using NotifyFunction = std::intptr_t (*)(std::int32_t code, std::intptr_t a, std::intptr_t b);

struct LibraryDescriptor {
  const char* name;
  NotifyFunction notify;  // may be null
};

// An event handler of the application: no arguments, no result.
using Handler = void (*)();

// A unit of a window template, by window id and unit id.
struct UnitRef {
  std::uint32_t window_id;
  std::uint32_t unit_id;
};

// An event the program handles beyond its window templates' bindings: the
// unit, the event index and the handler's index in the code base.
struct ExtraBinding {
  UnitRef unit;
  std::int32_t event;
  std::int32_t handler;
};

struct ProgramHeader {
  std::uint32_t run_mode = 3;
  std::uint32_t reserved = 0;
  std::uint32_t runtime_version = 0x1015A;
  // Event-handler references in the window templates are indexes into this
  // table (the program's code base); -1 means no handler.
  const Handler* code_base = nullptr;
  std::uint32_t handler_count = 0;
  const void* constant_segment = nullptr;
  std::uint32_t constant_segment_length = 0;
  const void* template_data = nullptr;
  std::uint32_t template_data_length = 0;
  std::uint32_t library_count = 0;
  const LibraryDescriptor* const* libraries = nullptr;
  std::uint32_t dll_command_count = 0;
  const char* const* dll_files = nullptr;
  const char* const* dll_entries = nullptr;
  // Where the program takes a secret that must be typed again exactly as
  // now (the database password): these edit boxes, and every input box
  // when `secret_input_boxes` is set, get no input method on any desktop.
  // (An input method can write what a masked box, where systems switch it
  // off, can never type.)
  const UnitRef* secret_edit_boxes = nullptr;
  std::uint32_t secret_edit_box_count = 0;
  bool secret_input_boxes = false;
  // Handlers for events the templates leave unbound; a template's own
  // binding of the same event comes first.
  const ExtraBinding* extra_bindings = nullptr;
  std::uint32_t extra_binding_count = 0;
};

}  // namespace rt
