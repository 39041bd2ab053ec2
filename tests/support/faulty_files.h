// A file system for tests that passes every call to the one installed
// before it, counts the file operations, and fails a chosen one: the Nth
// open, read, write, lock, truncate, flush or delete, with a chosen cause.
// A failure is one-shot (the operation after it goes through) or lasting
// (every operation from the Nth on fails, as a disk that stays full). A
// failed write that would grow the file, with the cause "disk full", writes
// its bytes up to the old end and half of the rest before it fails, as a
// full disk does.
//
// It also keeps the byte ranges each open holds locked and the opens still
// alive, so a test can see that nothing was left locked or open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"

namespace qktest {

enum class FaultMode { kOnce, kLasting };

class FaultyFileSystem final : public platform::FileSystem {
 public:
  // Wraps the file system current now and installs itself; the destructor
  // puts the previous one back.
  FaultyFileSystem();
  ~FaultyFileSystem() override;
  FaultyFileSystem(const FaultyFileSystem&) = delete;
  FaultyFileSystem& operator=(const FaultyFileSystem&) = delete;

  // From now on, counts operations from 1 and fails number `n` (n = 0:
  // never) with `cause`.
  void Arm(std::uint64_t n, platform::FileError cause, FaultMode mode = FaultMode::kOnce);
  void Disarm() { Arm(0, platform::FileError::kNone); }

  bool fired() const { return fired_; }
  // Operations counted since Arm().
  std::uint64_t operations() const { return count_; }
  // Opens not yet closed and byte ranges held locked by them.
  int open_files() const { return open_files_; }
  int held_ranges() const { return held_ranges_; }
  // What the failed operation was ("write main.vdb @16").
  const std::string& fired_at() const { return fired_at_; }

  platform::FileError Open(const std::string& path_gbk, platform::FileAccess access, unsigned share_flags,
                           platform::FileDisposition disposition, std::unique_ptr<platform::File>* out) override;
  platform::FileError FullPath(const std::string& path_gbk, std::string* out) override;
  platform::FileError Delete(const std::string& path_gbk) override;
  platform::PathKind Query(const std::string& path_gbk) override;

  // Called by the wrapped files: true when this operation is to fail.
  bool ShouldFail(const char* what, const std::string& path, std::uint64_t pos);
  platform::FileError cause() const { return cause_; }
  void FileOpened() { ++open_files_; }
  void FileClosed() { --open_files_; }
  void RangeLocked() { ++held_ranges_; }
  void RangeUnlocked() { --held_ranges_; }

 private:
  platform::FileSystem* previous_;  // null: the native one
  platform::FileSystem& inner_;
  std::uint64_t fail_at_ = 0;
  platform::FileError cause_ = platform::FileError::kNone;
  FaultMode mode_ = FaultMode::kOnce;
  std::uint64_t count_ = 0;
  bool fired_ = false;
  std::string fired_at_;
  int open_files_ = 0;
  int held_ranges_ = 0;
};

}  // namespace qktest
