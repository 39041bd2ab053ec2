#include "db/registry.h"

#include "db/field.h"
#include "db/index_hooks.h"
#include "db/paths.h"

namespace db {
namespace {

struct Registry {
  std::vector<std::unique_ptr<Database>> open;
  int current = -1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

void CloseAt(std::size_t i) {
  Registry& r = TheRegistry();
  Database& database = *r.open[i];
  database.indexes.reset();
  database.main.ReleaseAllLocks();
  database.main.Flush();
  if (database.aux) {
    database.aux->ReleaseAllLocks();
    database.aux->Flush();
  }
  r.open.erase(r.open.begin() + static_cast<std::ptrdiff_t>(i));
  int index = static_cast<int>(i);
  if (index == r.current)
    r.current = -1;
  else if (index < r.current)
    --r.current;
}

}  // namespace

Database::Database() = default;
Database::~Database() = default;

Database* CurrentDatabase() {
  Registry& r = TheRegistry();
  return r.current < 0 ? nullptr : r.open[static_cast<std::size_t>(r.current)].get();
}

Database* FindOpenByPath(const std::string& full_path) {
  for (auto& database : TheRegistry().open)
    if (SamePath(database->full_path, full_path)) return database.get();
  return nullptr;
}

void AddOpenDatabase(std::unique_ptr<Database> database) {
  Registry& r = TheRegistry();
  r.open.push_back(std::move(database));
  r.current = static_cast<int>(r.open.size()) - 1;
}

void CloseDatabaseNamed(const std::string& name) {
  Registry& r = TheRegistry();
  if (name.empty()) {
    if (r.current >= 0) CloseAt(static_cast<std::size_t>(r.current));
    return;
  }
  auto find = [&](auto matches) -> bool {
    for (std::size_t i = r.open.size(); i > 0; --i)
      if (matches(*r.open[i - 1])) {
        CloseAt(i - 1);
        return true;
      }
    return false;
  };
  if (find([&](const Database& d) { return !d.alias.empty() && NamesEqual(d.alias.c_str(), name.c_str()); })) return;
  if (find([&](const Database& d) { return NamesEqual(d.short_name.c_str(), name.c_str()); })) return;
  find([&](const Database& d) { return SamePath(d.full_path, name); });
}

void CloseAllDatabases() {
  Registry& r = TheRegistry();
  while (!r.open.empty()) CloseAt(r.open.size() - 1);
}

std::size_t OpenDatabaseCount() { return TheRegistry().open.size(); }

}  // namespace db
