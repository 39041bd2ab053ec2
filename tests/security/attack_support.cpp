#include "tests/security/attack_support.h"

#include <fstream>
#include <iterator>

#include "db/engine.h"
#include "db/password.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace security {

bool MakeNotebook(const std::string& path, const std::vector<Site>& sites, const std::string& key) {
  std::vector<db::FieldSpec> fields = {{"id", 3, 0},          {"WebName", 10, 512}, {"WebUrl", 10, 512},
                                       {"UserName", 10, 512}, {"PassWord", 10, 512}, {"Remarks", 10, 512},
                                       {"Time", 8, 512}};
  if (db::CreateDatabaseFile(path, fields) != 0 || !OpenNotebook(path, "")) return false;
  bool made = db::ChangeDatabasePassword(*db::CurrentDatabase(), key) == 0;
  std::int32_t id = 1;
  for (const Site& s : sites) {
    if (!made) break;
    rt::Value values[7] = {rt::Value::Int(id++),
                           rt::Value::Text(s.name.c_str()),
                           rt::Value::Text(s.address.c_str()),
                           rt::Value::Text(s.account.c_str()),
                           rt::Value::Text(s.password.c_str()),
                           rt::Value::Text(s.remarks.c_str()),
                           rt::Value::DateTime(45000.5)};
    made = db::AddRecord(*db::CurrentDatabase(), 7, values) == 0;
  }
  CloseAll();
  return made;
}

bool OpenNotebook(const std::string& path, const std::string& key) {
  db::OpenOptions options;
  options.password = key;
  options.share_mode = db::share_mode::kExclusive;
  return db::OpenDatabaseFile(path, options) == 0;
}

void CloseAll() { db::CloseAllDatabases(); }

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Xor(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::vector<std::uint8_t> out(std::min(a.size(), b.size()));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = a[i] ^ b[i];
  return out;
}

std::uint64_t FieldPos(std::int64_t record, int field) {
  const db::Database& database = *db::CurrentDatabase();
  return database.RecordPos(record) + static_cast<std::uint64_t>(database.fields[static_cast<std::size_t>(field)].offset);
}

std::string ReadText(std::int64_t record, int field) {
  db::Database& database = *db::CurrentDatabase();
  rt::Value value;
  if (db::GoToRecord(database, record) != 0 || db::ReadField(database, field, &value) != 0) return "(unreadable)";
  std::string text = value.text() != nullptr ? value.text() : "";
  rt::FreeValue(value);
  return text;
}

}  // namespace security
