// Memory services: every Text, Bytes and array block lives on the process
// heap, except pointers into the program's read-only constant segment, which
// may stand wherever a heap pointer stands and are never freed.
#pragma once

#include <cstddef>
#include <memory>

namespace rt {

// Never returns null: a failed allocation is the out-of-memory runtime error.
void* AllocMemory(std::size_t bytes);
// p may be null (allocates) or lie in the constant segment (copies out).
void* ReallocMemory(void* p, std::size_t bytes);
// Nothing for null or for a pointer into the constant segment.
void FreeMemory(void* p);
// As AllocMemory, but returns null on failure instead of ending the program.
void* TryAllocMemory(std::size_t bytes);

// The constant segment range; length 0 means there is none.
void SetConstantSegment(const void* start, std::size_t length);
bool InConstantSegment(const void* p);

// Owns a block from AllocMemory and frees it through FreeMemory.
struct MemoryDeleter {
  void operator()(void* p) const { FreeMemory(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, MemoryDeleter>;
using OwnedText = Owned<char>;

// Overwrites a block's bytes before it is freed (for secrets); the compiler
// keeps the stores (platform::WipeBytes).
void WipeMemory(void* p, std::size_t bytes);

// FreeMemory wipes every block before releasing it. Tests watch that through
// this observer, called with the block after the wipe and before the
// release (null: none).
using FreedBlockObserver = void (*)(const void* block, std::size_t bytes);
void ObserveFreedBlocks(FreedBlockObserver observer);

}  // namespace rt
