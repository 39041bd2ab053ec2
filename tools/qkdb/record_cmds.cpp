// qkdb's commands on a database and its records: info, dump, check,
// create, add, set, delete and purge.
#include "tools/qkdb/record_cmds.h"

#include <cstdint>
#include <string>
#include <vector>

#include "db/check.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/paths.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/file_names.h"
#include "tools/qkdb/messages.h"
#include "tools/qkdb/session.h"
#include "tools/qkdb/text_out.h"
#include "tools/qkdb/values.h"

namespace qkdb {
namespace {

std::string ValueJson(const db::FieldDesc& f, const rt::Value& v) {
  switch (f.type) {
    case db::ftype::kByte: return std::to_string(v.lo & 0xFF);
    case db::ftype::kShort: return std::to_string(static_cast<std::int16_t>(v.lo & 0xFFFF));
    case db::ftype::kInt: return std::to_string(v.as_int());
    case db::ftype::kInt64: return std::to_string(v.as_int64());
    case db::ftype::kFloat: return JsonNumber(v.as_float());
    case db::ftype::kDouble: return JsonNumber(v.as_double());
    case db::ftype::kBool: return v.lo != 0 ? "true" : "false";
    case db::ftype::kDateTime: return "\"" + DateText(v.as_double()) + "\"";
    case db::ftype::kSubPtr: return std::to_string(v.lo);
    case db::ftype::kBytes: {
      const void* block = v.pointer();
      std::int32_t n = rt::BytesLength(block);
      return "\"" + (n > 0 ? Hex(rt::BytesData(block), static_cast<std::size_t>(n)) : std::string()) + "\"";
    }
    default: return JsonString(v.text() == nullptr ? "" : v.text());
  }
}

// Record n (1-based) of the open database, or a failure naming the file.
bool RecordNumber(Session& session, db::Database& d, const std::string& number, int* exit_code) {
  long long n = 0;
  std::int32_t count = 0, next = 0;
  ParseInteger(number, &n);
  int code = db::ReadRecordCount(d, &count, &next);
  if (code != 0) {
    *exit_code = EngineFailure(session.console(), code, d.full_path);
    return false;
  }
  if (n < 1 || n > count) {
    *exit_code = Failure(session.console(), Shown(d.full_path) + ": there is no record " + number + " (the file has " +
                                                std::to_string(count) + (count == 1 ? " record)" : " records)"));
    return false;
  }
  d.current = n - 1;
  return true;
}

// A record number operand that is no number at all is a usage error.
bool IsRecordNumber(Session& session, const std::string& number, int* exit_code) {
  long long n = 0;
  if (ParseInteger(number, &n)) return true;
  *exit_code = UsageError(session.console(), "'" + number + "' is not a record number");
  return false;
}

// Opens the database an operand names.
int OpenOperand(Session& session, const std::string& operand, OpenMode mode, db::Database** d) {
  std::string path;
  int exit_code = 0;
  if (!session.Database(operand, false, &path, &exit_code)) return exit_code;
  return session.Open(path, mode, d);
}

int Finish(Session& session, int code, const db::Database& d) {
  return code == 0 ? kExitOk : EngineFailure(session.console(), code, d.full_path);
}

}  // namespace

int InfoCommand(Session& session) {
  db::Database* d = nullptr;
  if (int exit_code = OpenOperand(session, session.operands()[0], OpenMode::kRead, &d)) return exit_code;
  std::int32_t count = 0, next = 0;
  int code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineFailure(session.console(), code, d->full_path);
  std::string out = "{\"magic\":" + JsonString(std::string(reinterpret_cast<const char*>(d->header), 4));
  out += ",\"version\":" + std::to_string(db::GetI32(d->header + db::kVersionPos));
  out += ",\"created\":\"" + DateText(db::GetF64(d->header + db::kCreatedPos)) + "\"";
  out += ",\"records\":" + std::to_string(count) + ",\"nextSerial\":" + std::to_string(next);
  out += ",\"recordSize\":" + std::to_string(d->record_size) + ",\"dataStart\":" + std::to_string(d->data_start);
  out += std::string(",\"auxiliary\":") + (d->aux ? "true" : "false") + ",\"fields\":[";
  for (std::size_t i = 0; i < d->fields.size(); ++i) {
    const db::FieldDesc& f = d->fields[i];
    if (i > 0) out += ",";
    out += "{\"name\":" + JsonString(f.name) + ",\"type\":" + std::to_string(f.type) +
           ",\"size\":" + std::to_string(f.stored_size()) + "}";
  }
  session.console().Out(out + "]}\n");
  return kExitOk;
}

int DumpCommand(Session& session) {
  db::Database* d = nullptr;
  if (int exit_code = OpenOperand(session, session.operands()[0], OpenMode::kRead, &d)) return exit_code;
  std::int32_t count = 0, next = 0;
  int code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineFailure(session.console(), code, d->full_path);
  for (std::int32_t r = 0; r < count; ++r) {
    std::int32_t status = 0;
    code = db::ReadRecordStatus(*d, r, &status);
    if (code != 0) return EngineFailure(session.console(), code, d->full_path);
    d->current = r;
    std::string line = "{\"record\":" + std::to_string(r + 1) + ",\"serial\":" +
                       std::to_string(status < 0 ? -static_cast<std::int64_t>(status) : status) +
                       ",\"deleted\":" + (status < 0 ? "true" : "false") + ",\"fields\":{";
    for (std::size_t i = 0; i < d->fields.size(); ++i) {
      rt::Value v;
      code = db::ReadField(*d, static_cast<int>(i), &v);
      if (code != 0) {
        rt::FreeValue(v);
        return EngineFailure(session.console(), code, d->full_path);
      }
      if (i > 0) line += ",";
      line += JsonString(d->fields[i].name) + ":" + ValueJson(d->fields[i], v);
      rt::FreeValue(v);
    }
    session.console().Out(line + "}}\n");
  }
  return kExitOk;
}

int CheckCommand(Session& session) {
  std::string path;
  int exit_code = 0;
  if (!session.Database(session.operands()[0], false, &path, &exit_code)) return exit_code;
  if (!FileExists(path)) return EngineFailure(session.console(), db::err::kFileNotFound, path);
  SecretText access;
  if (!session.AccessFor(path, &access, &exit_code)) return exit_code;
  bool pending = false;
  std::vector<std::string> problems = db::CheckDatabaseFiles(path, [&access] { return std::string(access.text()); }, &pending);
  if (pending) NotePendingRecovery(session.console(), path);
  std::string out;
  for (const std::string& p : problems) out += platform::GbkToUtf8(p) + "\n";
  session.console().Out(problems.empty() ? std::string("ok\n") : out);
  return problems.empty() ? kExitOk : kExitFailure;
}

int CreateCommand(Session& session) {
  const std::vector<std::string>& operands = session.operands();
  std::vector<db::FieldSpec> field_specs;
  for (std::size_t i = 1; i < operands.size(); ++i) {
    db::FieldSpec field;
    std::string problem = ParseFieldSpec(operands[i], &field);
    if (!problem.empty()) return UsageError(session.console(), problem);
    field_specs.push_back(field);
  }
  std::string path;
  int exit_code = 0;
  if (!session.Database(operands[0], true, &path, &exit_code)) return exit_code;
  // Creating truncates: an existing database or auxiliary file is replaced
  // only when asked.
  if (!session.invocation().has("--force")) {
    for (const std::string& file : {path, db::WithExtension(path, "VDT")}) {
      if (FileExists(file)) {
        return Failure(session.console(), Shown(file) + " already exists: qkdb create --force replaces it, and its " +
                                              "records are lost");
      }
    }
  }
  int code = db::CreateDatabaseFile(path, field_specs);
  return code == 0 ? kExitOk : EngineFailure(session.console(), code, path);
}

int AddCommand(Session& session) {
  const std::vector<std::string>& operands = session.operands();
  db::Database* d = nullptr;
  if (int exit_code = OpenOperand(session, operands[0], OpenMode::kWrite, &d)) return exit_code;
  const std::size_t given = operands.size() - 1;
  if (given > d->fields.size()) {
    return Failure(session.console(), Shown(d->full_path) + " has " + std::to_string(d->fields.size()) +
                                          " fields, and " + std::to_string(given) + " values were given");
  }
  ParsedValues parsed;
  for (std::size_t i = 0; i < given; ++i) {
    std::string problem = parsed.Add(d->fields[i], operands[i + 1], session.invocation().has("--truncate"));
    if (!problem.empty()) return Failure(session.console(), problem + "; nothing was added");
  }
  for (const std::string& note : parsed.notes()) Warn(session.console(), note);
  int code = db::AddRecord(*d, static_cast<std::int32_t>(parsed.values().size()), parsed.values().data());
  return Finish(session, code, *d);
}

// Writes one field of record n (1-based); the field by name, else by position.
int SetCommand(Session& session) {
  const std::vector<std::string>& operands = session.operands();
  int exit_code = 0;
  if (!IsRecordNumber(session, operands[1], &exit_code)) return exit_code;
  db::Database* d = nullptr;
  if ((exit_code = OpenOperand(session, operands[0], OpenMode::kWrite, &d)) != 0) return exit_code;
  const std::string& field_utf8 = operands[2];
  int field = db::FindFieldByName(d->fields, platform::Utf8ToGbk(field_utf8).c_str());
  long long position = 0;
  if (field < 0 && ParseInteger(field_utf8, &position) && position >= 1 &&
      position <= static_cast<long long>(d->fields.size()))
    field = static_cast<int>(position - 1);
  if (field < 0) return Failure(session.console(), Shown(d->full_path) + " has no field " + field_utf8);
  if (!RecordNumber(session, *d, operands[1], &exit_code)) return exit_code;
  ParsedValues parsed;
  std::string problem =
      parsed.Add(d->fields[static_cast<std::size_t>(field)], operands[3], session.invocation().has("--truncate"));
  if (!problem.empty()) return Failure(session.console(), problem + "; nothing was written");
  for (const std::string& note : parsed.notes()) Warn(session.console(), note);
  return Finish(session, db::WriteField(*d, field, parsed.values()[0]), *d);
}

int DeleteCommand(Session& session) {
  int exit_code = 0;
  if (!IsRecordNumber(session, session.operands()[1], &exit_code)) return exit_code;
  db::Database* d = nullptr;
  if ((exit_code = OpenOperand(session, session.operands()[0], OpenMode::kWrite, &d)) != 0) return exit_code;
  if (!RecordNumber(session, *d, session.operands()[1], &exit_code)) return exit_code;
  return Finish(session, db::DeleteRecord(*d), *d);
}

int PurgeCommand(Session& session) {
  db::Database* d = nullptr;
  if (int exit_code = OpenOperand(session, session.operands()[0], OpenMode::kWrite, &d)) return exit_code;
  return Finish(session, db::PurgeDeletedRecords(*d), *d);
}

}  // namespace qkdb
