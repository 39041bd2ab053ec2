// Where the index files plug into the engine. The record commands call an
// open database's IndexSet at exactly three points: after a record is
// appended, when a field of a record is written, and after a purge. Opening a
// database with index file names calls OpenIndexSet, which the index-file
// code defines (db/index/index_support.cpp). The engine knows indexes only
// through this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace db {

struct Database;

class IndexSet {
 public:
  virtual ~IndexSet() = default;  // unlocks and closes every index file

  // Record `record` (0-based) was written at the end of the file; `bytes` is
  // the whole stored record (recordSize bytes, status word first). Returns 0
  // or an error code; the record stays either way.
  virtual int RecordAdded(Database& db, std::int64_t record, const std::uint8_t* bytes) = 0;

  // True when any open index has field `field` (0-based) among its keys.
  virtual bool UsesField(int field) const = 0;

  // Field `field` of record `record` changes: `old_record` is the whole
  // record before, `new_record` the whole record after the write. Called
  // only when UsesField(field) and the stored bytes differ, after the
  // field's bytes are written: a failure (-64 ...) becomes the command's
  // error, and the written value stays.
  virtual int FieldChanged(Database& db, std::int64_t record, int field, const std::uint8_t* old_record,
                           const std::uint8_t* new_record) = 0;

  // Records were removed by a purge: rebuild every index from the file
  // (read records through db.main.ReadAt, in batches of db.BatchRecords()).
  virtual int Rebuild(Database& db) = 0;
};

// Opens and validates the index files named at open (names as given: empty
// ones already dropped, no default extension applied yet), with the
// database's access and sharing mode (db.access, db.share_flags). On success
// *out holds the set (null when `names` is empty). Returns 0 or the code of
// the first failure; then nothing stays open.
int OpenIndexSet(Database& db, const std::vector<std::string>& names, std::unique_ptr<IndexSet>* out);

}  // namespace db
