// The paged balanced tree of an index file. Every public call is one
// operation: the file is locked whole, the header is read, the pages are
// worked through a PageCache, the header (when changed) and the modified
// pages are written, and the file is unlocked on every path.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "db/index/key_layout.h"
#include "db/index/page_format.h"
#include "platform/file.h"

namespace db::index {

// One entry to insert: a normalised key of the layout's size and a record.
struct KeyedRecord {
  const std::uint8_t* key;
  std::uint32_t record;
};

// Keeps references to `file` and `layout`: the caller owns both and keeps
// them alive (the file open) as long as the tree. The tree owns nothing but
// its sizes; each operation's page cache lives for that call only.
class IndexTree {
 public:
  IndexTree(platform::File& file, const KeyLayout& layout, std::int32_t page_size);

  // Inserts (key, record); an entry with the same key and record is kept
  // once. The key must already be normalised.
  int Insert(const std::uint8_t* key, std::uint32_t record);
  // Inserts several entries in one operation.
  int InsertAll(std::span<const KeyedRecord> entries);
  // Removes (key, record): -58 when the tree has no such entry.
  int Remove(const std::uint8_t* key, std::uint32_t record);
  // Moves a record's entry from old_key to new_key in one operation; a
  // missing old entry is ignored.
  int Move(const std::uint8_t* old_key, const std::uint8_t* new_key, std::uint32_t record);
  // Empties the tree: pageCount 2, no free pages, root 1 an empty leaf, the
  // file cut to two pages.
  int Reset();

  std::int32_t max_keys() const { return max_keys_; }

 private:
  platform::File& file_;
  const KeyLayout& layout_;
  std::int32_t page_size_;
  std::int32_t max_keys_;
};

// Locks the whole index file (bytes 0..0x7FFFFFFE): 0, -28 when another
// open holds a lock, or the file error.
int LockWholeIndex(platform::File& file);
int UnlockWholeIndex(platform::File& file);

// The whole-file lock of an index file, held from construction (code() is
// 0 when it was taken) until Release() or destruction, on every path.
class IndexLock {
 public:
  explicit IndexLock(platform::File& file) : file_(file), code_(LockWholeIndex(file)) {}
  ~IndexLock() { Release(); }
  IndexLock(const IndexLock&) = delete;
  IndexLock& operator=(const IndexLock&) = delete;

  int code() const { return code_; }
  // 0, or the unlock's error; nothing to do when the lock was not taken.
  int Release() {
    if (code_ != 0 || released_) return 0;
    released_ = true;
    return UnlockWholeIndex(file_);
  }

 private:
  platform::File& file_;
  int code_;
  bool released_ = false;
};
// Reads and decodes the header: 0, -52 on a short read, or the file error.
int ReadIndexHeader(platform::File& file, IndexHeader* header);
int WriteIndexHeader(platform::File& file, const IndexHeader& header);

}  // namespace db::index
