// The engine's error codes (0 = success), for the database files, the index
// files and the access password alike, and the calling thread's last
// database error, which every database command sets.
#pragma once

#include <cstdint>

#include "platform/file.h"

namespace db {

namespace err {
inline constexpr int kNone = 0;
inline constexpr int kUnknown = -1;
inline constexpr int kCreateFailed = -2;
inline constexpr int kFileNotFound = -3;
inline constexpr int kSeekFailed = -10;
inline constexpr int kSharingViolation = -12;
inline constexpr int kLockViolation = -13;
inline constexpr int kNoFields = -16;
inline constexpr int kBadFieldType = -17;
inline constexpr int kBadFieldName = -18;
inline constexpr int kBadFieldSize = -19;
inline constexpr int kDuplicateField = -20;
inline constexpr int kOpenFailed = -21;
inline constexpr int kNotDatabase = -22;
inline constexpr int kVersionTooHigh = -23;
inline constexpr int kBadAlias = -24;
inline constexpr int kBeforeFirst = -25;
inline constexpr int kAfterLast = -26;
inline constexpr int kLockFailed = -28;
inline constexpr int kUnlockFailed = -29;
inline constexpr int kIndexOpenFailed = -30;
inline constexpr int kNotIndexFile = -31;
inline constexpr int kIndexVersion = -32;  // index: another version
inline constexpr int kIndexAlreadyOpen = -33;  // the index file is open already
inline constexpr int kTooManyIndexes = -34;
inline constexpr int kAuxReadFailed = -35;
inline constexpr int kAuxVersion = -36;
inline constexpr int kAuxDamaged = -37;
inline constexpr int kAlreadyOpen = -38;
inline constexpr int kTooManyKeyFields = -39;
inline constexpr int kNoSuchKeyField = -40;
inline constexpr int kRebuildFailed = -41;
inline constexpr int kLargeKeyField = -42;  // a bytes or memo field as a key
inline constexpr int kKeyFieldNotFound = -43;
inline constexpr int kOutOfMemory = -45;
inline constexpr int kReadFieldFailed = -46;
inline constexpr int kWriteFieldFailed = -47;
inline constexpr int kFileSize = -48;
inline constexpr int kIndexFileSize = -49;  // the index file is shorter than its pages
inline constexpr int kAuxCreateFailed = -50;
inline constexpr int kAddEntryFailed = -51;
inline constexpr int kIndexAccessFailed = -52;  // a short read, or pages that contradict each other: LastReason() says which
inline constexpr int kFieldSizeMismatch = -53;
inline constexpr int kFieldTypeMismatch = -54;
inline constexpr int kKeyTooLarge = -56;
inline constexpr int kEntryNotFound = -58;
inline constexpr int kAuxAccess = -59;
inline constexpr int kNoCurrentRecord = -60;
inline constexpr int kNoSuchField = -61;
inline constexpr int kReadRecordFailed = -62;
inline constexpr int kWriteRecordFailed = -63;
inline constexpr int kIndexChangeFailed = -64;
inline constexpr int kCountFailed = -65;
inline constexpr int kNotOpen = -66;
inline constexpr int kNoCurrentDatabase = -67;
inline constexpr int kTypeMismatch = -72;
inline constexpr int kBadPassword = -78;
inline constexpr int kRecipherFailed = -79;  // changing the password: updating the data failed
inline constexpr int kInvalidPasswordText = -80;  // "?" as a new password
}  // namespace err

// The message of a code (GBK); "未知错误" for codes not in the table, the
// empty text for 0.
const char* ErrorText(int code);

// The engine's code for a file-layer failure (0, -1 .. -15).
inline int FromFileError(platform::FileError e) { return platform::FileErrorCode(e); }
inline bool IsFileErrorCode(int code) { return code <= -1 && code >= -15; }

// The calling thread's last database error.
int LastError();
void SetLastError(int code);

// Why a code that covers many failures was returned (kIndexAccessFailed above
// all): Because() records a reason for the calling thread and returns the
// code, so a failure path reads `return Because(err::kIndexAccessFailed,
// "...")`. LastReason(code) gives the reason recorded with that code, or the
// empty text when the latest recorded reason belongs to another code. The
// reason is a string literal; qkdb prints it and a debugger can read it.
int Because(int code, const char* reason);
const char* LastReason(int code);

}  // namespace db
