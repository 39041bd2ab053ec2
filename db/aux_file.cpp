#include "db/aux_file.h"

#include <algorithm>
#include <cstring>

#include "db/errors.h"
#include "db/format.h"

namespace db {

void AuxHeader::Encode(std::uint8_t* out) const {
  std::memset(out, 0, kAuxHeaderSize);
  std::memcpy(out, magic, 4);
  PutI32(out + kAuxVersionPos, version);
  PutF64(out + kAuxCreatedPos, created);
  PutI32(out + kAuxBlockCountPos, block_count);
  PutI32(out + kAuxFreeCountPos, free_count);
  PutI32(out + kAuxFreeHeadPos, free_head);
}

AuxHeader AuxHeader::Decode(const std::uint8_t* in) {
  AuxHeader h;
  std::memcpy(h.magic, in, 4);
  h.version = GetI32(in + kAuxVersionPos);
  h.created = GetF64(in + kAuxCreatedPos);
  h.block_count = GetI32(in + kAuxBlockCountPos);
  h.free_count = GetI32(in + kAuxFreeCountPos);
  h.free_head = GetI32(in + kAuxFreeHeadPos);
  return h;
}

namespace {

std::uint64_t BlockPos(std::int32_t block) { return static_cast<std::uint64_t>(block) * kBlockSize; }

struct Links {
  std::int32_t prev = 0;
  std::int32_t next = 0;
  std::int32_t used = 0;
};

// Blocks the file holds (by its length), to keep a damaged chain from
// pointing outside the file or looping forever.
int BlocksInFile(DbFile& aux, std::int64_t* blocks) {
  std::uint64_t size = 0;
  int code = aux.Size(&size);
  *blocks = static_cast<std::int64_t>(size / kBlockSize);
  return code;
}

int ReadLinks(DbFile& aux, std::int32_t block, Links* links) {
  std::uint8_t raw[kBlockHeader];
  int code = aux.ReadExact(BlockPos(block), raw, sizeof raw, err::kAuxAccess);
  if (code != 0) return code;
  links->prev = GetI32(raw);
  links->next = GetI32(raw + 4);
  links->used = GetI32(raw + 8);
  return 0;
}

int WriteLinkWord(DbFile& aux, std::int32_t block, std::size_t offset, std::int32_t value) {
  std::uint8_t raw[4];
  PutI32(raw, value);
  return aux.WriteAt(BlockPos(block) + offset, raw, 4);
}

int WriteBlock(DbFile& aux, std::int32_t block, const Links& links, const std::uint8_t* payload, std::size_t n) {
  std::uint8_t raw[kBlockSize] = {};
  PutI32(raw, links.prev);
  PutI32(raw + 4, links.next);
  PutI32(raw + 8, links.used);
  if (n > 0) std::memcpy(raw + kBlockHeader, payload, n);
  return aux.WriteAt(BlockPos(block), raw, sizeof raw);
}

// The auxiliary header, locked and read once per write that needs it.
class HeaderSession {
 public:
  explicit HeaderSession(DbFile& aux) : aux_(aux) {}
  ~HeaderSession() {
    if (locked_) aux_.UnlockPosition(0);
  }
  HeaderSession(const HeaderSession&) = delete;
  HeaderSession& operator=(const HeaderSession&) = delete;

  int Load() {
    if (locked_) return 0;
    int code = aux_.LockPosition(0);
    if (code != 0) return code;
    locked_ = true;
    std::uint8_t raw[kAuxHeaderSize];
    code = aux_.ReadExact(0, raw, sizeof raw, err::kAuxAccess);
    if (code != 0) return code;
    header_ = AuxHeader::Decode(raw);
    if (header_.block_count < 1 || header_.free_count < 0 || header_.free_head < 0 ||
        header_.free_head >= header_.block_count)
      return err::kAuxAccess;
    return 0;
  }
  // Writes the header back and unlocks. 0 when it was never loaded.
  int Finish() {
    if (!locked_) return 0;
    std::uint8_t raw[kAuxHeaderSize];
    header_.Encode(raw);
    int code = aux_.WriteAt(0, raw, sizeof raw);
    locked_ = false;
    int unlock = aux_.UnlockPosition(0);
    return code != 0 ? code : unlock;
  }
  bool loaded() const { return locked_; }
  AuxHeader& header() { return header_; }

 private:
  DbFile& aux_;
  AuxHeader header_;
  bool locked_ = false;
};

// Follows a chain's next links from `first`, collecting its block numbers.
int CollectChain(DbFile& aux, std::int32_t first, std::vector<std::int32_t>* blocks) {
  blocks->clear();
  if (first == 0) return 0;
  std::int64_t in_file = 0;
  int code = BlocksInFile(aux, &in_file);
  if (code != 0) return code;
  std::int32_t b = first;
  while (b != 0) {
    if (b < 0 || b >= in_file || static_cast<std::int64_t>(blocks->size()) >= in_file) return err::kAuxAccess;
    blocks->push_back(b);
    Links links;
    code = ReadLinks(aux, b, &links);
    if (code != 0) return code;
    b = links.next;
  }
  return 0;
}

// Cuts free blocks off the end of the file: from the last block down, each
// free block is unlinked from the free list until a block in use is met.
int TrimTail(DbFile& aux, AuxHeader& h) {
  std::int32_t last = h.block_count - 1;
  while (last > 0) {
    Links links;
    int code = ReadLinks(aux, last, &links);
    if (code != 0) return code;
    if (links.used != 0) break;
    // Damaged links must not send a write outside the file (a link of
    // 2^30 would grow it by half a terabyte).
    if (links.prev < 0 || links.prev >= h.block_count || links.next < 0 || links.next >= h.block_count)
      return err::kAuxAccess;
    if (links.prev != 0) {
      code = WriteLinkWord(aux, links.prev, 4, links.next);
      if (code != 0) return code;
    }
    if (links.next != 0) {
      code = WriteLinkWord(aux, links.next, 0, links.prev);
      if (code != 0) return code;
    }
    if (h.free_head == last) h.free_head = links.next;
    if (h.free_count > 0) --h.free_count;
    --last;
  }
  h.block_count = last + 1;
  return aux.Truncate(BlockPos(h.block_count));
}

}  // namespace

int ReadChain(DbFile& aux, std::int32_t first, platform::SecretBuffer* out) {
  out->clear();
  if (first == 0) return 0;
  std::int64_t in_file = 0;
  int code = BlocksInFile(aux, &in_file);
  if (code != 0) return code;
  std::int32_t locked = 0;
  std::int32_t b = first;
  std::int64_t visited = 0;
  std::uint8_t raw[kBlockSize];
  while (b != 0) {
    if (b < 0 || b >= in_file || visited++ >= in_file) {
      code = err::kAuxAccess;
      break;
    }
    // One block locked at a time: lock this one, then let the last one go.
    code = aux.LockPosition(BlockPos(b));
    if (code != 0) break;
    if (locked != 0) aux.UnlockPosition(BlockPos(locked));
    locked = b;
    code = aux.ReadExact(BlockPos(b), raw, sizeof raw, err::kAuxAccess);
    if (code != 0) break;
    std::int32_t used = GetI32(raw + 8);
    if (used < 1 || used > static_cast<std::int32_t>(kBlockPayload)) {
      code = err::kAuxAccess;
      break;
    }
    out->insert(out->end(), raw + kBlockHeader, raw + kBlockHeader + used);
    b = GetI32(raw + 4);
  }
  if (locked != 0) aux.UnlockPosition(BlockPos(locked));
  platform::WipeBytes(raw, sizeof raw);  // the last block's plain text
  if (code != 0) out->clear();
  return code;
}

int WriteChain(DbFile& aux, std::int32_t old_first, const void* data, std::size_t n, std::int32_t* new_first) {
  *new_first = 0;
  std::vector<std::int32_t> old_blocks;
  int code = CollectChain(aux, old_first, &old_blocks);
  if (code != 0) return code;

  std::size_t pieces = (n + kBlockPayload - 1) / kBlockPayload;
  HeaderSession session(aux);
  if (pieces > old_blocks.size() || old_blocks.size() > pieces) {
    code = session.Load();
    if (code != 0) return code;
  }

  // Blocks of the new chain: the old chain's first, then free, then new.
  std::vector<std::int32_t> blocks(old_blocks.begin(), old_blocks.begin() + std::min(pieces, old_blocks.size()));
  bool took_free = false;
  while (blocks.size() < pieces) {
    AuxHeader& h = session.header();
    if (h.free_count > 0 && h.free_head > 0) {
      std::int32_t taken = h.free_head;
      Links links;
      code = ReadLinks(aux, taken, &links);
      if (code != 0) return code;
      if (links.used != 0 || links.next < 0 || links.next >= h.block_count) return err::kAuxAccess;
      h.free_head = links.next;
      --h.free_count;
      took_free = true;
      blocks.push_back(taken);
    } else {
      if (h.block_count == INT32_MAX) return err::kAuxAccess;
      blocks.push_back(h.block_count++);
    }
  }
  // The free list's new head has no predecessor.
  if (took_free && session.header().free_head != 0) {
    code = WriteLinkWord(aux, session.header().free_head, 0, 0);
    if (code != 0) return code;
  }

  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < pieces; ++i) {
    Links links;
    links.prev = i == 0 ? 0 : blocks[i - 1];
    links.next = i + 1 < pieces ? blocks[i + 1] : 0;
    std::size_t length = std::min(kBlockPayload, n - i * kBlockPayload);
    links.used = static_cast<std::int32_t>(length);
    code = WriteBlock(aux, blocks[i], links, bytes + i * kBlockPayload, length);
    if (code != 0) return code;
  }
  *new_first = pieces > 0 ? blocks[0] : 0;

  // Old blocks not reused join the head of the free list, in chain order.
  if (old_blocks.size() > pieces) {
    AuxHeader& h = session.header();
    std::vector<std::int32_t> freed(old_blocks.begin() + static_cast<std::ptrdiff_t>(pieces), old_blocks.end());
    bool freed_last = false;
    for (std::size_t i = 0; i < freed.size(); ++i) {
      Links links;
      links.prev = i == 0 ? 0 : freed[i - 1];
      links.next = i + 1 < freed.size() ? freed[i + 1] : h.free_head;
      code = WriteBlock(aux, freed[i], links, nullptr, 0);
      if (code != 0) return code;
      if (freed[i] == h.block_count - 1) freed_last = true;
    }
    if (h.free_head != 0) {
      code = WriteLinkWord(aux, h.free_head, 0, freed.back());
      if (code != 0) return code;
    }
    h.free_head = freed.front();
    h.free_count += static_cast<std::int32_t>(freed.size());
    if (freed_last) {
      code = TrimTail(aux, h);
      if (code != 0) return code;
    }
  }
  return session.Finish();
}

int FreeChain(DbFile& aux, std::int32_t first) {
  std::int32_t none = 0;
  return WriteChain(aux, first, nullptr, 0, &none);
}

}  // namespace db
