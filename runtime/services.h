// The thirteen runtime services: the only way the application's code reaches
// the runtime. The window services are filled in by the window runtime.
#pragma once

#include <cstdint>

#include "runtime/program.h"
#include "runtime/value.h"

// GCC keeps [[noreturn]] on a function pointer; clang (the fuzz build)
// accepts it on functions only.
#if defined(__clang__)
#define QK_NORETURN_POINTER
#else
#define QK_NORETURN_POINTER [[noreturn]]
#endif

namespace rt {

struct ServiceTable {
  QK_NORETURN_POINTER void (*ReportError)(std::int32_t code);
  void (*CallDllCommand)(std::int32_t index);
  Value (*CallLibraryCommand)(std::int32_t library, Command command, std::int32_t argc, Value* argv);
  Value (*CallCoreCommand)(Command command, std::int32_t argc, Value* argv);
  Value (*ReadProperty)(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index);
  void (*WriteProperty)(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index,
                        std::uint32_t lo, std::uint32_t hi);
  void* (*AllocMemory)(std::size_t bytes);
  void* (*ReallocMemory)(void* p, std::size_t bytes);
  void (*FreeMemory)(void* p);
  QK_NORETURN_POINTER void (*ExitProgram)(std::int32_t code);
  void (*RunMessageLoop)();
  void (*LoadStartWindow)(std::uint32_t window);
  std::intptr_t (*ServiceHelp)(std::int32_t request, std::intptr_t a, std::intptr_t b, std::intptr_t c,
                               std::intptr_t d);
};

const ServiceTable& Services();

// The window runtime installs its property and loop services here.
struct WindowServices {
  Value (*read_property)(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index);
  void (*write_property)(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index,
                         std::uint32_t lo, std::uint32_t hi);
  void (*run_message_loop)();
  // Returns false when there is no such template or creation fails.
  bool (*load_start_window)(std::uint32_t window);
};
void InstallWindowServices(const WindowServices& services);

// ServiceHelp requests.
namespace help {
inline constexpr std::int32_t kFindNextFile = 0;
inline constexpr std::int32_t kEndFileSearch = 1;
inline constexpr std::int32_t kMakeArrayPrivate = 2;
inline constexpr std::int32_t kRegisterExitHandler = 3;
inline constexpr std::int32_t kReadLibraryProperty = 4;
inline constexpr std::int32_t kWriteLibraryProperty = 5;
inline constexpr std::int32_t kStartUp = 6;
}  // namespace help

// Calls a command with a zeroed result cell and returns the cell.
Value CallCommand(Command command, std::int32_t argc, Value* argv);

// The runtime's request function handed to every library.
std::intptr_t Request(std::int32_t code, std::intptr_t a, std::intptr_t b);

// Start-up initialisation (ServiceHelp 6) from a program header.
void StartUp(const ProgramHeader& header);

// Runs a program: start-up is the start routine's own first step; when the
// start routine returns, the exit steps run and the process ends with 0.
[[noreturn]] void RunProgram(const ProgramHeader& header, Handler start_routine);

// Back to the state before start-up (for the simulated desktop's runner and
// the tests, which run more than one program in a process).
void ResetRuntime();

}  // namespace rt
