#include "runtime/memory.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/secret.h"
#include "platform/system.h"
#include "runtime/errors.h"

namespace rt {
namespace {

const unsigned char* g_const_start = nullptr;
std::size_t g_const_length = 0;
FreedBlockObserver g_free_observer = nullptr;

[[noreturn]] void OutOfMemory(std::size_t bytes) {
  char message[64];
  std::snprintf(message, sizeof message, "分配 %lld 字节内存失败!", static_cast<long long>(bytes));
  RuntimeError(message, 0);
}

}  // namespace

void SetConstantSegment(const void* start, std::size_t length) {
  g_const_start = length == 0 ? nullptr : static_cast<const unsigned char*>(start);
  g_const_length = g_const_start == nullptr ? 0 : length;
}

bool InConstantSegment(const void* p) {
  if (p == nullptr || g_const_start == nullptr) return false;
  auto address = reinterpret_cast<std::uintptr_t>(p);
  auto start = reinterpret_cast<std::uintptr_t>(g_const_start);
  return address >= start && address - start < g_const_length;
}

void* TryAllocMemory(std::size_t bytes) { return platform::HeapAllocate(bytes); }

void* AllocMemory(std::size_t bytes) {
  void* p = platform::HeapAllocate(bytes);
  if (p == nullptr) OutOfMemory(bytes);
  return p;
}

void* ReallocMemory(void* p, std::size_t bytes) {
  if (p == nullptr) return AllocMemory(bytes);
  if (InConstantSegment(p)) {
    // Constant data stay untouched: copy what lies before the segment's end.
    void* copy = AllocMemory(bytes);
    std::size_t available = static_cast<std::size_t>(
        g_const_start + g_const_length - static_cast<const unsigned char*>(p));
    std::memcpy(copy, p, bytes < available ? bytes : available);
    return copy;
  }
  // A block that must move is copied and the old one wiped, so a text that
  // grows leaves no copy of its first part behind.
  std::size_t old_size = platform::HeapBlockSize(p);
  if (bytes <= old_size) return p;  // it fits: kept as it is, never released unwiped
  void* moved = AllocMemory(bytes);
  std::memcpy(moved, p, old_size);
  FreeMemory(p);
  return moved;
}

void FreeMemory(void* p) {
  if (p == nullptr || InConstantSegment(p)) return;
  // Texts pass through here with passwords in them, and nothing says which:
  // every block is wiped whole before the heap gets it back.
  std::size_t size = platform::HeapBlockSize(p);
  WipeMemory(p, size);
  if (g_free_observer != nullptr) g_free_observer(p, size);
  platform::HeapRelease(p);
}

void WipeMemory(void* p, std::size_t bytes) { platform::WipeBytes(p, bytes); }

void ObserveFreedBlocks(FreedBlockObserver observer) { g_free_observer = observer; }

}  // namespace rt
