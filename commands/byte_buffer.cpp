#include "commands/byte_buffer.h"

#include <cstring>

#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace commands {

ByteBuffer::~ByteBuffer() {
  // Passwords pass through these buffers on their way to the key derivation.
  if (data_ != nullptr) rt::WipeMemory(data_, capacity_);
  rt::FreeMemory(data_);
}

void ByteBuffer::Reserve(std::size_t total) {
  if (total <= capacity_) return;
  std::size_t grown = capacity_ < 16 ? 16 : capacity_ * 2;
  if (grown < total) grown = total;
  // Move rather than resize, so no unwiped copy of a secret stays behind.
  char* moved = static_cast<char*>(rt::AllocMemory(grown));
  if (size_ > 0) std::memcpy(moved, data_, size_);
  if (data_ != nullptr) rt::WipeMemory(data_, capacity_);
  rt::FreeMemory(data_);
  data_ = moved;
  capacity_ = grown;
}

void ByteBuffer::Append(const void* data, std::size_t n) {
  if (n == 0) return;
  Reserve(size_ + n);
  std::memcpy(data_ + size_, data, n);
  size_ += n;
}

char* ByteBuffer::ToText() const { return rt::CopyTextN(data_, static_cast<std::int64_t>(size_)); }

void* ByteBuffer::ToBytes() const { return rt::MakeBytes(data_, static_cast<std::int64_t>(size_)); }

}  // namespace commands
