#include "db/db_file.h"

#include <cstring>

#include "db/errors.h"
#include "db/format.h"
#include "platform/host.h"
#include "platform/system.h"

namespace db {

DbFile::~DbFile() { ReleaseAllLocks(); }

int DbFile::ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) {
  *got = 0;
  if (!file_) return err::kUnknown;
  platform::FileError e = file_->Read(pos, buffer, n, got);
  if (e != platform::FileError::kNone) return FromFileError(e);
  cipher_.AfterRead(pos, buffer, *got);
  return 0;
}

int DbFile::ReadExact(std::uint64_t pos, void* buffer, std::size_t n, int short_code) {
  std::size_t got = 0;
  int code = ReadAt(pos, buffer, n, &got);
  if (code != 0) return code;
  return got == n ? 0 : short_code;
}

int DbFile::WriteAt(std::uint64_t pos, const void* data, std::size_t n) {
  if (!file_) return err::kUnknown;
  if (guard_ != nullptr) {
    int code = guard_->BeforeWrite(*this, pos, n);
    if (code != 0) return code;
  }
  const void* out = data;
  if (cipher_.enciphered()) {
    scratch_.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + n);
    cipher_.BeforeWrite(pos, scratch_.data(), n);
    out = scratch_.data();
  }
  return FromFileError(file_->Write(pos, out, n));
}

int DbFile::Size(std::uint64_t* size) {
  *size = 0;
  if (!file_) return err::kUnknown;
  return FromFileError(file_->Size(size));
}

int DbFile::Truncate(std::uint64_t size) {
  if (!file_) return err::kUnknown;
  if (guard_ != nullptr) {
    int code = guard_->BeforeTruncate(*this, size);
    if (code != 0) return code;
  }
  return FromFileError(file_->Truncate(size));
}

int DbFile::Flush() {
  if (!file_) return 0;
  return FromFileError(file_->Flush());
}

platform::FileError DbFile::LockWaiting(std::uint64_t pos, std::uint64_t length, std::uint32_t wait_ms) {
  std::uint32_t start = platform::MonotonicTickCount();
  for (;;) {
    platform::FileError e = file_->Lock(pos, length);
    if (e != platform::FileError::kLockViolation && e != platform::FileError::kSharingViolation) return e;
    if (platform::MonotonicTickCount() - start >= wait_ms) return e;
    // 20 to 39 ms, so waiting processes do not retry in step.
    platform::SleepMilliseconds(20 + platform::MonotonicTickCount() % 20);
  }
}

namespace {
int LockFailureCode(platform::FileError e) {
  if (e == platform::FileError::kLockViolation || e == platform::FileError::kSharingViolation) return err::kLockFailed;
  return FromFileError(e);
}
}  // namespace

int DbFile::LockPosition(std::uint64_t pos, std::uint32_t wait_ms) {
  if (!file_) return err::kLockFailed;
  if (no_locking_ > 0) return 0;
  auto found = positions_.find(pos);
  if (found != positions_.end()) {
    ++found->second;
    return 0;
  }
  platform::FileError e = LockWaiting(pos, 1, wait_ms);
  if (e != platform::FileError::kNone) return LockFailureCode(e);
  positions_.emplace(pos, 1);
  return 0;
}

int DbFile::UnlockPosition(std::uint64_t pos) {
  if (!file_) return err::kUnlockFailed;
  if (no_locking_ > 0) return 0;
  auto found = positions_.find(pos);
  if (found == positions_.end()) return err::kUnlockFailed;
  if (--found->second > 0) return 0;
  positions_.erase(found);
  return file_->Unlock(pos, 1) == platform::FileError::kNone ? 0 : err::kUnlockFailed;
}

int DbFile::LockWhole(std::uint32_t wait_ms) {
  if (!file_) return err::kLockFailed;
  if (no_locking_ > 0) {
    ++no_locking_;
    return 0;
  }
  // The gaps between the single bytes already held, in ascending order (as
  // every other lock is taken), so two lockers cannot wait on each other.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  std::uint64_t from = 0;
  for (const auto& [pos, count] : positions_) {
    if (pos > kWholeFileEnd) break;
    if (pos > from) ranges.emplace_back(from, pos - from);
    from = pos + 1;
  }
  if (from <= kWholeFileEnd) ranges.emplace_back(from, kWholeFileEnd + 1 - from);
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    platform::FileError e = LockWaiting(ranges[i].first, ranges[i].second, wait_ms);
    if (e != platform::FileError::kNone) {
      while (i-- > 0) file_->Unlock(ranges[i].first, ranges[i].second);
      return LockFailureCode(e);
    }
  }
  whole_ranges_ = std::move(ranges);
  whole_taken_ = true;
  no_locking_ = 1;
  return 0;
}

int DbFile::UnlockWhole() {
  if (!file_ || no_locking_ <= 0) return err::kUnlockFailed;
  if (no_locking_ == 1 && whole_taken_) {
    int code = 0;
    for (const auto& [pos, length] : whole_ranges_)
      if (file_->Unlock(pos, length) != platform::FileError::kNone) code = err::kUnlockFailed;
    whole_ranges_.clear();
    whole_taken_ = false;
    no_locking_ = 0;
    return code;
  }
  --no_locking_;
  return 0;
}

void DbFile::ReleaseAllLocks() {
  if (!file_) return;
  if (whole_taken_) {
    for (const auto& [pos, length] : whole_ranges_) file_->Unlock(pos, length);
    whole_ranges_.clear();
    whole_taken_ = false;
    no_locking_ = 0;
  }
  for (const auto& [pos, count] : positions_) file_->Unlock(pos, 1);
  positions_.clear();
}

}  // namespace db
