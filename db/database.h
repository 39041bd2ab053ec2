// One open database: its files, layout, position and companions. The
// process-wide registry (registry.h) owns these objects.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/db_file.h"
#include "db/field.h"
#include "db/format.h"
#include "platform/file.h"

namespace db {

class IndexSet;
class RecoveredView;

struct Database {
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  DbFile main;
  std::unique_ptr<DbFile> aux;  // null when no field is memo or bytes
  std::string full_path;   // GBK
  std::string short_name;  // file name without folder and extension
  std::string alias;       // empty when none was given
  platform::FileAccess access = platform::FileAccess::kReadWrite;
  unsigned share_flags = platform::share::kReadWrite;
  std::uint8_t header[kHeaderSize] = {};  // as read at open
  std::vector<FieldDesc> fields;
  std::int32_t record_size = 0;
  std::uint64_t data_start = 0;
  // -1 before the first record, 0..count-1 on a record, count after the last.
  std::int64_t current = 0;
  std::unique_ptr<IndexSet> indexes;  // null when no index file is open
  // Set when a read-only open found a change cut short that only an open
  // for writing may turn back: the files are read as they will be then.
  std::shared_ptr<RecoveredView> recovered;

  bool read_only() const { return access == platform::FileAccess::kRead; }
  std::uint64_t RecordPos(std::int64_t record) const {
    return data_start + static_cast<std::uint64_t>(record) * static_cast<std::uint64_t>(record_size);
  }
  // Records per batch in bulk passes.
  std::int32_t BatchRecords() const { return record_size >= kBatchBytes ? 1 : kBatchBytes / record_size; }
};

}  // namespace db
