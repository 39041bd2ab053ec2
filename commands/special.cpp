#include "commands/special.h"

#include "platform/host.h"
#include "runtime/services.h"

namespace commands {

void Delay(rt::Value*, std::int32_t, rt::Value* argv) {
  constexpr std::int32_t kProcessMessages = 2018;
  std::int32_t wait = argv[0].as_int();
  if (wait <= 0) return;
  platform::Host& host = platform::CurrentHost();
  // Elapsed time by subtraction, so a wrap of the tick counter does not end
  // the wait early or make it endless.
  std::uint32_t start = host.TickCount();
  for (;;) {
    rt::Request(kProcessMessages, 0, 0);
    rt::Request(kProcessMessages, 0, 0);
    if (host.TickCount() - start > static_cast<std::uint32_t>(wait)) break;
  }
  rt::Request(kProcessMessages, 0, 0);
  rt::Request(kProcessMessages, 0, 0);
}

}  // namespace commands
