// The rollback copy of a database: before a change that rewrites a file in
// place over several writes (a password change re-enciphering both files, a
// purge moving records down), the bytes it is about to overwrite are saved
// in a file of our own beside the database, each piece flushed before the
// write that replaces it. A change that ends normally removes the copy; one
// that fails puts the saved bytes back itself; one cut short by a crash or a
// kill is turned back by the next OpenDatabase, so the database is exactly
// as it was before the change.
//
// The copy holds the files' bytes as stored (enciphered ones enciphered), so
// turning back needs no password.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/db_file.h"
#include "platform/file.h"

namespace db {

// The copy's path: the database's full path with "-rollback" appended.
std::string RollbackPath(const std::string& database_path);

class RollbackCopy final : public WriteGuard {
 public:
  RollbackCopy() = default;
  ~RollbackCopy() override;
  RollbackCopy(const RollbackCopy&) = delete;
  RollbackCopy& operator=(const RollbackCopy&) = delete;

  // Creates the copy and records both files' lengths; from now on every
  // write and cut of `main` and `aux` (may be null) saves the bytes it
  // replaces first. 0 or a file error code (nothing is left behind then).
  int Begin(const std::string& database_path, DbFile& main, DbFile* aux);
  // Saves [pos, pos + n) of a file ahead of the writes (one flush for a
  // large region instead of one per write).
  int Save(DbFile& file, std::uint64_t pos, std::uint64_t n);
  // The change is complete: flushes both files, then removes the copy.
  // When the copy cannot be removed, the change is turned back and the
  // result is the file error.
  int Commit();
  // Puts every saved byte back, cuts both files to their old lengths,
  // flushes them and removes the copy. When that fails, the copy stays for
  // the next open. 0 or a file error code.
  int TurnBack();
  bool active() const { return copy_ != nullptr; }

  int BeforeWrite(DbFile& file, std::uint64_t pos, std::size_t n) override;
  int BeforeTruncate(DbFile& file, std::uint64_t size) override;

 private:
  struct Tracked {
    DbFile* file = nullptr;
    std::uint64_t length = 0;  // at Begin
    std::vector<std::pair<std::uint64_t, std::uint64_t>> saved;  // [from, to), sorted, disjoint
  };
  Tracked* Find(DbFile& file);
  int SaveRange(Tracked& t, int which, std::uint64_t from, std::uint64_t to);
  int Append(const std::vector<std::uint8_t>& entry);
  void Detach();
  int RemoveCopy();

  std::string path_;
  std::unique_ptr<platform::File> copy_;
  std::uint64_t end_ = 0;  // where the next entry goes
  Tracked files_[2];
};

// Turns back a change cut short: when the database at `full_path` has a
// rollback copy and no other process is working under it, the saved bytes
// are put back and the copy is removed; *restored tells whether it was. 0
// when there was nothing to do or the database is restored; else the file
// error that prevented it.
int RestoreFromRollbackCopy(const std::string& full_path, bool* restored);

// The files of a database as turning back a change cut short would leave
// them, for an open that may not write: the stale copy's bytes are read
// into memory and laid over the files' own, which stay untouched (they may
// be on read-only media). The view stops applying once another process has
// turned the change back, which it notices at the next lock.
class RecoveredView : public std::enable_shared_from_this<RecoveredView> {
 public:
  // *out stays null when the database at `full_path` has no stale copy.
  // 0 or the file error that kept the copy from being read.
  static int Load(const std::string& full_path, std::shared_ptr<RecoveredView>* out);
  // `file` (0 the database file, 1 its auxiliary file) seen through the
  // view: reads give the recovered bytes, writes and cuts are refused.
  std::unique_ptr<platform::File> Wrap(std::unique_ptr<platform::File> file, int which);

 private:
  friend class RecoveredFile;
  RecoveredView() = default;
  struct Layer {
    bool has_length = false;
    std::uint64_t length = 0;  // the file's length before the change
    std::map<std::uint64_t, std::vector<std::uint8_t>> bytes;  // position -> saved bytes
  };
  Layer layers_[2];
  std::string copy_path_;
  bool dropped_ = false;  // the copy is gone: the files hold these bytes themselves
};

}  // namespace db
