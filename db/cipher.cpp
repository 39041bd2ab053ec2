#include "db/cipher.h"

#include <algorithm>
#include <cstring>

#include "platform/coding.h"
#include "runtime/memory.h"

namespace db {
namespace {

// Blocks whose keystream a key keeps: enough for a sequential pass over a
// few records and for the header block beside the current record's block.
constexpr std::size_t kCachedBlocks = 16;
// The block words are produced in batches of at most this many; the table
// starts with kFirstWords (256 KB of file) and doubles, so a small file
// costs little keystream and a large one few regrowths.
constexpr std::size_t kWordBatch = 1024;
constexpr std::size_t kFirstWords = 64;
// Keystream bytes dropped at the start of every block.
constexpr std::size_t kDroppedBytes = 36;

}  // namespace

struct CipherKey::CachedBlock {
  std::uint64_t block = 0;
  std::size_t valid = 0;  // keystream bytes generated so far
  std::uint64_t last_use = 0;  // 0 = empty slot
  crypto::Rc4State generator;  // continues after `valid` bytes
  std::uint8_t bytes[kCipherBlockSize];
};

CipherKey::CipherKey(std::string_view password)
    : digest_(DigestOfPassword(password)), cache_(new CachedBlock[kCachedBlocks]) {
  crypto::Rc4Schedule(schedule_, password.data(), password.size());
  words_generator_ = schedule_;
}

CipherKey::~CipherKey() {
  rt::WipeMemory(digest_.data(), digest_.size());
  rt::WipeMemory(&schedule_, sizeof schedule_);
  rt::WipeMemory(&words_generator_, sizeof words_generator_);
  if (!words_.empty()) rt::WipeMemory(words_.data(), words_.size() * sizeof(std::uint32_t));
  rt::WipeMemory(cache_.get(), sizeof(CachedBlock) * kCachedBlocks);
}

bool CipherKey::SameAs(const CipherKey& other) const {
  return digest_ == other.digest_ && schedule_ == other.schedule_;
}

std::uint32_t CipherKey::BlockWord(std::uint64_t block) {
  if (block >= words_.size()) {
    std::size_t want = std::max<std::size_t>(block + 1, std::max(kFirstWords, 2 * words_.size()));
    // Grow into a fresh vector so the old copy can be wiped, not just freed.
    std::vector<std::uint32_t> grown(want);
    std::copy(words_.begin(), words_.end(), grown.begin());
    std::uint8_t bytes[4 * kWordBatch];
    for (std::size_t at = words_.size(); at < want;) {
      std::size_t count = std::min(want - at, kWordBatch);
      crypto::Rc4Keystream(words_generator_, bytes, 4 * count);
      for (std::size_t k = 0; k < count; ++k, ++at) {
        grown[at] = platform::DecodeU32(bytes + 4 * k);
      }
    }
    rt::WipeMemory(bytes, sizeof bytes);
    if (!words_.empty()) rt::WipeMemory(words_.data(), words_.size() * sizeof(std::uint32_t));
    words_.swap(grown);
  }
  return words_[block];
}

const std::uint8_t* CipherKey::BlockKeystream(std::uint64_t block, std::size_t need) {
  CachedBlock* slot = nullptr;
  CachedBlock* oldest = &cache_[0];
  for (std::size_t i = 0; i < kCachedBlocks; ++i) {
    CachedBlock& entry = cache_[i];
    if (entry.last_use != 0 && entry.block == block) {
      slot = &entry;
      break;
    }
    if (entry.last_use < oldest->last_use) oldest = &entry;
  }
  if (slot == nullptr) {
    slot = oldest;
    // The block's 40-byte key: w, D, w XOR block number (both words little-endian).
    std::uint32_t word = BlockWord(block);
    std::uint32_t mixed = word ^ std::uint32_t(block);
    std::uint8_t key[40];
    for (int i = 0; i < 4; ++i) {
      key[i] = std::uint8_t(word >> (8 * i));
      key[36 + i] = std::uint8_t(mixed >> (8 * i));
    }
    std::memcpy(key + 4, digest_.data(), digest_.size());
    crypto::Rc4Schedule(slot->generator, key, sizeof key);
    rt::WipeMemory(key, sizeof key);
    crypto::Rc4Skip(slot->generator, kDroppedBytes);
    slot->block = block;
    slot->valid = 0;
  }
  slot->last_use = ++use_counter_;
  if (slot->valid < need) {
    crypto::Rc4Keystream(slot->generator, slot->bytes + slot->valid, need - slot->valid);
    slot->valid = need;
  }
  return slot->bytes;
}

void CipherKey::Apply(std::uint64_t pos, std::uint8_t* data, std::size_t n) {
  while (n > 0) {
    std::uint64_t block = pos / kCipherBlockSize;
    std::size_t offset = std::size_t(pos % kCipherBlockSize);
    std::size_t length = std::min(n, kCipherBlockSize - offset);
    const std::uint8_t* stream = BlockKeystream(block, offset + length) + offset;
    for (std::size_t i = 0; i < length; ++i) data[i] ^= stream[i];
    data += length;
    pos += length;
    n -= length;
  }
}

void CipherState::Apply(std::uint64_t pos, void* data, std::size_t n) const {
  if (!key) return;
  auto* bytes = static_cast<std::uint8_t*>(data);
  if (pos < start) {
    std::uint64_t plain = std::min<std::uint64_t>(n, start - pos);
    bytes += plain;
    n -= std::size_t(plain);
    pos = start;
  }
  if (n > 0) key->Apply(pos, bytes, n);
}

bool CipherState::SameAs(const CipherState& other) const {
  if (!key || !other.key) return !key && !other.key;
  return start == other.start && (key == other.key || key->SameAs(*other.key));
}

CipherState MakeCipherState(std::string_view password, std::uint64_t start) {
  CipherState state;
  if (!password.empty()) {
    state.key = std::make_shared<CipherKey>(password);
    state.start = start;
  }
  return state;
}

}  // namespace db
