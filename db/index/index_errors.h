// Database error codes that the index files report (the engine's table holds
// their texts).
#pragma once

namespace db::index::err {
inline constexpr int kLockFailed = -28;
inline constexpr int kUnlockFailed = -29;
inline constexpr int kOpenFailed = -30;
inline constexpr int kNotIndexFile = -31;
inline constexpr int kVersionMismatch = -32;
inline constexpr int kAlreadyOpen = -33;
inline constexpr int kTooManyIndexes = -34;
inline constexpr int kTooManyKeyFields = -39;
inline constexpr int kNoSuchKeyField = -40;
inline constexpr int kRebuildFailed = -41;
inline constexpr int kLargeKeyField = -42;
inline constexpr int kFieldNotFound = -43;
inline constexpr int kOutOfMemory = -45;
inline constexpr int kReadRecordField = -46;
inline constexpr int kFileSize = -49;
inline constexpr int kAddEntryFailed = -51;
inline constexpr int kAccessFailed = -52;
inline constexpr int kFieldSizeMismatch = -53;
inline constexpr int kFieldTypeMismatch = -54;
inline constexpr int kEntryNotFound = -58;
inline constexpr int kReadRecord = -62;
inline constexpr int kKeyTooLarge = -56;
inline constexpr int kChangeFailed = -64;
}  // namespace db::index::err
