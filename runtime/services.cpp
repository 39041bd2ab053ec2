#include "runtime/services.h"

#include <cfenv>
#include <cstring>
#include <memory>

#include "platform/find.h"
#include "platform/host.h"
#include "platform/system.h"
#include "runtime/errors.h"
#include "runtime/exit.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/state.h"

namespace rt {
namespace {

WindowServices g_window_services{};

[[noreturn]] void ReportErrorService(std::int32_t code) { ReportError(code); }

void CallDllCommandService(std::int32_t index) {
  // This program declares no DLL commands, so every index is unresolvable.
  RuntimeState& state = State();
  const char* file = "";
  const char* entry = "";
  if (state.header != nullptr && index >= 0 && static_cast<std::uint32_t>(index) < state.header->dll_command_count) {
    file = state.header->dll_files[index];
    entry = state.header->dll_entries[index];
  }
  std::string message = std::string("无法找到指定DLL库文件“") + file + "”中的输出命令“" + entry + "”";
  RuntimeError(message.c_str(), 0);
}

Value CallLibraryCommandService(std::int32_t, Command command, std::int32_t argc, Value* argv) {
  // Every library is linked in: the entry alone selects the command.
  return CallCommand(command, argc, argv);
}

Value ReadPropertyService(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index) {
  if (g_window_services.read_property == nullptr) RuntimeError("指定窗口或窗口组件不存在或尚未载入", 0);
  return g_window_services.read_property(window, unit, property, index);
}

void WritePropertyService(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index,
                          std::uint32_t lo, std::uint32_t hi) {
  if (g_window_services.write_property == nullptr) RuntimeError("指定窗口或窗口组件不存在或尚未载入", 0);
  g_window_services.write_property(window, unit, property, index, lo, hi);
}

[[noreturn]] void ExitProgramService(std::int32_t code) { ExitProgram(code); }

void RunMessageLoopService() {
  State().message_loop_entered = true;
  if (g_window_services.run_message_loop != nullptr) g_window_services.run_message_loop();
}

void LoadStartWindowService(std::uint32_t window) {
  if (g_window_services.load_start_window == nullptr || !g_window_services.load_start_window(window))
    RuntimeError("载入启动窗口失败", 0);
}

// Request 0: the next file matching the pattern (null continues the search
// held in *handle); null when none is left, the handle then closed.
std::intptr_t FindNextFile(const char* pattern, bool files_only, platform::FileSearch** handle) {
  if (handle == nullptr) return 0;
  if (pattern != nullptr) {
    delete *handle;
    *handle = platform::StartFileSearch(pattern).release();
  }
  platform::FoundFile found;
  while (*handle != nullptr && (*handle)->Next(&found)) {
    if (files_only && found.is_folder) continue;
    return reinterpret_cast<std::intptr_t>(CopyTextN(found.name.data(), static_cast<std::int64_t>(found.name.size())));
  }
  delete *handle;
  *handle = nullptr;
  return 0;
}

// Request 2: replace an array block in the constant segment by a heap copy.
void MakeArrayPrivate(std::size_t element_size, void** variable) {
  if (variable == nullptr || !InConstantSegment(*variable)) return;
  const auto* words = static_cast<const std::int32_t*>(*variable);
  std::size_t header = 4 * (1 + static_cast<std::size_t>(words[0] > 0 ? words[0] : 0));
  std::size_t bytes = header + ArrayElements(*variable).count * element_size;
  void* copy = AllocMemory(bytes);
  std::memcpy(copy, *variable, bytes);
  *variable = copy;
}

std::intptr_t ServiceHelpService(std::int32_t request, std::intptr_t a, std::intptr_t b, std::intptr_t c,
                                 std::intptr_t d) {
  switch (request) {
    case help::kFindNextFile:
      return FindNextFile(reinterpret_cast<const char*>(a), c != 0, reinterpret_cast<platform::FileSearch**>(d));
    case help::kEndFileSearch:
      delete reinterpret_cast<platform::FileSearch*>(a);
      return 0;
    case help::kMakeArrayPrivate:
      MakeArrayPrivate(static_cast<std::size_t>(a), reinterpret_cast<void**>(b));
      return 0;
    case help::kRegisterExitHandler:
      RegisterExitHandler(reinterpret_cast<Handler>(a));
      return 0;
    case help::kStartUp:
      if (State().header != nullptr) StartUp(*State().header);
      return 0;
    default:
      // Requests 4 and 5 serve library types this program does not use.
      return 0;
  }
}

const ServiceTable kServices = {
    ReportErrorService,      CallDllCommandService, CallLibraryCommandService, CallCommand,
    ReadPropertyService,     WritePropertyService,  AllocMemory,               ReallocMemory,
    FreeMemory,              ExitProgramService,    RunMessageLoopService,     LoadStartWindowService,
    ServiceHelpService,
};

// Request 2001: a numeric Value as a 32-bit integer.
std::intptr_t NumericAsInteger(const Value* value) {
  switch (value->type) {
    case type::kByte: return value->lo & 0xFF;
    case type::kShort: return static_cast<std::int16_t>(value->lo & 0xFFFF);
    case type::kInt:
    case type::kInt64: return static_cast<std::int32_t>(value->lo);
    case type::kFloat: return static_cast<std::int32_t>(value->as_float());
    case type::kDouble: return static_cast<std::int32_t>(value->as_double());
    default: RuntimeError("欲转换数据类型不是数值", 0);
  }
}

}  // namespace

const ServiceTable& Services() { return kServices; }

void InstallWindowServices(const WindowServices& services) { g_window_services = services; }

Value CallCommand(Command command, std::int32_t argc, Value* argv) {
  Value result{};
  command(&result, argc, argv);
  return result;
}

std::intptr_t Request(std::int32_t code, std::intptr_t a, std::intptr_t b) {
  RuntimeState& state = State();
  switch (code) {
    case 2001: return NumericAsInteger(reinterpret_cast<const Value*>(a));
    case 2003: return reinterpret_cast<std::intptr_t>(state.program_folder.c_str());
    case 2004: return reinterpret_cast<std::intptr_t>(state.program_file.c_str());
    case 2023:
      FreeArrayValue(static_cast<TypeCode>(a), reinterpret_cast<void*>(b));
      return 0;
    case 2024:
      return reinterpret_cast<std::intptr_t>(b != 0 ? TryAllocMemory(static_cast<std::size_t>(a))
                                                    : AllocMemory(static_cast<std::size_t>(a)));
    case 2025:
      FreeMemory(reinterpret_cast<void*>(a));
      return 0;
    case 2026:
      return reinterpret_cast<std::intptr_t>(ReallocMemory(reinterpret_cast<void*>(a), static_cast<std::size_t>(b)));
    case 2027: RuntimeError(reinterpret_cast<const char*>(a), 0);
    case 2028: ExitProgram(static_cast<int>(a));
    default:
      if (state.windows.window_request != nullptr) return state.windows.window_request(code, a, b);
      return 0;
  }
}

void StartUp(const ProgramHeader& header) {
  RuntimeState& state = State();
  state.header = &header;
  state.run_mode = header.run_mode;
  state.reserved = header.reserved;
  state.runtime_version = header.runtime_version + 1;
  if (!state.ole_initialised) state.ole_initialised = platform::CurrentHost().InitialiseOle();

  std::string path = platform::CurrentHost().ProgramPath();
  std::size_t cut = path.find_last_of("\\/");
  state.program_folder = cut == std::string::npos ? std::string() : path.substr(0, cut);
  state.program_file = cut == std::string::npos ? path : path.substr(cut + 1);
  if (!state.program_folder.empty()) platform::ChangeDirectory(state.program_folder);

  if (state.windows.create_owner_window != nullptr) state.windows.create_owner_window();
  state.ui_thread = platform::CurrentThreadId();
  if (header.constant_segment_length != 0)
    SetConstantSegment(header.constant_segment, header.constant_segment_length);

  state.libraries.clear();
  for (std::uint32_t i = 0; i < header.library_count; ++i) {
    const LibraryDescriptor* library = header.libraries[i];
    state.libraries.push_back(library);
    if (library != nullptr && library->notify != nullptr)
      library->notify(1, reinterpret_cast<std::intptr_t>(&Request), 0);
  }

  if (header.template_data != nullptr && header.template_data_length != 0) {
    bool loaded = state.windows.load_templates != nullptr &&
                  state.windows.load_templates(header.template_data, header.template_data_length,
                                               header.code_base, header.handler_count);
    if (!loaded) RuntimeError("载入窗口模板数据段出错!", 0);
  }
}

bool IsSecretEditBox(std::uint32_t window_id, std::uint32_t unit_id) {
  const ProgramHeader* header = State().header;
  if (header == nullptr) return false;
  for (std::uint32_t i = 0; i < header->secret_edit_box_count; ++i)
    if (header->secret_edit_boxes[i].window_id == window_id && header->secret_edit_boxes[i].unit_id == unit_id)
      return true;
  return false;
}

bool InputBoxesTakeSecrets() { return State().header != nullptr && State().header->secret_input_boxes; }

Handler ExtraEventHandler(std::uint32_t window_id, std::uint32_t unit_id, std::int32_t event) {
  const ProgramHeader* header = State().header;
  if (header == nullptr) return nullptr;
  for (std::uint32_t i = 0; i < header->extra_binding_count; ++i) {
    const ExtraBinding& binding = header->extra_bindings[i];
    if (binding.unit.window_id != window_id || binding.unit.unit_id != unit_id || binding.event != event) continue;
    // An index outside the code base binds nothing, as in a template.
    if (binding.handler < 0 || static_cast<std::uint32_t>(binding.handler) >= header->handler_count) return nullptr;
    return header->code_base[binding.handler];
  }
  return nullptr;
}

void RunProgram(const ProgramHeader& header, Handler start_routine) {
  State().header = &header;
  std::feclearexcept(FE_ALL_EXCEPT);
  start_routine();
  RuntimeState& state = State();
  state.exit_in_progress = true;
  RunExitSteps();
  platform::EndProcess(0);
}

void ResetRuntime() {
  RuntimeState& state = State();
  WindowHooks hooks = state.windows;
  state = RuntimeState{};
  state.windows = hooks;
  SetConstantSegment(nullptr, 0);
}

}  // namespace rt
