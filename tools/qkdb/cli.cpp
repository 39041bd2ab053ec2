#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/engine.h"
#include "db/errors.h"
#include "db/paths.h"
#include "db/registry.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "tools/qkdb/check.h"
#include "tools/qkdb/cli.h"
#include "tools/qkdb/index_cmds.h"
#include "tools/qkdb/passwd.h"
#include "tools/qkdb/secrets.h"
#include "tools/qkdb/text_out.h"
#include "tools/qkdb/values.h"

namespace qkdb {
namespace {

const char* const kUsage =
    "usage: qkdb [--key-stdin | --password-stdin] COMMAND FILE [ARGS...]\n"
    "  info FILE                      header and fields as one JSON object\n"
    "  dump FILE                      every record as a JSON line\n"
    "  create FILE NAME:TYPE[:SIZE]...  new empty database (TYPE 1..12, SIZE for type 10)\n"
    "  add FILE VALUE...              append one record, values in field order\n"
    "  delete FILE N                  mark record N deleted\n"
    "  purge FILE                     remove the marked records\n"
    "  check FILE                     validate without changing anything\n"
    "  passwd FILE                    change the access password: old and new on the first\n"
    "                                 two lines of standard input, or asked on the terminal\n"
    "  set FILE N FIELD VALUE         write one field (name or 1-based position) of record N\n"
    "  mkindex INDEXFILE FILE FIELD[,FIELD...] [--page-size N] [--collation 0|1|2] [--text-flags N]\n"
    "                                 new index file over the current records\n"
    "  index-check INDEXFILE FILE     verify an index file's tree against the records\n"
    "--index INDEXFILE (repeatable) opens the database with that index file, so add, set\n"
    "and purge keep it up to date; a bare name is taken from the database's folder.\n"
    "An enciphered file needs its password on the first line of standard input:\n"
    "  --key-stdin                    the access password itself\n"
    "  --password-stdin               the notebook password, turned into the access password\n";

// 'text' followed by the rest of a message. (Built by appending: GCC 12
// warns wrongly about "literal" + std::string at -O2.)
std::string Quoted(const std::string& text, const char* rest) {
  std::string out = "'";
  out += text;
  out += rest;
  return out;
}

int Usage(const std::string& complaint = "") {
  if (!complaint.empty()) std::fprintf(stderr, "qkdb: %s\n", complaint.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

// An engine error: its text on standard error, exit code 1.
int EngineError(int code) {
  std::string text = platform::GbkToUtf8(db::ErrorText(code));
  std::fprintf(stderr, "qkdb: %s (%d)\n", text.c_str(), code);
  if (ShouldHintAboutPassword(code)) {
    std::fputs("qkdb: the file is enciphered: give its access password with --key-stdin, or the notebook "
               "password with --password-stdin, on standard input\n", stderr);
  }
  return 1;
}

// Index files named with --index; every open of the database takes them.
std::vector<std::string> g_index_files;

int Fail(const std::string& message_utf8) {
  std::fprintf(stderr, "qkdb: %s\n", message_utf8.c_str());
  return 1;
}

// A reading command met a change cut short that only an open for writing
// turns back: what it shows is the database as it will be then.
void NotePendingRecovery(const std::string& path) {
  std::fprintf(stderr,
               "qkdb: note: a change to %s was cut short; it is shown as it was before that change, which the next "
               "open for writing (the notebook, or a qkdb command that writes) puts back\n",
               platform::GbkToUtf8(path).c_str());
}

// Opens through the engine (share mode 1) and leaves it current.
int OpenShared(const std::string& path, bool read_only, db::Database** out) {
  db::OpenOptions options;
  options.read_only = read_only;
  options.share_mode = db::share_mode::kDenyNone;
  options.password = AccessPasswordForOpen();
  options.index_files = g_index_files;
  int code = db::OpenDatabaseFile(path, options);
  WipeString(&options.password);
  *out = code == 0 ? db::CurrentDatabase() : nullptr;
  if (code == 0 && (*out)->recovered) NotePendingRecovery(path);
  return code;
}

int Info(const std::string& path) {
  db::Database* d = nullptr;
  int code = OpenShared(path, true, &d);
  if (code != 0) return EngineError(code);
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineError(code);
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
  std::printf("%s]}\n", out.c_str());
  return 0;
}

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

int Dump(const std::string& path) {
  db::Database* d = nullptr;
  int code = OpenShared(path, true, &d);
  if (code != 0) return EngineError(code);
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineError(code);
  for (std::int32_t r = 0; r < count; ++r) {
    std::int32_t status = 0;
    code = db::ReadRecordStatus(*d, r, &status);
    if (code != 0) return EngineError(code);
    d->current = r;
    std::string line = "{\"record\":" + std::to_string(r + 1) + ",\"serial\":" +
                       std::to_string(status < 0 ? -static_cast<std::int64_t>(status) : status) +
                       ",\"deleted\":" + (status < 0 ? "true" : "false") + ",\"fields\":{";
    for (std::size_t i = 0; i < d->fields.size(); ++i) {
      rt::Value v;
      code = db::ReadField(*d, static_cast<int>(i), &v);
      if (code != 0) {
        rt::FreeValue(v);
        return EngineError(code);
      }
      if (i > 0) line += ",";
      line += JsonString(d->fields[i].name) + ":" + ValueJson(d->fields[i], v);
      rt::FreeValue(v);
    }
    std::printf("%s}}\n", line.c_str());
  }
  return 0;
}

int Create(const std::string& path, const std::vector<std::string>& field_specs_utf8) {
  if (field_specs_utf8.empty()) return Usage("create needs at least one NAME:TYPE");
  std::vector<db::FieldSpec> field_specs;
  for (const std::string& field_spec : field_specs_utf8) {
    db::FieldSpec field;
    std::string problem = ParseFieldSpec(field_spec, &field);
    if (!problem.empty()) return Usage(problem);
    field_specs.push_back(field);
  }
  int code = db::CreateDatabaseFile(path, field_specs);
  return code == 0 ? 0 : EngineError(code);
}

int Add(const std::string& path, const std::vector<std::string>& values) {
  db::Database* d = nullptr;
  int code = OpenShared(path, false, &d);
  if (code != 0) return EngineError(code);
  if (values.size() > d->fields.size()) return Usage("more values than the " + std::to_string(d->fields.size()) + " fields");
  ParsedValues parsed;
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string problem = parsed.Add(d->fields[i], values[i]);
    if (!problem.empty()) return Usage("field " + platform::GbkToUtf8(d->fields[i].name) + ": " + problem);
  }
  code = db::AddRecord(*d, static_cast<std::int32_t>(parsed.values().size()), parsed.values().data());
  return code == 0 ? 0 : EngineError(code);
}

int Delete(const std::string& path, const std::string& number) {
  long long n = 0;
  if (!ParseInteger(number, &n)) return Usage(Quoted(number, "' is not a record number"));
  db::Database* d = nullptr;
  int code = OpenShared(path, false, &d);
  if (code != 0) return EngineError(code);
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineError(code);
  if (n < 1 || n > count) return Fail("there is no record " + number + " (the file has " + std::to_string(count) + ")");
  d->current = n - 1;
  code = db::DeleteRecord(*d);
  return code == 0 ? 0 : EngineError(code);
}

// Writes one field of record n (1-based); the field by name, else by position.
int Set(const std::string& path, const std::string& number, const std::string& field_utf8, const std::string& value) {
  long long n = 0;
  if (!ParseInteger(number, &n)) return Usage(Quoted(number, "' is not a record number"));
  db::Database* d = nullptr;
  int code = OpenShared(path, false, &d);
  if (code != 0) return EngineError(code);
  int field = db::FindFieldByName(d->fields, platform::Utf8ToGbk(field_utf8).c_str());
  long long position = 0;
  if (field < 0 && ParseInteger(field_utf8, &position) && position >= 1 &&
      position <= static_cast<long long>(d->fields.size()))
    field = static_cast<int>(position - 1);
  if (field < 0) return Fail("there is no field " + field_utf8);
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(*d, &count, &next);
  if (code != 0) return EngineError(code);
  if (n < 1 || n > count) return Fail("there is no record " + number + " (the file has " + std::to_string(count) + ")");
  ParsedValues parsed;
  std::string problem = parsed.Add(d->fields[static_cast<std::size_t>(field)], value);
  if (!problem.empty()) return Usage("field " + field_utf8 + ": " + problem);
  d->current = n - 1;
  code = db::WriteField(*d, field, parsed.values()[0]);
  return code == 0 ? 0 : EngineError(code);
}

// mkindex INDEXFILE FILE FIELD[,FIELD...] [options]
int MakeIndexFile(const std::vector<std::string>& args) {
  MakeIndexRequest request;
  std::string problem;
  if (!ParseMakeIndex(std::vector<std::string>(args.begin() + 3, args.end()), &request, &problem)) return Usage(problem);
  request.index_path = ToolIndexPath(args[1]);
  db::Database* d = nullptr;
  int code = OpenShared(db::WithDefaultExtension(platform::Utf8ToGbk(args[2])), true, &d);
  if (code != 0) return EngineError(code);
  code = MakeIndex(*d, request);
  return code == 0 ? 0 : EngineError(code);
}

// index-check INDEXFILE FILE
int CheckIndexFile(const std::vector<std::string>& args) {
  db::Database* d = nullptr;
  int code = OpenShared(db::WithDefaultExtension(platform::Utf8ToGbk(args[2])), true, &d);
  if (code != 0) return EngineError(code);
  return CheckIndex(*d, ToolIndexPath(args[1]));
}

int Purge(const std::string& path) {
  db::Database* d = nullptr;
  int code = OpenShared(path, false, &d);
  if (code != 0) return EngineError(code);
  code = db::PurgeDeletedRecords(*d);
  return code == 0 ? 0 : EngineError(code);
}

int Check(const std::string& path) {
  bool pending = false;
  std::vector<std::string> problems = CheckDatabase(path, &pending);
  if (pending) NotePendingRecovery(path);
  for (const std::string& p : problems) std::printf("%s\n", platform::GbkToUtf8(p).c_str());
  if (problems.empty()) std::printf("ok\n");
  return problems.empty() ? 0 : 1;
}

}  // namespace

int Run(std::vector<std::string> args) {
  std::string problem;
  if (!TakeSecretOptions(&args, &problem)) return Usage(problem);
  if (!TakeIndexOptions(&args, &g_index_files, &problem)) return Usage(problem);
  if (args.size() < 2) return Usage();
  const std::string& command = args[0];
  if (command == "mkindex" && args.size() >= 4) return MakeIndexFile(args);
  if (command == "index-check" && args.size() == 3) return CheckIndexFile(args);
  std::string path = db::WithDefaultExtension(platform::Utf8ToGbk(args[1]));
  std::vector<std::string> rest(args.begin() + 2, args.end());
  if (command == "info" && rest.empty()) return Info(path);
  if (command == "dump" && rest.empty()) return Dump(path);
  if (command == "create") return Create(path, rest);
  if (command == "add") return Add(path, rest);
  if (command == "delete" && rest.size() == 1) return Delete(path, rest[0]);
  if (command == "purge" && rest.empty()) return Purge(path);
  if (command == "set" && rest.size() == 3) return Set(path, rest[0], rest[1], rest[2]);
  if (command == "check" && rest.empty()) return Check(path);
  if (command == "passwd" && rest.empty()) return ChangePassword(path);
  return Usage("unknown command or wrong arguments: " + command);
}

}  // namespace qkdb

