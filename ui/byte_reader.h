// Bounds-checked little-endian reading of serialised data. Every read that
// would pass the end sets the failed flag and yields zeros, so a parser can
// read straight through and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ui {

class ByteReader {
 public:
  ByteReader(const void* data, std::size_t size) : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

  bool failed() const { return failed_; }
  void Fail() { failed_ = true; }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
  bool at_end() const { return !failed_ && pos_ == size_; }

  bool Raw(void* out, std::size_t n) {
    if (failed_ || n > size_ - pos_) {
      failed_ = true;
      if (out != nullptr && n != 0) std::memset(out, 0, n);
      return false;
    }
    if (n != 0) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Skip(std::size_t n) {
    if (failed_ || n > size_ - pos_) return failed_ = true, false;
    pos_ += n;
    return true;
  }
  std::uint32_t U32() {
    std::uint8_t b[4];
    Raw(b, 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::uint16_t U16() {
    std::uint8_t b[2];
    Raw(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  }
  std::uint8_t U8() {
    std::uint8_t b = 0;
    Raw(&b, 1);
    return b;
  }
  // u32 length, then that many bytes.
  std::vector<std::uint8_t> CountedBlock() {
    std::uint32_t n = U32();
    if (failed_ || n > size_ - pos_) {
      failed_ = true;
      return {};
    }
    std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }
  std::string CountedText() {
    std::vector<std::uint8_t> bytes = CountedBlock();
    return std::string(bytes.begin(), bytes.end());
  }
  // Bytes up to a zero byte, which is consumed; no zero before the end fails.
  std::string ZeroText() {
    if (failed_) return {};
    const void* zero = std::memchr(data_ + pos_, 0, size_ - pos_);
    if (zero == nullptr) {
      failed_ = true;
      return {};
    }
    auto end = static_cast<const std::uint8_t*>(zero);
    std::string out(reinterpret_cast<const char*>(data_ + pos_), static_cast<std::size_t>(end - (data_ + pos_)));
    pos_ = static_cast<std::size_t>(end - data_) + 1;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// The matching writer.
class ByteWriter {
 public:
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void U16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void Raw(const void* data, std::size_t n) {
    auto p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  void CountedBlock(const std::vector<std::uint8_t>& block) {
    U32(static_cast<std::uint32_t>(block.size()));
    Raw(block.data(), block.size());
  }
  void CountedText(const std::string& text) {
    U32(static_cast<std::uint32_t>(text.size()));
    Raw(text.data(), text.size());
  }
  void ZeroText(const std::string& text) {
    Raw(text.data(), text.size());
    U8(0);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ui
