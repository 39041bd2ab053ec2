#include "db/commands.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "db/codec.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/registry.h"
#include "runtime/errors.h"
#include "runtime/helpers.h"

namespace db::commands {
namespace {

const rt::Value kOmitted{};

const rt::Value& Arg(std::int32_t argc, const rt::Value* argv, std::int32_t i) {
  return (i < argc && argv != nullptr) ? argv[i] : kOmitted;
}

std::string TextArg(const rt::Value& v) {
  if (v.type != rt::type::kText || v.text() == nullptr) return std::string();
  return v.text();
}

// A numeric argument as Int (floating values truncated toward zero).
std::int32_t IntArg(const rt::Value& v, std::int32_t fallback) {
  if (!rt::IsNumericType(v.type)) return fallback;
  FieldDesc as_int;
  as_int.type = ftype::kInt;
  std::uint8_t raw[4];
  EncodeFixed(as_int, v, raw);
  return GetI32(raw);
}

// Sets the last error and the Bool result together.
void Finish(rt::Value* result, int code) {
  SetLastError(code);
  *result = rt::Value::Bool(code == 0);
}

enum class FieldLookup { kFound, kMissing, kNotAFieldArgument };

FieldLookup ResolveField(const Database& db, const rt::Value& v, int* index) {
  *index = -1;
  if (v.type == rt::type::kText) {
    *index = FindFieldByName(db.fields, v.text());
  } else if (rt::IsNumericType(v.type)) {
    std::int32_t position = IntArg(v, 0);
    if (position >= 1 && static_cast<std::size_t>(position) <= db.fields.size()) *index = position - 1;
  } else {
    return FieldLookup::kNotAFieldArgument;
  }
  return *index >= 0 ? FieldLookup::kFound : FieldLookup::kMissing;
}

void AppendTexts(const rt::Value& v, std::vector<std::string>* out) {
  if (v.type == rt::type::kText) {
    out->push_back(TextArg(v));
  } else if (v.type == (rt::type::kText | rt::type::kArrayFlag)) {
    rt::ArrayView items = rt::ArrayElements(v.pointer());
    auto* texts = static_cast<char**>(items.elements);
    for (std::size_t i = 0; i < items.count; ++i) out->push_back(texts[i] == nullptr ? std::string() : texts[i]);
  }
}

}  // namespace

void CreateDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  try {
    std::string path = TextArg(Arg(argc, argv, 0));
    if (path.empty()) return Finish(result, err::kFileNotFound);
    std::vector<FieldSpec> field_specs;
    const rt::Value& list = Arg(argc, argv, 1);
    if ((list.type & ~rt::type::kArrayFlag) == rt::type::kFieldInf) {
      rt::ArrayView items = rt::ArrayElements(list.pointer());
      auto* records = static_cast<FieldInfRecord**>(items.elements);
      for (std::size_t i = 0; i < items.count; ++i) {
        const FieldInfRecord* r = records[i];
        FieldSpec field_spec;
        if (r != nullptr) {
          field_spec.name = r->name == nullptr ? std::string() : r->name;
          field_spec.type = r->type;
          field_spec.size = r->size;
        }
        field_specs.push_back(std::move(field_spec));
      }
    }
    Finish(result, CreateDatabaseFile(path, field_specs));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kCreateFailed);
  }
}

void OpenDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  try {
    OpenOptions options;
    std::string path = TextArg(Arg(argc, argv, 0));
    options.alias = TextArg(Arg(argc, argv, 1));
    const rt::Value& read_only = Arg(argc, argv, 2);
    options.read_only = !read_only.omitted() && read_only.lo == 1;
    options.share_mode = IntArg(Arg(argc, argv, 3), share_mode::kDenyNone);
    // Argument 5 is not used.
    options.password = TextArg(Arg(argc, argv, 5));
    for (std::int32_t i = 6; i < argc; ++i) AppendTexts(argv[i], &options.index_files);
    Finish(result, OpenDatabaseFile(path, options));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kOpenFailed);
  }
}

void CloseDatabase(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  CloseDatabaseNamed(TextArg(Arg(argc, argv, 0)));
  *result = rt::Value{};
}

void GetRecordCount(rt::Value* result, std::int32_t, rt::Value*) {
  SetLastError(0);
  *result = rt::Value::Int(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return SetLastError(err::kNoCurrentDatabase);
  std::int32_t count = 0, next = 0;
  int code = ReadRecordCount(*db, &count, &next);
  SetLastError(code);
  if (code == 0) *result = rt::Value::Int(count);
}

void GoFirstRecord(rt::Value* result, std::int32_t, rt::Value*) {
  SetLastError(0);
  *result = rt::Value{};
  Database* db = CurrentDatabase();
  if (db == nullptr) return SetLastError(err::kNoCurrentDatabase);
  db->current = 0;
}

void SkipRecords(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNoCurrentDatabase);
  Finish(result, db::SkipRecords(*db, IntArg(Arg(argc, argv, 0), 1)));
}

void GetRecordNumber(rt::Value* result, std::int32_t, rt::Value*) {
  SetLastError(0);
  *result = rt::Value::Int(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return SetLastError(err::kNoCurrentDatabase);
  *result = rt::Value::Int(static_cast<std::int32_t>(db->current + 1));
}

void GoToRecord(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNoCurrentDatabase);
  Finish(result, db::GoToRecord(*db, IntArg(Arg(argc, argv, 0), 0)));
}

void AddRecord(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNoCurrentDatabase);
  try {
    Finish(result, db::AddRecord(*db, argc, argv));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kOutOfMemory);
  }
}

void DeleteRecord(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNoCurrentDatabase);
  const rt::Value& condition = Arg(argc, argv, 0);
  try {
    Finish(result, condition.omitted() ? db::DeleteRecord(*db) : DeleteRecordsWhere(*db, condition));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kOutOfMemory);
  }
}

void PurgeDeletedRecords(rt::Value* result, std::int32_t, rt::Value*) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNoCurrentDatabase);
  try {
    Finish(result, db::PurgeDeletedRecords(*db));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kOutOfMemory);
  }
}

void ReadField(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  *result = rt::Value{};
  Database* db = CurrentDatabase();
  if (db == nullptr) rt::RuntimeError("未指定当前数据库或者指定数据库未打开");
  int index = -1;
  FieldLookup found = ResolveField(*db, Arg(argc, argv, 0), &index);
  if (found == FieldLookup::kNotAFieldArgument) rt::ReportError(11);
  if (found == FieldLookup::kMissing) rt::RuntimeError("指定字段不存在");
  try {
    SetLastError(db::ReadField(*db, index, result));
  } catch (const std::bad_alloc&) {
    *result = EmptyValue(db->fields[static_cast<std::size_t>(index)]);
    SetLastError(err::kOutOfMemory);
  }
}

void WriteField(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  Database* db = CurrentDatabase();
  if (db == nullptr) return Finish(result, err::kNotOpen);
  int index = -1;
  FieldLookup found = ResolveField(*db, Arg(argc, argv, 0), &index);
  if (found == FieldLookup::kNotAFieldArgument) rt::ReportError(11);
  if (found == FieldLookup::kMissing) return Finish(result, err::kNoSuchField);
  try {
    Finish(result, db::WriteField(*db, index, Arg(argc, argv, 1)));
  } catch (const std::bad_alloc&) {
    Finish(result, err::kWriteFieldFailed);
  }
}

void GetFieldName(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  SetLastError(0);
  *result = rt::Value::Text(nullptr);
  Database* db = CurrentDatabase();
  if (db == nullptr) return SetLastError(err::kNoCurrentDatabase);
  int index = -1;
  FieldLookup found = ResolveField(*db, Arg(argc, argv, 0), &index);
  if (found == FieldLookup::kNotAFieldArgument)
    rt::RuntimeError("只能使用字段名称(文本型)或位置索引值(数值型)来指定某个字段");
  if (found == FieldLookup::kFound) *result = rt::Value::Text(rt::CopyText(db->fields[static_cast<std::size_t>(index)].name));
}

void GetDatabaseErrorText(rt::Value* result, std::int32_t, rt::Value*) {
  *result = rt::Value::Text(rt::CopyText(ErrorText(LastError())));
}

}  // namespace db::commands
