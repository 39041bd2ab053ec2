// The index files of an open database, plugged into the engine through
// IndexSet: validation at open, maintenance by the record commands, rebuild
// after a purge.
#include "db/index/index_support.h"

#include <cstring>

#include "db/database.h"
#include "db/errors.h"
#include "db/field.h"
#include "db/index/index_create.h"
#include "db/paths.h"

namespace db::index {
namespace {

bool HasSeparator(const std::string& name) {
  for (char c : name)
    if (platform::IsPathSeparator(c)) return true;
  return false;
}

int DatabaseVersion(const Database& db) { return GetI32(db.header + kVersionPos); }

// The database's record count as the file holds it now (another open may
// have added records since this one read its header).
int StoredRecordCount(Database& db, std::int64_t* count) {
  std::uint8_t word[4];
  const int rc = db.main.ReadExact(kRecordCountPos, word, sizeof word, err::kIndexAccessFailed);
  if (rc == err::kIndexAccessFailed) return Because(rc, "database file: shorter than its record count");
  if (rc != 0) return rc;
  *count = GetI32(word);
  return 0;
}

// Checks 3 to 6 on a locked, open index file.
int ValidateHeader(Database& db, platform::File& file, IndexFile& index) {
  IndexHeader& h = index.header;
  std::array<std::uint8_t, kHeaderBytes> bytes{};
  std::size_t got = 0;
  const platform::FileError fe = file.Read(0, bytes.data(), bytes.size(), &got);
  if ((fe != platform::FileError::kNone && fe != platform::FileError::kEndOfFile) || got != bytes.size())
    return err::kNotIndexFile;
  h = DecodeHeader(bytes);
  // keyFieldCount above 8 would name fields beyond the header's arrays.
  if (!h.has_magic() || h.page_count < 2 || h.free_count < 0 || h.free_count >= h.page_count ||
      h.free_head < 0 || h.free_head >= h.page_count || h.root < 1 || h.root >= h.page_count ||
      h.page_size < kMinPageSize || h.key_size < 1 || h.key_size > kMaxKeySize || h.key_field_count < 1 ||
      h.key_field_count > kMaxKeyFields)
    return err::kNotIndexFile;

  std::uint64_t length = 0;
  if (const auto size_error = file.Size(&length); size_error != platform::FileError::kNone)
    return FromFileError(size_error);
  if (length / static_cast<std::uint64_t>(h.page_size) < static_cast<std::uint64_t>(h.page_count))
    return err::kIndexFileSize;
  if (static_cast<std::int32_t>(h.version) != DatabaseVersion(db)) return err::kIndexVersion;

  std::vector<KeyPart> parts;
  std::int32_t key_size = 0;
  for (int i = 0; i < h.key_field_count; ++i) {
    const std::string name = h.FieldName(i);
    const std::int32_t type = h.field_types[static_cast<std::size_t>(i)];
    if (name.empty() || type == field_type::kText || type == field_type::kBytes || type == field_type::kMemo)
      return err::kNotIndexFile;
    const int field = FindFieldByName(db.fields, name.c_str());
    if (field < 0) return err::kKeyFieldNotFound;
    const FieldDesc& desc = db.fields[static_cast<std::size_t>(field)];
    const bool type_agrees = type < 0 ? desc.type == ftype::kText : desc.type == type;
    if (!type_agrees) return err::kFieldTypeMismatch;
    const std::int32_t size = HeaderTypeSize(type);
    if (size != desc.stored_size()) return err::kFieldSizeMismatch;
    for (int earlier : index.fields)
      if (earlier == field) return err::kNotIndexFile;
    index.fields.push_back(field);
    parts.push_back(KeyPart{type < 0 ? field_type::kText : type, static_cast<std::size_t>(size), 0});
    key_size += size;
  }
  if (key_size != h.key_size) return err::kNotIndexFile;
  index.layout = KeyLayout(parts, h.collation, h.text_flags);
  return 0;
}

// An index whose update failed half way (a page written, its parent not)
// no longer matches its records: it is rebuilt from the records at once,
// and, while that fails too, before the next update and at close. The
// failure is still the command's error.
class IndexFiles final : public IndexSet {
 public:
  explicit IndexFiles(std::vector<std::unique_ptr<IndexFile>> files)
      : files_(std::move(files)), stale_(files_.size(), false) {}
  ~IndexFiles() override {
    if (db_ != nullptr) RepairStale(*db_);
  }

  int RecordAdded(Database& db, std::int64_t record, const std::uint8_t* bytes) override {
    RepairStale(db);
    int result = 0;
    std::vector<std::uint8_t> key;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      IndexFile& index = *files_[i];
      const bool keyed = index.KeyOf(db, bytes, &key);
      int rc = keyed ? index.tree->Insert(key.data(), static_cast<std::uint32_t>(record)) : err::kAddEntryFailed;
      // The new record is not counted yet: the rebuild leaves it out, and
      // its entry goes in after.
      if (rc != 0 && keyed && RebuildOne(db, i) == 0 &&
          index.tree->Insert(key.data(), static_cast<std::uint32_t>(record)) != 0)
        MarkStale(db, i);
      if (result == 0) result = rc;
    }
    return result;
  }

  bool UsesField(int field) const override {
    for (const auto& index : files_)
      if (index->Uses(field)) return true;
    return false;
  }

  int FieldChanged(Database& db, std::int64_t record, int field, const std::uint8_t* old_record,
                   const std::uint8_t* new_record) override {
    RepairStale(db);
    int result = 0;
    std::vector<std::uint8_t> old_key;
    std::vector<std::uint8_t> new_key;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      IndexFile& index = *files_[i];
      if (!index.Uses(field)) continue;
      int rc = 0;
      if (!index.KeyOf(db, old_record, &old_key) || !index.KeyOf(db, new_record, &new_key)) {
        rc = err::kIndexChangeFailed;
      } else if (old_key != new_key) {  // equal after normalisation: the entry stays
        rc = index.tree->Move(old_key.data(), new_key.data(), static_cast<std::uint32_t>(record));
        if (rc != 0) RebuildOne(db, i);  // the field's new bytes are in the file already
      }
      if (result == 0) result = rc;
    }
    return result;
  }

  int Rebuild(Database& db) override {
    int result = 0;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      int rc = RebuildOne(db, i);
      if (rc != 0 && !IsFileErrorCode(rc)) rc = err::kRebuildFailed;
      if (result == 0) result = rc;
    }
    return result;
  }

 private:
  int RebuildOne(Database& db, std::size_t i) {
    IndexFile& index = *files_[i];
    int rc = index.tree->Reset();
    if (rc == 0) rc = InsertAllRecords(db, index);
    if (rc != 0) {
      MarkStale(db, i);
      return rc;
    }
    stale_[i] = false;
    return 0;
  }
  void MarkStale(Database& db, std::size_t i) {
    stale_[i] = true;
    db_ = &db;
  }
  void RepairStale(Database& db) {
    for (std::size_t i = 0; i < files_.size(); ++i)
      if (stale_[i]) RebuildOne(db, i);
  }

  std::vector<std::unique_ptr<IndexFile>> files_;
  std::vector<bool> stale_;
  Database* db_ = nullptr;  // set once an index is stale, for the repair at close
};

}  // namespace

bool IndexFile::Uses(int field) const {
  for (int f : fields)
    if (f == field) return true;
  return false;
}

bool IndexFile::KeyOf(const Database& db, const std::uint8_t* record, std::vector<std::uint8_t>* out) const {
  std::vector<std::uint8_t>& key = *out;
  key.clear();
  for (int f : fields) {
    const FieldDesc& desc = db.fields[static_cast<std::size_t>(f)];
    const std::int32_t size = desc.stored_size();
    if (desc.offset < 0 || size <= 0 || desc.offset + size > db.record_size) return false;
    key.insert(key.end(), record + desc.offset, record + desc.offset + size);
  }
  if (key.size() != layout.key_size()) return false;
  layout.Normalise(key.data());
  return true;
}

std::string IndexFilePath(const Database& db, const std::string& name) {
  std::string path = WithDefaultExtension(name, "VNX");
  if (!HasSeparator(name)) path = FolderOf(db.full_path) + path;
  std::string full;
  if (platform::FullPathName(path, &full) != platform::FileError::kNone) return path;
  return full;
}

namespace {

// Checks 3 to 6 on an opened index file, under its whole-file lock, and
// builds its descriptor.
int AdoptIndexFile(Database& db, const std::string& full_path, std::unique_ptr<platform::File> file,
                   std::unique_ptr<IndexFile>* out) {
  auto index = std::make_unique<IndexFile>();
  index->path = full_path;
  index->file = std::move(file);
  IndexLock lock(*index->file);
  if (lock.code() != 0) return lock.code();
  const int rc = ValidateHeader(db, *index->file, *index);
  const int unlock = lock.Release();
  if (rc != 0) return rc;
  if (unlock != 0) return unlock;
  index->tree = std::make_unique<IndexTree>(*index->file, index->layout, index->header.page_size);
  *out = std::move(index);
  return 0;
}

}  // namespace

int OpenIndexFile(Database& db, const std::string& full_path, std::unique_ptr<IndexFile>* out) {
  std::unique_ptr<platform::File> file;
  if (platform::OpenFile(full_path, db.access, db.share_flags, platform::FileDisposition::kOpenExisting, &file) !=
      platform::FileError::kNone)
    return err::kIndexOpenFailed;
  return AdoptIndexFile(db, full_path, std::move(file), out);
}

int InsertAllRecords(Database& db, IndexFile& index) {
  std::int64_t count = 0;
  if (const int rc = StoredRecordCount(db, &count); rc != 0) return rc;
  std::uint64_t size = 0;
  if (const int rc = db.main.Size(&size); rc != 0) return rc;
  const std::int64_t present =
      size > db.data_start ? static_cast<std::int64_t>((size - db.data_start) / static_cast<std::uint64_t>(db.record_size)) : 0;
  if (count > present) count = present;
  const std::int64_t batch = db.BatchRecords();
  const auto record_size = static_cast<std::size_t>(db.record_size);
  std::vector<std::uint8_t> records;
  std::vector<std::vector<std::uint8_t>> keys;
  std::vector<KeyedRecord> entries;
  for (std::int64_t first = 0; first < count; first += batch) {
    const std::int64_t n = std::min(batch, count - first);
    records.resize(static_cast<std::size_t>(n) * record_size);
    if (const int rc = db.main.ReadExact(db.RecordPos(first), records.data(), records.size(), err::kReadRecordFailed); rc != 0)
      return rc;
    keys.assign(static_cast<std::size_t>(n), {});
    entries.clear();
    for (std::int64_t i = 0; i < n; ++i) {
      auto& key = keys[static_cast<std::size_t>(i)];
      if (!index.KeyOf(db, records.data() + static_cast<std::size_t>(i) * record_size, &key)) return err::kAddEntryFailed;
      entries.push_back(KeyedRecord{key.data(), static_cast<std::uint32_t>(first + i)});
    }
    if (const int rc = index.tree->InsertAll(entries); rc != 0) return rc;
  }
  return 0;
}

TreeReport VerifyIndexFile(Database& db, const std::string& full_path) {
  TreeReport report;
  std::unique_ptr<IndexFile> index;
  if (const int rc = OpenIndexFile(db, full_path, &index); rc != 0) {
    report.problems.push_back(std::string("the index file does not open with this database: code ") + std::to_string(rc));
    return report;
  }
  report = CheckIndexTree(*index->file, index->layout);
  std::uint64_t size = 0;
  if (db.main.Size(&size) != 0) {
    report.problems.push_back("the database file's length cannot be read");
    return report;
  }
  const auto record_size = static_cast<std::size_t>(db.record_size);
  std::int64_t count = 0;
  if (StoredRecordCount(db, &count) != 0) {
    report.problems.push_back("the record count cannot be read");
    return report;
  }
  const std::int64_t batch = db.BatchRecords();
  std::vector<TreeEntry> expected;
  std::vector<std::uint8_t> records;
  for (std::int64_t first = 0; first < count; first += batch) {
    const std::int64_t n = std::min(batch, count - first);
    records.resize(static_cast<std::size_t>(n) * record_size);
    if (db.main.ReadExact(db.RecordPos(first), records.data(), records.size(), err::kReadRecordFailed) != 0) {
      report.problems.push_back("records from " + std::to_string(first) + " on cannot be read");
      return report;
    }
    for (std::int64_t i = 0; i < n; ++i) {
      TreeEntry entry;
      entry.record = static_cast<std::uint32_t>(first + i);
      if (!index->KeyOf(db, records.data() + static_cast<std::size_t>(i) * record_size, &entry.key)) {
        report.problems.push_back("record " + std::to_string(first + i) + ": key fields do not fit");
        return report;
      }
      expected.push_back(std::move(entry));
    }
  }
  CompareEntries(index->layout, std::move(expected), report);
  return report;
}

int BuildIndexFile(Database& db, const std::string& full_path, const std::vector<std::string>& field_names,
                   std::int32_t page_size, std::int32_t collation, std::uint32_t text_flags) {
  if (field_names.size() > static_cast<std::size_t>(kMaxKeyFields)) return err::kTooManyKeyFields;
  std::vector<IndexKeyField> fields;
  std::int32_t key_size = 0;
  for (const std::string& name : field_names) {
    const int field = FindFieldByName(db.fields, name.c_str());
    if (field < 0) return err::kNoSuchKeyField;
    const FieldDesc& desc = db.fields[static_cast<std::size_t>(field)];
    if (desc.is_large()) return err::kLargeKeyField;
    fields.push_back({desc.name, desc.type == ftype::kText ? -desc.text_size : desc.type});
    key_size += desc.stored_size();
  }
  if (key_size > kMaxKeySize) return err::kKeyTooLarge;
  IndexHeader header;
  if (!MakeEmptyIndexHeader(static_cast<std::uint32_t>(DatabaseVersion(db)), page_size, collation, text_flags, fields,
                            &header))
    return err::kRebuildFailed;
  // The new file is written through its own read-write handle, whatever
  // access the database was opened with.
  std::unique_ptr<platform::File> file;
  const platform::FileError fe = platform::OpenFile(full_path, platform::FileAccess::kReadWrite, platform::share::kNone,
                                                    platform::FileDisposition::kCreateAlways, &file);
  if (fe != platform::FileError::kNone) return FromFileError(fe);
  if (const int rc = WriteEmptyIndex(*file, header); rc != 0) return rc;
  std::unique_ptr<IndexFile> index;
  if (AdoptIndexFile(db, full_path, std::move(file), &index) != 0) return err::kRebuildFailed;
  const int rc = InsertAllRecords(db, *index);
  return rc == 0 || IsFileErrorCode(rc) ? rc : err::kRebuildFailed;
}

}  // namespace db::index

namespace db {

int OpenIndexSet(Database& db, const std::vector<std::string>& names, std::unique_ptr<IndexSet>* out) {
  out->reset();
  if (names.empty()) return 0;
  std::vector<std::unique_ptr<index::IndexFile>> files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i >= index::kMaxIndexFiles) return err::kTooManyIndexes;
    const std::string path = index::IndexFilePath(db, names[i]);
    for (const auto& earlier : files)
      if (SamePath(earlier->path, path)) return err::kIndexAlreadyOpen;
    std::unique_ptr<index::IndexFile> file;
    if (const int rc = index::OpenIndexFile(db, path, &file); rc != 0) return rc;
    files.push_back(std::move(file));
  }
  *out = std::make_unique<index::IndexFiles>(std::move(files));
  return 0;
}

}  // namespace db
