// The engine's commands in the command shape (result, argument count,
// argument array), as the application reaches them through CallCoreCommand.
// Each sets the calling thread's last database error (GetDatabaseErrorText
// only reads it) and returns Bool true exactly when that error is 0, unless
// its result is of another type.
#pragma once

#include <cstdint>

#include "runtime/value.h"

namespace db {

// One element of CreateDatabase's field array: the array holds pointers to
// records of this layout.
struct FieldInfRecord {
  char* name;  // Text
  std::int32_t type;
  std::int32_t size;
};

namespace commands {
void CreateDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv);
void OpenDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv);
void CloseDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GetRecordCount(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GoFirstRecord(rt::Value* result, std::int32_t argc, rt::Value* argv);
void SkipRecords(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GetRecordNumber(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GoToRecord(rt::Value* result, std::int32_t argc, rt::Value* argv);
void AddRecord(rt::Value* result, std::int32_t argc, rt::Value* argv);
void DeleteRecord(rt::Value* result, std::int32_t argc, rt::Value* argv);
void PurgeDeletedRecords(rt::Value* result, std::int32_t argc, rt::Value* argv);
void ReadField(rt::Value* result, std::int32_t argc, rt::Value* argv);
void WriteField(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GetFieldName(rt::Value* result, std::int32_t argc, rt::Value* argv);
void GetDatabaseErrorText(rt::Value* result, std::int32_t argc, rt::Value* argv);
}  // namespace commands

}  // namespace db
