// Operating-system services that behave the same on every desktop, real or
// simulated: the process heap, the executable's path, the current folder,
// threads, sleeping and text conversion at the platform edge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Process heap. HeapAllocate returns null on failure; it never reports
// errors itself (the runtime's memory services do that). There is no resize:
// a block that grows is copied, so the old one can be wiped first.
void* HeapAllocate(std::size_t bytes);
void HeapRelease(void* block);
// The usable size of a block from HeapAllocate (at least what
// was asked for), so a block can be wiped whole before it is released.
std::size_t HeapBlockSize(void* block);

// Full path of the running executable, GBK, with the platform's separators.
std::string ExecutablePath();
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path_gbk);

std::uint32_t CurrentThreadId();
void SleepMilliseconds(std::uint32_t ms);
// Milliseconds since some fixed point; wraps like the Windows tick count.
std::uint32_t MonotonicTickCount();

// Conversions between the system's GBK texts and UTF-8. Bytes that cannot be
// converted become '?' so a conversion never fails outright.
std::string GbkToUtf8(const std::string& gbk);
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace platform
