#include "platform/window_system.h"

namespace platform {
namespace {
WindowSystem* g_window_system = nullptr;
}

WindowSystem* CurrentWindowSystem() { return g_window_system; }

WindowSystem* InstallWindowSystem(WindowSystem* system) {
  WindowSystem* previous = g_window_system;
  g_window_system = system;
  return previous;
}

}  // namespace platform
