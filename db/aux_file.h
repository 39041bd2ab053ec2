// The auxiliary file: memo and bytes values as chains of 512-byte blocks,
// with a doubly-linked free list of released blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "db/db_file.h"
#include "platform/secret.h"

namespace db {

struct AuxHeader {
  char magic[4] = {'Q', 'V', 'D', 'T'};
  std::int32_t version = 0;
  double created = 0;
  std::int32_t block_count = 1;
  std::int32_t free_count = 0;
  std::int32_t free_head = 0;

  void Encode(std::uint8_t* out) const;  // 32 bytes
  static AuxHeader Decode(const std::uint8_t* in);
};

// Reads the chain starting at `first` (0: empty) into *out. 0, -59 or a
// file error. Each block is locked while it is read.
int ReadChain(DbFile& aux, std::int32_t first, platform::SecretBuffer* out);

// Writes n bytes as a chain, reusing the blocks of the old chain starting at
// `old_first` (0: none), then free blocks, then new ones; old blocks left
// over are freed, and free blocks at the file's end are cut off. *new_first
// is the first block of the new chain (0 for an empty value).
int WriteChain(DbFile& aux, std::int32_t old_first, const void* data, std::size_t n, std::int32_t* new_first);

// Releases a value's chain (writing an empty value over it).
int FreeChain(DbFile& aux, std::int32_t first);

}  // namespace db
