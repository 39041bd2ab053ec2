// One open database or auxiliary file as the engine uses it. Every read and
// write of these files goes through ReadAt/WriteAt, which apply the file's
// cipher with the absolute file position (plain files have none), and every
// byte lock goes through the counted position locks or the whole-file lock.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "db/cipher.h"
#include "platform/file.h"
#include "platform/secret.h"

namespace db {

// How long a lock is retried while another open holds it: 2 s for every
// lock, not only while the record count is read. The locks are held for
// the moment one command takes, but a command that gave up at once (a wait
// of 0) failed whenever it met one: two notebooks or qkdb adding in share
// mode 1 got "加锁失败" at random (on the count of one, the record or
// auxiliary block of the other, or a reader's record lock under a purge's
// whole-file lock). Waiting turns those collisions into a short delay; a
// lock held longer than this (a process stopped in a debugger) still
// fails with -28. See docs/reliability.md.
inline constexpr std::uint32_t kLockWaitMs = 2000;

class DbFile;

// Sees every write and cut of a file before it happens, and may refuse it
// (the rollback copy saves the bytes about to be replaced).
class WriteGuard {
 public:
  virtual ~WriteGuard() = default;
  virtual int BeforeWrite(DbFile& file, std::uint64_t pos, std::size_t n) = 0;
  virtual int BeforeTruncate(DbFile& file, std::uint64_t size) = 0;
};

class DbFile {
 public:
  DbFile() = default;
  explicit DbFile(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}
  DbFile(const DbFile&) = delete;
  DbFile& operator=(const DbFile&) = delete;
  ~DbFile();

  // Takes over an opened file (the database object's file is attached once
  // the open has succeeded at the file layer).
  void Attach(std::unique_ptr<platform::File> file) { file_ = std::move(file); }
  bool is_open() const { return file_ != nullptr; }
  platform::File& raw() { return *file_; }
  FileCipher& cipher() { return cipher_; }
  // Null, or the guard every write and cut goes through first.
  void set_guard(WriteGuard* guard) { guard_ = guard; }

  // Reads up to n bytes at pos into buffer, deciphered; *got tells how many.
  // Returns 0 or a file error code.
  int ReadAt(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got);
  // Reads exactly n bytes; a short read gives short_code.
  int ReadExact(std::uint64_t pos, void* buffer, std::size_t n, int short_code);
  // Writes n bytes at pos, enciphered (data itself is not changed).
  int WriteAt(std::uint64_t pos, const void* data, std::size_t n);
  int Size(std::uint64_t* size);
  int Truncate(std::uint64_t size);
  int Flush();

  // While above 0, position locks and the whole-file lock do nothing. 1 from
  // the start for files no one else may read; raised by each nested
  // whole-file lock. Files whose locks must always be taken (auxiliary
  // files) never raise it.
  int no_locking() const { return no_locking_; }
  void set_no_locking(int n) { no_locking_ = n; }

  // Locks the single byte at pos, counted: a second lock of the same byte
  // only raises its count. Retries for wait_ms while another open holds it.
  // 0, -28 (held elsewhere) or a file error.
  int LockPosition(std::uint64_t pos, std::uint32_t wait_ms = kLockWaitMs);
  // 0 or -29.
  int UnlockPosition(std::uint64_t pos);
  // Locks 0 .. 0x7FFFFFFE except the bytes held by position locks; nested.
  int LockWhole(std::uint32_t wait_ms = kLockWaitMs);
  int UnlockWhole();
  // Releases every lock this file holds (closing).
  void ReleaseAllLocks();

  std::size_t held_positions() const { return positions_.size(); }

 private:
  // Tries Lock(pos, length) until it succeeds, fails otherwise than by a
  // sharing or lock violation, or wait_ms has passed.
  platform::FileError LockWaiting(std::uint64_t pos, std::uint64_t length, std::uint32_t wait_ms);

  std::unique_ptr<platform::File> file_;
  FileCipher cipher_;
  WriteGuard* guard_ = nullptr;
  int no_locking_ = 0;
  std::map<std::uint64_t, int> positions_;  // position -> count
  std::vector<std::pair<std::uint64_t, std::uint64_t>> whole_ranges_;  // taken by LockWhole
  bool whole_taken_ = false;
  platform::SecretBuffer scratch_;  // enciphered copy for writes (plain while it is made)
};

// Holds a position lock for a scope.
class PositionLock {
 public:
  PositionLock(DbFile& file, std::uint64_t pos, std::uint32_t wait_ms = kLockWaitMs)
      : file_(file), pos_(pos), code_(file.LockPosition(pos, wait_ms)) {}
  ~PositionLock() { Release(); }
  PositionLock(const PositionLock&) = delete;
  PositionLock& operator=(const PositionLock&) = delete;
  int code() const { return code_; }
  // Unlocks now; returns 0 or -29 (0 when not held).
  int Release() {
    if (code_ != 0 || released_) return 0;
    released_ = true;
    return file_.UnlockPosition(pos_);
  }

 private:
  DbFile& file_;
  std::uint64_t pos_;
  int code_;
  bool released_ = false;
};

// Holds the whole-file lock for a scope.
class WholeLock {
 public:
  explicit WholeLock(DbFile& file, std::uint32_t wait_ms = kLockWaitMs) : file_(file), code_(file.LockWhole(wait_ms)) {}
  ~WholeLock() { Release(); }
  WholeLock(const WholeLock&) = delete;
  WholeLock& operator=(const WholeLock&) = delete;
  int code() const { return code_; }
  int Release() {
    if (code_ != 0 || released_) return 0;
    released_ = true;
    return file_.UnlockWhole();
  }

 private:
  DbFile& file_;
  int code_;
  bool released_ = false;
};

}  // namespace db
