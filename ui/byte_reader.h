// Bounds-checked reading and the matching writing of serialised data (window
// templates, unit property blocks), little-endian as platform/coding.h
// states. Every read that would pass the end sets the failed flag and yields
// zeros, so a parser can read straight through and check once. The writer is
// constexpr: the template encoder runs it at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/coding.h"

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
    return platform::DecodeU32(b);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::uint16_t U16() {
    std::uint8_t b[2];
    Raw(b, 2);
    return platform::DecodeU16(b);
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

// The matching writer, with back-patched length words.
class ByteWriter {
 public:
  constexpr void U8(std::uint8_t v) { bytes_.push_back(v); }
  constexpr void U16(std::uint16_t v) {
    std::uint8_t b[2]{};
    platform::EncodeU16(b, v);
    Append(b);
  }
  constexpr void U32(std::uint32_t v) {
    std::uint8_t b[4]{};
    platform::EncodeU32(b, v);
    Append(b);
  }
  constexpr void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  constexpr void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, std::uint8_t{0}); }
  constexpr void Append(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Raw(const void* data, std::size_t n) { Append({static_cast<const std::uint8_t*>(data), n}); }
  constexpr void Chars(std::string_view text) {
    for (char c : text) U8(static_cast<std::uint8_t>(c));
  }
  // u32 length, then that many bytes.
  constexpr void CountedBlock(std::span<const std::uint8_t> block) {
    U32(static_cast<std::uint32_t>(block.size()));
    Append(block);
  }
  // u32 length, then the text without terminator.
  constexpr void CountedText(std::string_view text) {
    U32(static_cast<std::uint32_t>(text.size()));
    Chars(text);
  }
  // Text followed by one zero byte.
  constexpr void ZeroText(std::string_view text) {
    Chars(text);
    U8(0);
  }
  // Opens a counted block: reserves its length word and returns its place.
  constexpr std::size_t BeginCounted() {
    std::size_t at = bytes_.size();
    U32(0);
    return at;
  }
  constexpr void EndCounted(std::size_t at) { PatchU32(at, static_cast<std::uint32_t>(bytes_.size() - at - 4)); }
  constexpr void PatchU32(std::size_t at, std::uint32_t v) { platform::EncodeU32(bytes_.data() + at, v); }

  constexpr std::size_t size() const { return bytes_.size(); }
  constexpr std::vector<std::uint8_t>& bytes() { return bytes_; }
  constexpr const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  constexpr std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  static constexpr std::size_t Length(const char* text) { return std::char_traits<char>::length(text); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ui
