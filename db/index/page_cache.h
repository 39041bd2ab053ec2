// The pages one index operation works on: up to 18 pages in memory, each
// with a modified flag. When the cache is full, the 3 pages that entered it
// first are written (when modified) and dropped.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/file.h"

namespace db::index {

inline constexpr std::size_t kCachePages = 18;
inline constexpr std::size_t kCacheEvictBatch = 3;

class PageCache {
 public:
  PageCache(platform::File& file, std::uint32_t page_size) : file_(file), page_size_(page_size) {}

  // Copies page n into out (page_size bytes). Returns 0 or an error code:
  // -52 for a short read, the file error otherwise.
  int Read(std::uint32_t n, std::vector<std::uint8_t>* out);
  // Replaces page n's bytes and marks it modified.
  int Write(std::uint32_t n, const std::vector<std::uint8_t>& bytes);
  // Forgets pages n and above without writing them (the file was cut).
  void DropFrom(std::uint32_t n);
  // Writes every modified page in page order and empties the cache.
  int Flush();
  // Empties the cache without writing (after a failure).
  void Discard() { entries_.clear(); }

  std::size_t size() const { return entries_.size(); }
  std::uint64_t reads() const { return reads_; }
  std::uint64_t writes() const { return writes_; }

 private:
  struct Entry {
    std::uint32_t page;
    bool modified;
    std::vector<std::uint8_t> bytes;
  };
  Entry* Find(std::uint32_t n);
  int MakeRoom();
  int WriteEntry(const Entry& e);

  platform::File& file_;
  std::uint32_t page_size_;
  std::vector<Entry> entries_;  // oldest first
  std::uint64_t reads_ = 0;
  std::uint64_t writes_ = 0;
};

}  // namespace db::index
