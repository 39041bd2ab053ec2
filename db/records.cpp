// Record navigation and editing on one open database. Every buffer that
// holds plain record bytes is a SecretBuffer: wiped when it is resized or
// goes, so no password stays on the heap after a read or a write.
#include <cassert>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "db/aux_file.h"
#include "db/codec.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/format.h"
#include "db/index_hooks.h"
#include "db/rollback.h"
#include "platform/secret.h"
#include "runtime/helpers.h"

namespace db {
namespace {

// recordCount and nextSerial at offset 16, clamped; the count lock must be
// held by the caller.
int ReadCountWords(Database& db, std::int32_t* count, std::int32_t* next_serial) {
  std::uint8_t words[8];
  int code = db.main.ReadExact(kRecordCountPos, words, sizeof words, err::kCountFailed);
  if (code != 0) return code;
  *count = GetI32(words);
  *next_serial = GetI32(words + 4);
  if (*count < 0) *count = 0;
  if (*next_serial < 1) *next_serial = 1;
  return 0;
}

// recordCount alone, at least 0; the caller holds the whole-file lock.
int ReadCountWord(Database& db, std::int64_t* count) {
  std::uint8_t word[4];
  int code = db.main.ReadExact(kRecordCountPos, word, sizeof word, err::kCountFailed);
  if (code != 0) return code;
  *count = std::max(GetI32(word), 0);
  return 0;
}

// The first error wins; a later one only fills an empty slot.
void Keep(int* first, int code) {
  if (*first == 0) *first = code;
}

}  // namespace

int ReadRecordCount(Database& db, std::int32_t* count, std::int32_t* next_serial) {
  *count = 0;
  *next_serial = 1;
  PositionLock lock(db.main, kRecordCountPos, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  int code = ReadCountWords(db, count, next_serial);
  int unlock = lock.Release();
  return code != 0 ? code : unlock;
}

int SkipRecords(Database& db, std::int32_t k) {
  if (k == 0) return 0;
  std::int32_t count = 0, next = 0;
  int code = ReadRecordCount(db, &count, &next);
  if (code != 0) return code;
  if (k < 0 && (count == 0 || db.current < 0)) return err::kBeforeFirst;
  if (k > 0 && (count == 0 || db.current >= count)) return err::kAfterLast;
  std::int64_t moved = db.current + k;
  if (moved > count) moved = count;
  db.current = moved < -1 ? -1 : moved;
  return 0;
}

int GoToRecord(Database& db, std::int64_t number) {
  std::int32_t count = 0, next = 0;
  int code = ReadRecordCount(db, &count, &next);
  if (code != 0) return code;
  std::int64_t target = number - 1;
  if (target > count - 1) target = count - 1;
  if (target < 0) target = 0;
  db.current = target;
  return 0;
}

int AddRecord(Database& db, std::int32_t argc, const rt::Value* argv) {
  std::size_t given = argc < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(argc), db.fields.size());
  // Every value is checked before anything is locked or written.
  for (std::size_t i = 0; i < given; ++i) {
    int code = CheckValueType(db.fields[i], argv[i]);
    if (code != 0) return code;
  }
  platform::SecretBuffer record(static_cast<std::size_t>(db.record_size), 0);

  PositionLock count_lock(db.main, kRecordCountPos, kLockWaitMs);
  if (count_lock.code() != 0) return count_lock.code();
  std::int32_t count = 0, next_serial = 0;
  int code = ReadCountWords(db, &count, &next_serial);
  if (code != 0) return code;
  if (count == INT32_MAX || next_serial == INT32_MAX) return err::kWriteRecordFailed;
  std::uint64_t pos = db.RecordPos(count);
  PositionLock record_lock(db.main, pos, kLockWaitMs);
  if (record_lock.code() != 0) return record_lock.code();

  // Chains take several writes in the auxiliary file (and reuse free
  // blocks): they go through a rollback copy, taken under the auxiliary
  // header's lock, so a failure or a crash half way leaves no block lost
  // or linked twice.
  bool writes_chains = false;
  for (std::size_t i = 0; i < given; ++i)
    writes_chains = writes_chains || (db.fields[i].is_large() && LargeData(argv[i]).size > 0);
  writes_chains = writes_chains && db.aux != nullptr;
  std::unique_ptr<PositionLock> aux_lock;
  RollbackCopy rollback;
  if (writes_chains) {
    aux_lock = std::make_unique<PositionLock>(*db.aux, 0);
    if (aux_lock->code() != 0) return aux_lock->code();
    code = rollback.Begin(db.full_path, db.main, db.aux.get());
    if (code != 0) return code;
  }

  int chain_error = 0;
  for (std::size_t i = 0; i < given; ++i) {
    const FieldDesc& field = db.fields[i];
    std::uint8_t* slot = record.data() + field.offset;
    if (!field.is_large()) {
      EncodeFixed(field, argv[i], slot);
      continue;
    }
    rt::DataView data = LargeData(argv[i]);
    if (data.size == 0) continue;
    if (!db.aux) {
      // No auxiliary file: the field stays empty, the record is added and
      // the error reported.
      Keep(&chain_error, err::kAuxAccess);
      continue;
    }
    std::int32_t first = 0;
    code = WriteChain(*db.aux, 0, data.data, data.size, &first);
    if (code != 0) return code;  // the rollback copy turns the chains back
    PutI32(slot, first);
  }
  PutI32(record.data(), next_serial);
  code = db.main.WriteAt(pos, record.data(), record.size());
  if (code != 0) return code;
  int index_error = 0;
  if (db.indexes) index_error = db.indexes->RecordAdded(db, count, record.data());

  std::uint8_t words[8];
  PutI32(words, count + 1);
  PutI32(words + 4, next_serial + 1);
  code = db.main.WriteAt(kRecordCountPos, words, sizeof words);
  if (code == 0) code = rollback.Commit();
  if (code != 0) {
    // The record is not counted: the indexes must not list it either.
    rollback.TurnBack();
    if (db.indexes) db.indexes->Rebuild(db);
    return code;
  }
  PutI32(db.header + kRecordCountPos, count + 1);
  PutI32(db.header + kNextSerialPos, next_serial + 1);
  db.current = count;
  int unlock = aux_lock ? aux_lock->Release() : 0;
  Keep(&unlock, record_lock.Release());
  Keep(&unlock, count_lock.Release());
  if (chain_error != 0) return chain_error;
  if (index_error != 0) return index_error;
  return unlock;
}

int DeleteRecord(Database& db) {
  if (db.current < 0) return err::kNoCurrentRecord;
  std::uint64_t pos = db.RecordPos(db.current);
  PositionLock lock(db.main, pos, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  std::uint8_t word[4];
  std::size_t got = 0;
  int code = db.main.ReadAt(pos, word, 4, &got);
  if (code != 0) return code;
  if (got == 0) return err::kNoCurrentRecord;
  if (got < 4) return err::kReadRecordFailed;
  std::int32_t status = GetI32(word);
  if (status > 0) {
    PutI32(word, -status);
    code = db.main.WriteAt(pos, word, 4);
    if (code != 0) return code;
  }
  return lock.Release();
}

int DeleteRecordsWhere(Database& db, const rt::Value& condition) {
  WholeLock lock(db.main, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  std::int64_t count = 0;
  int code = ReadCountWord(db, &count);
  if (code != 0) return code;
  std::int64_t saved = db.current;
  std::int64_t batch = db.BatchRecords();
  platform::SecretBuffer records;
  for (std::int64_t start = 0; start < count && code == 0; start += batch) {
    std::int64_t n = std::min(batch, count - start);
    records.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(db.record_size));
    code = db.main.ReadExact(db.RecordPos(start), records.data(), records.size(), err::kReadRecordFailed);
    for (std::int64_t i = 0; i < n && code == 0; ++i) {
      std::int32_t status = GetI32(&records[static_cast<std::size_t>(i * db.record_size)]);
      if (status <= 0) continue;
      db.current = start + i;  // the condition reads this record's fields
      if (!rt::EvaluateCondition(condition)) continue;
      std::uint8_t marked[4];
      PutI32(marked, -status);
      code = db.main.WriteAt(db.RecordPos(start + i), marked, 4);
    }
  }
  db.current = saved;
  int unlock = lock.Release();
  return code != 0 ? code : unlock;
}

int PurgeDeletedRecords(Database& db) {
  WholeLock lock(db.main, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  std::int64_t count = 0;
  int code = ReadCountWord(db, &count);
  if (code != 0) return code;
  std::int64_t batch = db.BatchRecords();
  auto size = static_cast<std::size_t>(db.record_size);
  platform::SecretBuffer records;
  std::int64_t kept = 0;  // records written back so far (the write position)
  // Records move down in place and chains are freed: a crash half way would
  // leave records twice or pointing at freed blocks. From the first batch
  // that loses a record on, what is overwritten is saved beside the
  // database first, so an unfinished purge is turned back.
  RollbackCopy rollback;
  for (std::int64_t start = 0; start < count; start += batch) {
    std::int64_t n = std::min(batch, count - start);
    records.resize(static_cast<std::size_t>(n) * size);
    code = db.main.ReadExact(db.RecordPos(start), records.data(), records.size(), err::kReadRecordFailed);
    if (code != 0) break;
    bool loses = false;
    for (std::int64_t i = 0; i < n && !loses; ++i) loses = GetI32(&records[static_cast<std::size_t>(i) * size]) < 0;
    if (loses && !rollback.active()) {
      std::uint64_t file_size = 0;
      code = db.main.Size(&file_size);
      if (code == 0) code = rollback.Begin(db.full_path, db.main, db.aux.get());
      if (code == 0) code = rollback.Save(db.main, kRecordCountPos, 4);
      if (code == 0 && file_size > db.RecordPos(start)) code = rollback.Save(db.main, db.RecordPos(start), file_size - db.RecordPos(start));
      if (code != 0) break;
    }
    std::int64_t live = 0;
    for (std::int64_t i = 0; i < n && code == 0; ++i) {
      std::uint8_t* rec = &records[static_cast<std::size_t>(i) * size];
      if (GetI32(rec) < 0) {
        // A chain freed half way leaves the free list unsound; the purge
        // is turned back instead of going on.
        for (const FieldDesc& f : db.fields) {
          if (!f.is_large() || code != 0) continue;
          std::int32_t first = GetI32(rec + f.offset);
          if (first != 0) code = db.aux ? FreeChain(*db.aux, first) : err::kAuxAccess;
        }
        continue;
      }
      if (live != i) std::memmove(&records[static_cast<std::size_t>(live) * size], rec, size);
      ++live;
    }
    if (code != 0) break;
    // Batches before the first removal are already in place.
    if (live > 0 && (kept != start || live != n)) code = db.main.WriteAt(db.RecordPos(kept), records.data(), static_cast<std::size_t>(live) * size);
    kept += live;
    if (code != 0) break;
  }
  if (code == 0 && kept != count) {
    std::uint8_t word[4];
    PutI32(word, static_cast<std::int32_t>(kept));
    code = db.main.WriteAt(kRecordCountPos, word, 4);
    if (code == 0) code = db.main.Truncate(db.RecordPos(kept));
    if (code == 0) code = rollback.Commit();
    if (code == 0) PutI32(db.header + kRecordCountPos, static_cast<std::int32_t>(kept));
    if (code == 0 && db.indexes) code = db.indexes->Rebuild(db);
  }
  // A purge that failed is turned back whole: no record is lost or doubled.
  if (code != 0) rollback.TurnBack();
  db.current = 0;
  int unlock = lock.Release();
  return code != 0 ? code : unlock;
}

int ReadField(Database& db, int field_index, rt::Value* out) {
  const FieldDesc& field = db.fields[static_cast<std::size_t>(field_index)];
  *out = EmptyValue(field);
  if (db.current < 0) return err::kNoCurrentRecord;
  std::uint64_t record_pos = db.RecordPos(db.current);
  PositionLock lock(db.main, record_pos, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  auto size = static_cast<std::size_t>(field.stored_size());
  std::uint8_t small[16];  // numbers and dates: never secrets
  platform::SecretBuffer large;
  std::uint8_t* bytes = small;
  if (size > sizeof small) {
    large.resize(size);
    bytes = large.data();
  }
  std::size_t got = 0;
  int code = db.main.ReadAt(record_pos + static_cast<std::uint64_t>(field.offset), bytes, size, &got);
  if (code != 0) return code;
  if (got == 0) return err::kSeekFailed;
  if (got < size) return err::kReadFieldFailed;
  if (!field.is_large()) {
    *out = DecodeFixed(field, bytes);
  } else {
    std::int32_t first = GetI32(bytes);
    if (first != 0) {
      if (!db.aux) return err::kReadFieldFailed;
      platform::SecretBuffer data;
      code = ReadChain(*db.aux, first, &data);
      if (code != 0) return code;
      *out = DecodeLarge(field, data.data(), data.size());
    }
  }
  int unlock = lock.Release();
  if (unlock != 0) rt::FreeValue(*out), *out = EmptyValue(field);
  return unlock;
}

int WriteField(Database& db, int field_index, const rt::Value& value) {
  const FieldDesc& field = db.fields[static_cast<std::size_t>(field_index)];
  int code = CheckValueType(field, value);
  if (code != 0) return code;
  if (db.current < 0) return err::kNoCurrentRecord;
  std::uint64_t record_pos = db.RecordPos(db.current);
  PositionLock lock(db.main, record_pos, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  std::uint64_t file_size = 0;
  code = db.main.Size(&file_size);
  if (code != 0) return code;
  std::uint64_t field_pos = record_pos + static_cast<std::uint64_t>(field.offset);
  if (field_pos >= file_size) return err::kNoCurrentRecord;

  auto size = static_cast<std::size_t>(field.stored_size());
  platform::SecretBuffer bytes(size, 0);
  std::unique_ptr<PositionLock> aux_lock;
  RollbackCopy rollback;
  if (!field.is_large()) {
    EncodeFixed(field, value, bytes.data());
  } else {
    if (!db.aux) return err::kAuxAccess;
    // The old chain's blocks are rewritten in place: through a rollback
    // copy, so the value is the old one or the new one, never a mix.
    aux_lock = std::make_unique<PositionLock>(*db.aux, 0);
    if (aux_lock->code() != 0) return aux_lock->code();
    code = rollback.Begin(db.full_path, db.main, db.aux.get());
    if (code != 0) return code;
    std::uint8_t old_word[4];
    code = db.main.ReadExact(field_pos, old_word, 4, err::kReadFieldFailed);
    if (code != 0) return code;
    rt::DataView data = LargeData(value);
    std::int32_t first = 0;
    code = WriteChain(*db.aux, GetI32(old_word), data.data, data.size, &first);
    if (code != 0) return code;
    PutI32(bytes.data(), first);
  }

  int index_error = 0;
  if (db.indexes && db.indexes->UsesField(field_index)) {
    platform::SecretBuffer before(static_cast<std::size_t>(db.record_size));
    // Opening checked that every field lies inside the record.
    assert(field.offset >= 0 && static_cast<std::size_t>(field.offset) + size <= before.size());
    code = db.main.ReadExact(record_pos, before.data(), before.size(), err::kReadFieldFailed);
    if (code != 0) return code;
    if (std::memcmp(&before[static_cast<std::size_t>(field.offset)], bytes.data(), size) == 0) return lock.Release();
    platform::SecretBuffer after = before;
    std::memcpy(&after[static_cast<std::size_t>(field.offset)], bytes.data(), size);
    code = db.main.WriteAt(field_pos, bytes.data(), size);
    if (code != 0) return code;
    index_error = db.indexes->FieldChanged(db, db.current, field_index, before.data(), after.data());
  } else {
    code = db.main.WriteAt(field_pos, bytes.data(), size);
    if (code == 0) code = rollback.Commit();
    if (code != 0) return code;
  }
  int unlock = aux_lock ? aux_lock->Release() : 0;
  Keep(&unlock, lock.Release());
  return index_error != 0 ? index_error : unlock;
}

int ReadRecordStatus(Database& db, std::int64_t record, std::int32_t* status) {
  *status = 0;
  std::uint64_t pos = db.RecordPos(record);
  PositionLock lock(db.main, pos, kLockWaitMs);
  if (lock.code() != 0) return lock.code();
  std::uint8_t word[4];
  int code = db.main.ReadExact(pos, word, 4, err::kReadRecordFailed);
  if (code != 0) return code;
  *status = GetI32(word);
  return lock.Release();
}

}  // namespace db
