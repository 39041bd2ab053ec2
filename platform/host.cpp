#include "platform/host.h"

#include <cstdlib>

namespace platform {
namespace {
Host* g_installed = nullptr;
}

Host& CurrentHost() { return g_installed != nullptr ? *g_installed : NativeHost(); }

Host* InstallHost(Host* host) {
  Host* previous = g_installed;
  g_installed = host;
  return previous;
}

void EndProcess(int code) {
  CurrentHost().EndProcess(code);
  std::abort();  // a host that returns from EndProcess is broken
}

}  // namespace platform
