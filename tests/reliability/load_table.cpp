#include "tests/reliability/load_table.h"

#include <set>
#include <vector>

#include "db/engine.h"
#include "db/registry.h"
#include "platform/file.h"
#include "runtime/helpers.h"

namespace reltest {
namespace {

constexpr int kSite = 1, kPassword = 3;
constexpr std::size_t kPasswordLength = 20;

std::string Uniform(char c) { return std::string(kPasswordLength, c); }

int AddCard(db::Database& d, std::int32_t id, const std::string& site, char password) {
  std::string pass = Uniform(password);
  rt::Value values[] = {rt::Value::Int(id), rt::Value::Text(site.c_str()), rt::Value::Text("account"),
                        rt::Value::Text(pass.c_str()), rt::Value::DateTime(45000.5)};
  return db::AddRecord(d, 5, values);
}

std::string TakeText(rt::Value v) {
  std::string out = v.text() == nullptr ? std::string() : std::string(v.text());
  rt::FreeValue(v);
  return out;
}

db::Database* OpenShared(const std::string& path) {
  if (db::OpenDatabaseFile(path, db::OpenOptions{}) != 0) return nullptr;
  return db::CurrentDatabase();
}

bool Stopped(const std::string& stop_file) { return platform::QueryPath(stop_file) == platform::PathKind::kFile; }

int Add(db::Database& d, int count, const std::string& tag) {
  for (int i = 0; i < count; ++i) {
    // A lock held elsewhere longer than the wait is tried again: every
    // record must get in.
    int code = 0;
    for (int attempt = 0; attempt < 50; ++attempt)
      if ((code = AddCard(d, i, tag + "-" + std::to_string(i), 'w')) == 0) break;
    if (code != 0) return 4;
  }
  return 0;
}

// The notebook's list loading: first record, the count, then each record's
// fields and a skip by one.
int LoadList(db::Database& d, const std::string& stop_file) {
  int passes = 0;
  while (!Stopped(stop_file) || passes == 0) {
    std::int32_t count = 0, next = 0;
    if (db::ReadRecordCount(d, &count, &next) != 0) continue;
    d.current = 0;
    for (std::int32_t r = 0; r < count; ++r) {
      rt::Value v;
      if (db::ReadField(d, kPassword, &v) == 0) {
        std::string pass = TakeText(v);
        if (pass.size() != kPasswordLength || pass != Uniform(pass[0])) return 1;  // half written
      } else {
        rt::FreeValue(v);
      }
      if (db::ReadField(d, kSite, &v) == 0) TakeText(v);
      if (db::SkipRecords(d, 1) != 0) break;
    }
    ++passes;
  }
  return 0;
}

int Rewrite(db::Database& d, const std::string& stop_file) {
  for (int i = 0; !Stopped(stop_file); ++i) {
    std::int32_t count = 0, next = 0;
    if (db::ReadRecordCount(d, &count, &next) != 0 || count == 0) continue;
    d.current = i % count;
    std::string pass = Uniform(static_cast<char>('a' + i % 26));
    db::WriteField(d, kPassword, rt::Value::Text(pass.c_str()));
  }
  return 0;
}

}  // namespace

int CreateLoadTable(const std::string& path, int originals) {
  int code = db::CreateDatabaseFile(path, {{"Id", db::ftype::kInt, 0},
                                           {"Site", db::ftype::kText, 40},
                                           {"Account", db::ftype::kText, 40},
                                           {"Password", db::ftype::kText, 24},
                                           {"Added", db::ftype::kDateTime, 0}});
  if (code != 0 || (code = db::OpenDatabaseFile(path, db::OpenOptions{})) != 0) return code;
  db::Database& d = *db::CurrentDatabase();
  for (int i = 0; i < originals && code == 0; ++i) code = AddCard(d, i, "original-" + std::to_string(i), 'p');
  db::CloseDatabaseNamed("");
  return code;
}

int RunLoadRole(const std::string& role, const std::string& path, const std::string& arg) {
  db::Database* d = OpenShared(path);
  if (d == nullptr) return 3;
  if (role == "load-add") {
    std::size_t colon = arg.find(':');
    if (colon == std::string::npos) return 2;
    return Add(*d, std::stoi(arg.substr(0, colon)), arg.substr(colon + 1));
  }
  if (role == "load-list") return LoadList(*d, arg);
  if (role == "load-rewrite") return Rewrite(*d, arg);
  return 2;
}

std::string CheckLoadTable(const std::string& path, int originals, int writers, int per_writer) {
  db::Database* d = OpenShared(path);
  if (d == nullptr) return "the database does not open";
  std::int32_t count = 0, next = 0;
  db::ReadRecordCount(*d, &count, &next);
  std::string problem;
  if (count != originals + writers * per_writer)
    problem = "count " + std::to_string(count) + ", expected " + std::to_string(originals + writers * per_writer);
  std::set<std::string> sites;
  std::set<std::int32_t> serials;
  for (std::int32_t r = 0; r < count && problem.empty(); ++r) {
    std::int32_t serial = 0;
    db::ReadRecordStatus(*d, r, &serial);
    if (serial <= 0 || !serials.insert(serial).second) problem = "serial " + std::to_string(serial) + " twice or marked";
    d->current = r;
    rt::Value v;
    db::ReadField(*d, kSite, &v);
    if (!sites.insert(TakeText(v)).second) problem = "a site twice at record " + std::to_string(r + 1);
    db::ReadField(*d, kPassword, &v);
    std::string pass = TakeText(v);
    if (pass.size() != kPasswordLength || pass != Uniform(pass[0])) problem = "password half written";
  }
  for (int w = 0; w < writers && problem.empty(); ++w)
    for (int i = 0; i < per_writer; ++i)
      if (std::string site = std::string(1, 'w').append(std::to_string(w)).append(1, '-').append(std::to_string(i));
          sites.count(site) == 0) {
        problem = "lost " + site;
        break;
      }
  db::CloseDatabaseNamed("");
  return problem;
}

}  // namespace reltest
