#include "runtime/memory.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/system.h"
#include "runtime/errors.h"

namespace rt {
namespace {

const unsigned char* g_const_start = nullptr;
std::size_t g_const_length = 0;

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
  void* resized = platform::HeapResize(p, bytes);
  if (resized == nullptr) OutOfMemory(bytes);
  return resized;
}

void FreeMemory(void* p) {
  if (p == nullptr || InConstantSegment(p)) return;
  platform::HeapRelease(p);
}

void WipeMemory(void* p, std::size_t bytes) {
  if (p == nullptr || bytes == 0) return;
  std::memset(p, 0, bytes);
  // The empty statement claims to read the block, so the compiler cannot drop
  // the memset as a store to memory that dies right after it.
  __asm__ __volatile__("" : : "r"(p) : "memory");
}

}  // namespace rt
