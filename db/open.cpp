// Opening a database: the checks in their order, the repairs of a file whose
// length disagrees with its header, and the auxiliary file's checks.
#include <cstring>
#include <new>

#include "db/aux_file.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/format.h"
#include "db/index_hooks.h"
#include "db/password.h"
#include "db/paths.h"
#include "db/registry.h"
#include "db/rollback.h"

namespace db {
namespace {

unsigned ShareFlagsFor(std::int32_t mode) {
  switch (mode) {
    case share_mode::kDenyNone: return platform::share::kReadWrite;
    case share_mode::kDenyRead: return platform::share::kWrite;
    case share_mode::kDenyWrite: return platform::share::kRead;
    default: return platform::share::kNone;
  }
}

// Opens one of the database's files (0 the database, 1 the auxiliary file)
// with the database's access and sharing, through the recovered view when
// there is one.
int OpenRaw(Database& db, const std::string& path, int which, std::unique_ptr<platform::File>* out) {
  platform::FileError e = platform::OpenFile(path, db.access, db.share_flags, platform::FileDisposition::kOpenExisting, out);
  if (e == platform::FileError::kNone && db.recovered) *out = db.recovered->Wrap(std::move(*out), which);
  return FromFileError(e);
}

// Every field definition must be sound (DecodeFieldDefinition).
int ParseFields(const std::uint8_t* defs, std::int32_t count, std::int32_t record_size, std::vector<FieldDesc>* fields) {
  fields->clear();
  for (std::int32_t i = 0; i < count; ++i) {
    const FieldDefinition d = DecodeFieldDefinition(defs + static_cast<std::size_t>(i) * kFieldDefSize, record_size);
    if (!d.sound()) return err::kNotDatabase;
    fields->push_back(d.field);
  }
  return 0;
}

// Check 11: the auxiliary file, locked whole while it is checked.
int OpenAuxiliary(Database& db) {
  std::unique_ptr<platform::File> raw;
  int code = OpenRaw(db, WithExtension(db.full_path, "VDT"), 1, &raw);
  if (code != 0) return code;
  db.aux = std::make_unique<DbFile>(std::move(raw));
  DbFile& aux = *db.aux;
  aux.cipher().Set(db.main.cipher().reading());  // the password found for the main file
  WholeLock lock(aux);
  if (lock.code() != 0) return lock.code();
  std::uint8_t raw_header[kAuxHeaderSize];
  code = aux.ReadExact(0, raw_header, sizeof raw_header, err::kAuxReadFailed);
  if (code != 0) return IsFileErrorCode(code) ? code : err::kAuxReadFailed;
  AuxHeader h = AuxHeader::Decode(raw_header);
  if (std::memcmp(h.magic, kAuxMagic, 4) != 0 || h.block_count <= 0 || h.free_count < 0 ||
      h.free_count >= h.block_count || h.free_head < 0 || h.free_head >= h.block_count)
    return err::kAuxReadFailed;
  if (h.version != GetI32(db.header + kVersionPos)) return err::kAuxVersion;
  std::uint64_t size = 0;
  code = aux.Size(&size);
  if (code != 0) return code;
  std::uint64_t present = size / kBlockSize;
  if (present < static_cast<std::uint64_t>(h.block_count)) {
    if (db.read_only()) return err::kAuxDamaged;
    std::uint8_t word[4];
    PutI32(word, static_cast<std::int32_t>(present));
    code = aux.WriteAt(kAuxBlockCountPos, word, 4);
    if (code != 0) return code;
  }
  return lock.Release();
}

int OpenChecked(const std::string& path, const OpenOptions& options, Database& db) {
  if (path.empty()) return err::kFileNotFound;
  if (!options.alias.empty() && !IsValidName(options.alias.c_str())) return err::kBadAlias;
  int code = FromFileError(platform::FullPathName(WithDefaultExtension(path), &db.full_path));
  if (code != 0) return code;
  if (FindOpenByPath(db.full_path) != nullptr) return err::kAlreadyOpen;
  // A change cut short left its rollback copy: the file is put back as it
  // was before that change, before anything reads it. An open that may
  // not write reads it as it will be then and leaves it as it is.
  bool restored = false;
  code = options.read_only ? RecoveredView::Load(db.full_path, &db.recovered)
                           : RestoreFromRollbackCopy(db.full_path, &restored);
  if (code != 0) return code;
  db.short_name = ShortName(db.full_path);
  db.alias = options.alias;
  db.access = options.read_only ? platform::FileAccess::kRead : platform::FileAccess::kReadWrite;
  db.share_flags = ShareFlagsFor(options.share_mode);

  std::unique_ptr<platform::File> raw;
  code = OpenRaw(db, db.full_path, 0, &raw);
  if (code != 0) return code;
  db.main.Attach(std::move(raw));
  DbFile& main = db.main;
  main.cipher().Set(InitialCipherState(options.password));

  // While others may read the file, nobody changes it during the checks.
  bool others_read = (db.share_flags & platform::share::kRead) != 0;
  std::unique_ptr<WholeLock> lock;
  if (others_read) {
    lock = std::make_unique<WholeLock>(main);
    if (lock->code() != 0) return lock->code();
  }

  // Check 4: the header. The magic is never enciphered.
  std::size_t got = 0;
  code = main.ReadAt(0, db.header, kHeaderSize, &got);
  if (code != 0) return code;
  if (got < kHeaderSize) return err::kNotDatabase;
  if (std::memcmp(db.header, kCipheredMagic, 4) != 0 && std::memcmp(db.header, kPlainMagic, 4) != 0)
    return err::kNotDatabase;
  // Check 5: the access password (re-reads the header with the right key).
  code = CheckPasswordAtOpen(main, options.password, db.header);
  if (code != 0) return code;
  // Checks 6 and 7.
  const HeaderWords words = HeaderWords::Decode(db.header);
  std::int32_t record_count = words.record_count;
  db.record_size = words.record_size;
  if (!words.sound()) return err::kNotDatabase;
  if (words.version > kVersion) return err::kVersionTooHigh;

  // Check 8: the definitions must all be in the file.
  std::uint64_t size = 0;
  code = main.Size(&size);
  if (code != 0) return code;
  std::uint8_t count_word[4];
  code = main.ReadExact(kFieldCountPos, count_word, 4, err::kNotDatabase);
  if (code != 0) return code;
  std::int32_t field_count = GetI32(count_word);
  if (field_count <= 0) return err::kNotDatabase;
  db.data_start = kFieldDefsPos + static_cast<std::uint64_t>(field_count) * kFieldDefSize;
  if (db.data_start > size) return err::kNotDatabase;
  std::vector<std::uint8_t> defs(static_cast<std::size_t>(field_count) * kFieldDefSize);
  code = main.ReadExact(kFieldDefsPos, defs.data(), defs.size(), err::kNotDatabase);
  if (code != 0) return code;
  // Check 10 comes before the repairs of check 9, so a file that is refused
  // is never changed.
  code = ParseFields(defs.data(), field_count, db.record_size, &db.fields);
  if (code != 0) return code;

  // Check 9: the records present decide the count; the file is cut to them.
  std::uint64_t present = (size - db.data_start) / static_cast<std::uint64_t>(db.record_size);
  if (present < static_cast<std::uint64_t>(record_count)) {
    if (db.read_only()) return err::kFileSize;
    record_count = static_cast<std::int32_t>(present);
    PutI32(db.header + kRecordCountPos, record_count);
    std::uint8_t word[4];
    PutI32(word, record_count);
    code = main.WriteAt(kRecordCountPos, word, 4);
    if (code != 0) return code;
  }
  if (!db.read_only()) {
    std::uint64_t exact = db.RecordPos(record_count);
    if (size != exact) {
      code = main.Truncate(exact);
      if (code != 0) return code;
    }
  }

  // Check 11.
  bool needs_aux = false;
  for (const FieldDesc& f : db.fields) needs_aux = needs_aux || f.is_large();
  if (needs_aux) {
    code = OpenAuxiliary(db);
    if (code != 0) return code;
  }
  // Check 12.
  std::vector<std::string> index_names;
  for (const std::string& name : options.index_files)
    if (!name.empty()) index_names.push_back(name);
  if (!index_names.empty()) {
    // Index files describe the records after the change, which the view
    // turns back; only a writable open can rebuild them.
    if (db.recovered) return err::kIndexOpenFailed;
    code = OpenIndexSet(db, index_names, &db.indexes);
    if (code != 0) return code;
    // The records changed under the indexes when a change was turned back.
    if (restored && !db.read_only()) {
      code = db.indexes->Rebuild(db);
      if (code != 0) return code;
    }
  }

  if (lock) {
    code = lock->Release();
    if (code != 0) return code;
  }
  main.set_no_locking(others_read ? 0 : 1);
  db.current = 0;
  return 0;
}

}  // namespace

int OpenDatabaseFile(const std::string& path, const OpenOptions& options) {
  try {
    auto db = std::make_unique<Database>();
    int code = OpenChecked(path, options, *db);
    if (code != 0) return code;  // db's destructor closes whatever was opened
    AddOpenDatabase(std::move(db));
    return 0;
  } catch (const std::bad_alloc&) {
    return err::kOpenFailed;
  }
}

}  // namespace db
