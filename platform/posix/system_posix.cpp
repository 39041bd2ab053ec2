#include <iconv.h>
#include <malloc.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/system.h"

namespace platform {

void* HeapAllocate(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
void HeapRelease(void* block) { std::free(block); }
std::size_t HeapBlockSize(void* block) { return block != nullptr ? malloc_usable_size(block) : 0; }

std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return std::string();
  return Utf8ToGbk(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return std::string();
  return Utf8ToGbk(buffer.data());
}

bool ChangeDirectory(const std::string& path_gbk) {
  std::string path = GbkToUtf8(path_gbk);
  for (char& c : path)
    if (c == '\\') c = '/';
  return chdir(path.c_str()) == 0;
}

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

void SleepMilliseconds(std::uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

std::uint32_t MonotonicTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

namespace {
// Converts with iconv; an unconvertible byte becomes '?' and is skipped.
std::string Convert(const char* to, const char* from, const std::string& input) {
  if (input.empty()) return std::string();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return input;
  std::string out;
  std::vector<char> chunk(4 * input.size() + 16);
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  while (in_left > 0) {
    char* out_ptr = chunk.data();
    std::size_t out_left = chunk.size();
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(chunk.data(), static_cast<std::size_t>(out_ptr - chunk.data()));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out.push_back('?');
      ++in_ptr;
      --in_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace

std::string GbkToUtf8(const std::string& gbk) { return Convert("UTF-8", "GBK", gbk); }
std::string Utf8ToGbk(const std::string& utf8) { return Convert("GBK", "UTF-8", utf8); }

}  // namespace platform
