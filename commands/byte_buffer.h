// A growable byte buffer on the runtime heap. Commands assemble their result
// here in one pass and copy it once into an exactly sized Text or Bytes block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace commands {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t reserve) { Reserve(reserve); }
  ~ByteBuffer();
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  void Append(const void* data, std::size_t n);
  void Push(char c) {
    if (size_ == capacity_) Reserve(size_ + 1);
    data_[size_++] = c;
  }
  void Reserve(std::size_t total);

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // A new heap text of the contents (null when empty).
  char* ToText() const;
  // A new heap byte block of the contents (null when empty).
  void* ToBytes() const;

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace commands
