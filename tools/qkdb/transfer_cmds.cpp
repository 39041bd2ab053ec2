// qkdb export and qkdb import: the notebook's records to and from CSV.
#include "tools/qkdb/transfer_cmds.h"

#include <set>
#include <string>
#include <vector>

#include "app/state.h"
#include "db/codec.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/format.h"
#include "db/rollback.h"
#include "platform/system.h"
#include "runtime/memory.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/messages.h"
#include "tools/qkdb/outside_files.h"
#include "tools/qkdb/session.h"
#include "tools/qkdb/transfer.h"

namespace qkdb {
namespace {

// The database must have the notebook's seven fields, in order.
bool HasNotebookLayout(const db::Database& d, std::string* problem) {
  bool same = d.fields.size() == app::kRecordLayout.size();
  for (std::size_t i = 0; same && i < d.fields.size(); ++i) {
    const app::FieldLayout& want = app::kRecordLayout[i];
    const db::FieldDesc& have = d.fields[i];
    same = db::NamesEqual(have.name, want.name) && have.type == want.type &&
           (want.type != app::field_type::kText || have.text_size == want.size);
  }
  if (same) return true;
  std::string names;
  for (const db::FieldDesc& f : d.fields) names += (names.empty() ? "" : ", ") + platform::GbkToUtf8(f.name);
  *problem = Shown(d.full_path) + " is not a notebook database: its fields are " + names +
             "; the notebook's are id, WebName, WebUrl, UserName, PassWord, Remarks (texts of 512 bytes) and Time";
  return false;
}

std::string TextAt(const db::FieldDesc& field, const unsigned char* record) {
  rt::Value v = db::DecodeFixed(field, record + field.offset);
  std::string text = v.text() != nullptr ? v.text() : "";
  rt::FreeValue(v);
  return text;
}

// Every record of a notebook database (marked ones too, as the notebook
// lists them), read in batches under the whole-file lock.
int ReadNotebook(db::Database& d, std::vector<ExportRecord>* records) {
  db::WholeLock lock(d.main);
  if (lock.code() != 0) return lock.code();
  std::int32_t count = 0, next = 0;
  int code = db::ReadRecordCount(d, &count, &next);
  const std::int64_t batch = d.BatchRecords();
  std::vector<unsigned char> buffer;
  for (std::int64_t start = 0; code == 0 && start < count; start += batch) {
    const std::int64_t n = std::min<std::int64_t>(batch, count - start);
    buffer.resize(static_cast<std::size_t>(n * d.record_size));
    code = d.main.ReadExact(d.RecordPos(start), buffer.data(), buffer.size(), db::err::kReadRecordFailed);
    for (std::int64_t i = 0; code == 0 && i < n; ++i) {
      const unsigned char* record = buffer.data() + i * d.record_size;
      ExportRecord r;
      r.id = db::GetI32(record + d.fields[0].offset);
      r.entry.site = TextAt(d.fields[1], record);
      r.entry.address = TextAt(d.fields[2], record);
      r.entry.account = TextAt(d.fields[3], record);
      r.entry.password = TextAt(d.fields[4], record);
      r.entry.remarks = TextAt(d.fields[5], record);
      r.entry.has_time = true;
      r.entry.time = db::ClampDateTime(db::GetF64(record + d.fields[6].offset));
      records->push_back(std::move(r));
    }
  }
  rt::WipeMemory(buffer.data(), buffer.size());
  if (code != 0) return code;
  return lock.Release();
}

bool ReadChoices(Session& session, CsvFormat* format, CsvEncoding* encoding, const char* default_encoding,
                 int* exit_code) {
  const std::string f = session.invocation().value("--format", "auto");
  const std::string e = session.invocation().value("--encoding", default_encoding);
  if (!ParseCsvFormat(f, format)) {
    *exit_code = UsageError(session.console(), "--format " + f + " is not one of auto, quillkeep, keepassxc, bitwarden, "
                                                                 "chrome, edge, firefox");
    return false;
  }
  if (!ParseCsvEncoding(e, encoding)) {
    *exit_code = UsageError(session.console(), "--encoding " + e + " is not one of auto, utf-8, gbk");
    return false;
  }
  return true;
}

// Adds the entries in one change: a rollback copy covers every write, so a
// failure or a kill part way leaves the database as it was.
int AddAllOrNothing(db::Database& d, const std::vector<const NotebookEntry*>& entries) {
  db::RollbackCopy rollback;
  int code = rollback.Begin(d.full_path, d.main, d.aux.get());
  if (code != 0) return code;
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(d, &count, &next);
  const double now = db::LocalNowAsDateTime();
  for (const NotebookEntry* e : entries) {
    if (code != 0) break;
    // The notebook's own rule: the new record's number plus 10.
    rt::Value values[7] = {rt::Value::Double(static_cast<double>(count) + 11), rt::Value::Text(e->site.c_str()),
                           rt::Value::Text(e->address.c_str()),                rt::Value::Text(e->account.c_str()),
                           rt::Value::Text(e->password.c_str()),               rt::Value::Text(e->remarks.c_str()),
                           rt::Value::DateTime(e->has_time ? e->time : now)};
    code = db::AddRecord(d, 7, values);
    ++count;
  }
  if (code == 0) return rollback.Commit();
  rollback.TurnBack();
  return code;
}

void List(Console& console, const char* what, const std::vector<RowNote>& notes) {
  std::string text;
  for (const RowNote& note : notes) text += std::string("qkdb: ") + what + note.Text() + "\n";
  console.Err(text);
}

}  // namespace

int ExportCommand(Session& session) {
  Console& console = session.console();
  CsvFormat format = CsvFormat::kQuillkeep;
  CsvEncoding encoding = CsvEncoding::kUtf8;
  int exit_code = 0;
  if (!ReadChoices(session, &format, &encoding, "utf-8", &exit_code)) return exit_code;
  if (format == CsvFormat::kAuto) format = CsvFormat::kQuillkeep;
  if (format != CsvFormat::kQuillkeep && format != CsvFormat::kKeePassXC)
    return UsageError(console, "export writes --format quillkeep or keepassxc");
  if (encoding == CsvEncoding::kAuto) return UsageError(console, "export writes --encoding utf-8 or gbk");
  const std::string out = session.invocation().value("-o");
  if (out.empty()) return UsageError(console, "export needs -o OUT (or -o - for standard output)");

  db::Database* d = nullptr;
  std::string path;
  if (!session.Database(session.operands()[0], false, &path, &exit_code)) return exit_code;
  if ((exit_code = session.Open(path, OpenMode::kRead, &d)) != 0) return exit_code;
  std::string problem;
  if (!HasNotebookLayout(*d, &problem)) return Failure(console, problem);
  std::vector<ExportRecord> records;
  if (int code = ReadNotebook(*d, &records)) return EngineFailure(console, code, path);
  std::vector<std::string> warnings;
  std::string csv = WriteExport(records, format, encoding, &warnings);
  for (const std::string& warning : warnings) Warn(console, warning);
  const std::string where = out == "-" ? std::string("standard output") : out;
  Warn(console, where + " holds every password in clear text: keep it safe and delete it when you are done");
  if (out == "-") {
    console.Out(csv);
  } else if (!WritePrivateFile(out, csv, session.invocation().has("--force"), &problem)) {
    return Failure(console, problem);
  }
  rt::WipeMemory(csv.data(), csv.size());
  console.Err("qkdb: exported " + std::to_string(records.size()) + (records.size() == 1 ? " record" : " records") +
              " to " + where + "\n");
  return kExitOk;
}

int ImportCommand(Session& session) {
  Console& console = session.console();
  ImportSettings settings;
  int exit_code = 0;
  if (!ReadChoices(session, &settings.format, &settings.encoding, "auto", &exit_code)) return exit_code;
  settings.cut_remarks = session.invocation().has("--cut-remarks");
  const bool dry_run = session.invocation().has("--dry-run");
  const bool skip_invalid = session.invocation().has("--skip-invalid");

  std::string path;
  if (!session.Database(session.operands()[0], false, &path, &exit_code)) return exit_code;
  const std::string& csv_path = session.operands()[1];
  std::string bytes, problem;
  if (!ReadWholeFile(csv_path, &bytes, &problem)) return Failure(console, problem);
  ImportPlan plan;
  const bool read = PlanImport(bytes, settings, &plan, &problem);
  rt::WipeMemory(bytes.data(), bytes.size());
  if (!read) return Failure(console, csv_path + ": " + problem);

  // Every check is made before anything is written.
  List(console, skip_invalid ? "left out: " : "invalid: ", plan.problems);
  List(console, "cut: ", plan.cuts);
  List(console, "note: ", plan.dropped);
  if (plan.invalid_rows > 0 && !skip_invalid && !dry_run) {
    return Failure(console, csv_path + ": " + std::to_string(plan.invalid_rows) +
                                (plan.invalid_rows == 1 ? " row is" : " rows are") +
                                " invalid; nothing was imported (--skip-invalid imports the others)");
  }

  // The notebook must not have the file open: the exclusive open fails then.
  db::Database* d = nullptr;
  if ((exit_code = session.Open(path, dry_run ? OpenMode::kRead : OpenMode::kExclusive, &d)) != 0) return exit_code;
  if (!HasNotebookLayout(*d, &problem)) return Failure(console, problem);
  std::vector<ExportRecord> existing;
  if (int code = ReadNotebook(*d, &existing)) return EngineFailure(console, code, path);
  std::set<std::string> seen;
  for (const ExportRecord& r : existing) seen.insert(DuplicateKey(r.entry));
  std::vector<const NotebookEntry*> fresh;
  std::size_t duplicates = 0;
  for (const NotebookEntry& e : plan.entries) {
    if (seen.insert(DuplicateKey(e)).second)
      fresh.push_back(&e);
    else
      ++duplicates;
  }
  if (!dry_run) {
    if (int code = AddAllOrNothing(*d, fresh)) {
      EngineFailure(console, code, path);
      return Failure(console, "nothing was imported: " + Shown(path) + " is as it was");
    }
  }
  std::string summary = dry_run ? "dry run, nothing written: would import " : "imported ";
  summary += std::to_string(fresh.size()) + ", duplicates skipped " + std::to_string(duplicates) + ", invalid " +
             std::to_string(plan.invalid_rows);
  if (plan.not_logins > 0) summary += ", not logins skipped " + std::to_string(plan.not_logins);
  console.Out(summary + "\n");
  return kExitOk;
}

}  // namespace qkdb
