#include "tests/reliability/model_db.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "db/check.h"
#include "db/engine.h"
#include "db/index/index_support.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace reltest {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

// Owns the block a bytes value points to.
struct BytesValue {
  explicit BytesValue(const std::string& data) : block(rt::MakeBytes(data.data(), static_cast<std::int64_t>(data.size()))) {}
  ~BytesValue() { rt::FreeMemory(block); }
  BytesValue(const BytesValue&) = delete;
  BytesValue& operator=(const BytesValue&) = delete;
  rt::Value value() const { return rt::Value::Pointer(block, rt::type::kBytes); }
  void* block;
};

std::string TakeText(rt::Value v) {
  std::string out = v.text() == nullptr ? std::string() : std::string(v.text());
  rt::FreeValue(v);
  return out;
}

std::string TakeBytes(rt::Value v) {
  rt::DataView data = rt::ValueData(v);
  std::string out(static_cast<const char*>(data.data), data.size);
  if (data.data == nullptr) out.clear();
  rt::FreeValue(v);
  return out;
}

}  // namespace

int CreateTable(const std::string& path) {
  return db::CreateDatabaseFile(path, {{"Name", db::ftype::kText, 16},
                                       {"Age", db::ftype::kInt, 0},
                                       {"Score", db::ftype::kDouble, 0},
                                       {"Note", db::ftype::kMemo, 0},
                                       {"Blob", db::ftype::kBytes, 0}});
}

int BuildIndexes(db::Database& d, const std::string& folder) {
  int code = db::index::BuildIndexFile(d, Join(folder, kIndexNames[0]), {"Name"}, 512, 0, 0);
  if (code == 0) code = db::index::BuildIndexFile(d, Join(folder, kIndexNames[1]), {"Age", "Score"}, 512, 0, 0);
  return code;
}

Row SampleRow(int n) {
  Row r;
  r.name = "site" + std::to_string(n);
  r.age = 20 + n % 50;
  r.score = n * 1.25;
  // 0, 1, 2 or 3 blocks of memo; bytes with every byte value.
  r.note = std::string(static_cast<std::size_t>((n % 4) * 450), static_cast<char>('a' + n % 26));
  for (int i = 0; i < (n % 3) * 300; ++i) r.blob.push_back(static_cast<char>((i * 7 + n) & 0xFF));
  return r;
}

Row KillTrialRow(int i) {
  Row r = SampleRow(i);
  r.name = std::to_string(i).insert(0, 1, 'k');
  return r;
}

std::string NoteForWrite(int i) {
  return std::string(static_cast<std::size_t>((i % 3) * 450 + 10), static_cast<char>('a' + i % 26));
}

std::string TrialPassword(int i) { return i % 2 == 0 ? "pass zero" : "pass one"; }

int AddRow(db::Database& d, const Row& row) {
  BytesValue blob(row.blob);
  rt::Value values[] = {rt::Value::Text(row.name.c_str()), rt::Value::Int(row.age), rt::Value::Double(row.score),
                        rt::Value::Text(row.note.c_str()), blob.value()};
  return db::AddRecord(d, 5, values);
}

int MakeSixRecords(const std::string& path) {
  int code = CreateTable(path);
  if (code == 0) code = db::OpenDatabaseFile(path, db::OpenOptions{});
  if (code != 0) return code;
  db::Database& d = *db::CurrentDatabase();
  for (int i = 1; i <= 6 && code == 0; ++i) code = AddRow(d, SampleRow(i));
  if (code != 0) return code;
  d.current = 3;
  return db::DeleteRecord(d);
}

int ReadRows(db::Database& d, std::vector<Row>* rows) {
  rows->clear();
  std::int32_t count = 0, next = 0;
  int code = db::ReadRecordCount(d, &count, &next);
  if (code != 0) return code;
  for (std::int32_t r = 0; r < count; ++r) {
    d.current = r;
    Row row;
    code = db::ReadRecordStatus(d, r, &row.serial);
    rt::Value v;
    if (code == 0) code = db::ReadField(d, kName, &v), row.name = TakeText(v);
    if (code == 0) code = db::ReadField(d, kAge, &v), row.age = v.as_int();
    if (code == 0) code = db::ReadField(d, kScore, &v), row.score = v.as_double();
    if (code == 0) code = db::ReadField(d, kNote, &v), row.note = TakeText(v);
    if (code == 0) code = db::ReadField(d, kBlob, &v), row.blob = TakeBytes(v);
    if (code != 0) return code;
    rows->push_back(row);
  }
  return 0;
}

Snapshot TakeSnapshot(const std::string& folder) {
  Snapshot s;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    s[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return s;
}

void RestoreSnapshot(const std::string& folder, const Snapshot& snapshot) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove(entry.path());
  for (const auto& [name, bytes] : snapshot) {
    std::ofstream out(Join(folder, name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
}

std::vector<std::string> OpenAndCheck(const std::string& path, const std::string& password, bool with_indexes,
                                      std::vector<Row>* rows) {
  std::vector<std::string> problems;
  rows->clear();
  db::OpenOptions options;
  options.password = password;
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (with_indexes)
    for (const char* name : kIndexNames) options.index_files.push_back(Join(folder, name));
  int code = db::OpenDatabaseFile(path, options);
  if (code != 0) {
    problems.push_back("open: " + std::to_string(code));
    return problems;
  }
  db::Database& d = *db::CurrentDatabase();
  for (const std::string& p : db::CheckDatabaseFiles(d.full_path, [&] { return password; }))
    problems.push_back("check: " + p);
  if (with_indexes) {
    for (const char* name : kIndexNames) {
      db::index::TreeReport report = db::index::VerifyIndexFile(d, Join(folder, name));
      for (const std::string& p : report.problems) problems.push_back(std::string("index ") + name + ": " + p);
    }
  }
  code = ReadRows(d, rows);
  if (code != 0) problems.push_back("read: " + std::to_string(code));
  db::CloseDatabaseNamed("");
  return problems;
}

}  // namespace reltest
