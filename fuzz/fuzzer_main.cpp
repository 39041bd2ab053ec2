// One libFuzzer executable: QK_FUZZ_ENTRY names the entry point (entries.h).
#include "fuzz/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return qkfuzz::QK_FUZZ_ENTRY(data, size);
}
