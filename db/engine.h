// The engine's operations in C++ form. The commands (commands.h) wrap these
// for the application; tools call them directly. Every function returns 0 or
// a negative error code and never throws.
//
// Conventions of db/ and db/index/ alike: bytes are std::uint8_t, numbers in
// them little-endian through platform/coding.h; results beyond the code are
// out-parameters passed as pointers, after the inputs; a code that covers
// many failures carries its reason (errors.h, Because).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/database.h"
#include "db/field.h"
#include "platform/secret.h"
#include "runtime/value.h"

namespace db {

// Share modes as OpenDatabase takes them.
namespace share_mode {
inline constexpr std::int32_t kDenyNone = 1;   // others read and write
inline constexpr std::int32_t kDenyRead = 2;   // others may not read
inline constexpr std::int32_t kDenyWrite = 3;  // others may not write
inline constexpr std::int32_t kExclusive = 4;  // so is every other value
}  // namespace share_mode

// Writes a new, empty database (and its auxiliary file when a field is memo
// or bytes). The path gets the default extension. The registry is unchanged.
int CreateDatabaseFile(const std::string& path, const std::vector<FieldSpec>& fields);

struct OpenOptions {
  std::string alias;
  bool read_only = false;
  std::int32_t share_mode = share_mode::kDenyNone;
  std::string password;  // "?" asks the user; a key: wiped with the options
  std::vector<std::string> index_files;

  OpenOptions() = default;
  OpenOptions(const OpenOptions&) = default;
  OpenOptions& operator=(const OpenOptions&) = default;
  ~OpenOptions() { platform::WipeString(&password); }
};
// Opens, checks (repairing the file's length where allowed) and makes the
// database current. On failure nothing stays open and the registry is as it
// was.
int OpenDatabaseFile(const std::string& path, const OpenOptions& options);

// Reads recordCount and nextSerial under the count lock (negative counts as
// 0, serials below 1 as 1).
int ReadRecordCount(Database& db, std::int32_t* count, std::int32_t* next_serial);

int SkipRecords(Database& db, std::int32_t count);
int GoToRecord(Database& db, std::int64_t number);  // 1-based, clamped
// Appends a record from up to fieldCount values (omitted cells leave
// fields empty). The new record becomes current.
int AddRecord(Database& db, std::int32_t argc, const rt::Value* argv);
int DeleteRecord(Database& db);
// Marks every live record for which the condition (Bool or statement) holds.
int DeleteRecordsWhere(Database& db, const rt::Value& condition);
int PurgeDeletedRecords(Database& db);
// Field index is 0-based. *out gets the value (the field's empty value on
// failure); the caller owns texts and byte blocks in it.
int ReadField(Database& db, int field, rt::Value* out);
int WriteField(Database& db, int field, const rt::Value& value);

// The status word of a record (serial, negative when marked deleted).
int ReadRecordStatus(Database& db, std::int64_t record, std::int32_t* status);

// Days since 1899-12-30 of the local time now, in whole seconds.
double LocalNowAsDateTime();

}  // namespace db
