// Byte layout of database (.VDB) and auxiliary (.VDT) files. All integers
// are 32-bit little-endian; dates are IEEE doubles (days since 1899-12-30).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/coding.h"

namespace db {

inline constexpr std::int32_t kVersion = 0x00010000;

// Database file header (112 bytes), then the field count and definitions.
inline constexpr std::size_t kHeaderSize = 112;
inline constexpr std::uint64_t kMagicPos = 0;
inline constexpr std::uint64_t kVersionPos = 4;
inline constexpr std::uint64_t kCreatedPos = 8;
inline constexpr std::uint64_t kRecordCountPos = 16;  // also the count lock byte
inline constexpr std::uint64_t kNextSerialPos = 20;
inline constexpr std::uint64_t kRecordSizePos = 24;
inline constexpr std::uint64_t kPasswordCheckPos = 28;
inline constexpr std::uint64_t kFieldCountPos = 112;
inline constexpr std::uint64_t kFieldDefsPos = 116;

inline constexpr std::size_t kFieldDefSize = 72;
inline constexpr std::size_t kFieldNameArea = 17;  // 16 bytes and a terminator
inline constexpr std::size_t kMaxFieldName = 16;
inline constexpr std::size_t kDefTypePos = 20;
inline constexpr std::size_t kDefOffsetPos = 24;
inline constexpr std::size_t kDefTextSizePos = 28;

inline constexpr char kPlainMagic[4] = {'Q', 'V', 'D', 'B'};
inline constexpr char kCipheredMagic[4] = {'Q', 'C', 'D', 'B'};
inline constexpr char kAuxMagic[4] = {'Q', 'V', 'D', 'T'};

// Auxiliary file: 512-byte blocks; block 0 is the header.
inline constexpr std::size_t kBlockSize = 512;
inline constexpr std::size_t kBlockPayload = 500;
inline constexpr std::size_t kBlockHeader = 12;  // prev, next, used
inline constexpr std::size_t kAuxHeaderSize = 32;
inline constexpr std::uint64_t kAuxVersionPos = 4;
inline constexpr std::uint64_t kAuxCreatedPos = 8;
inline constexpr std::uint64_t kAuxBlockCountPos = 16;
inline constexpr std::uint64_t kAuxFreeCountPos = 20;
inline constexpr std::uint64_t kAuxFreeHeadPos = 24;

// Record batches of bulk passes (purge, conditional delete, index rebuild).
inline constexpr std::int32_t kBatchBytes = 163840;

// The whole-file lock covers bytes 0 .. kWholeFileEnd, of every file the
// engine locks (database, auxiliary and index files).
inline constexpr std::uint64_t kWholeFileEnd = 0x7FFFFFFE;
inline constexpr std::uint64_t kWholeFileLength = kWholeFileEnd + 1;

// Integers and dates in the files, little-endian (platform/coding.h).
using platform::GetF64;
using platform::GetI32;
using platform::PutF64;
using platform::PutI32;

// The header's words that opening and checking a file both judge.
struct HeaderWords {
  std::int32_t version = 0;
  std::int32_t record_count = 0;
  std::int32_t next_serial = 0;
  std::int32_t record_size = 0;

  // `header`: kHeaderSize bytes, deciphered.
  static HeaderWords Decode(const std::uint8_t* header) {
    return {GetI32(header + kVersionPos), GetI32(header + kRecordCountPos), GetI32(header + kNextSerialPos),
            GetI32(header + kRecordSizePos)};
  }
  // What no file of ours has: no record size, a negative count, no serial.
  bool sound() const { return record_size > 0 && record_count >= 0 && next_serial > 0; }
};

}  // namespace db
