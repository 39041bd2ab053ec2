#include "db/index/page_cache.h"

#include <algorithm>
#include <cassert>

#include "db/errors.h"

namespace db::index {

PageCache::Entry* PageCache::Find(std::uint32_t n) {
  for (Entry& e : entries_)
    if (e.page == n) return &e;
  return nullptr;
}

int PageCache::WriteEntry(const Entry& e) {
  ++writes_;
  const platform::FileError fe =
      file_.Write(static_cast<std::uint64_t>(e.page) * page_size_, e.bytes.data(), e.bytes.size());
  return fe == platform::FileError::kNone ? 0 : platform::FileErrorCode(fe);
}

int PageCache::MakeRoom() {
  if (entries_.size() < kCachePages) return 0;
  const std::size_t batch = std::min(kCacheEvictBatch, entries_.size());
  for (std::size_t i = 0; i < batch; ++i) {
    if (!entries_[i].modified) continue;
    if (const int rc = WriteEntry(entries_[i]); rc != 0) return rc;
  }
  entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(batch));
  return 0;
}

int PageCache::Read(std::uint32_t n, std::vector<std::uint8_t>* out) {
  if (const Entry* e = Find(n)) {
    *out = e->bytes;
    return 0;
  }
  if (const int rc = MakeRoom(); rc != 0) return rc;
  Entry e{n, false, std::vector<std::uint8_t>(page_size_)};
  std::size_t got = 0;
  ++reads_;
  const platform::FileError fe = file_.Read(static_cast<std::uint64_t>(n) * page_size_, e.bytes.data(), page_size_, &got);
  if (fe != platform::FileError::kNone && fe != platform::FileError::kEndOfFile) return platform::FileErrorCode(fe);
  if (got != page_size_) return Because(err::kIndexAccessFailed, "tree page: past the end of the file");
  *out = e.bytes;
  entries_.push_back(std::move(e));
  return 0;
}

int PageCache::Write(std::uint32_t n, const std::vector<std::uint8_t>& bytes) {
  assert(bytes.size() == page_size_);  // whole pages only: Flush writes the bytes as they are
  if (Entry* e = Find(n)) {
    e->bytes = bytes;
    e->modified = true;
    return 0;
  }
  if (const int rc = MakeRoom(); rc != 0) return rc;
  entries_.push_back(Entry{n, true, bytes});
  return 0;
}

void PageCache::DropFrom(std::uint32_t n) {
  std::erase_if(entries_, [n](const Entry& e) { return e.page >= n; });
}

int PageCache::Flush() {
  std::vector<const Entry*> dirty;
  for (const Entry& e : entries_)
    if (e.modified) dirty.push_back(&e);
  std::sort(dirty.begin(), dirty.end(), [](const Entry* a, const Entry* b) { return a->page < b->page; });
  int result = 0;
  for (const Entry* e : dirty) {
    if (const int rc = WriteEntry(*e); rc != 0) {
      result = rc;
      break;
    }
  }
  entries_.clear();
  return result;
}

}  // namespace db::index
