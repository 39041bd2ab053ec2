// Enciphered against plain databases of notebook records: the list loader's
// sequential pattern, random single reads, and changing the password of a
// large file beside a plain copy of it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "db/engine.h"
#include "db/password.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A key of the shape the notebook passes: 32 hexadecimal digits.
constexpr const char* kKey = "5f4dcc3b5aa765d61d8327deb882cf99";
constexpr const char* kOtherKey = "0cc175b9c0f1b6a831c399e269772661";

class Workspace {
 public:
  ~Workspace() { db::CloseAllDatabases(); }

  // The notebook's table with `records` records, plain or under kKey.
  std::string Database(int records, bool enciphered) {
    std::string plain = (folder_.path() / ("plain" + std::to_string(records) + ".vdb")).string();
    if (!made_.count(plain)) {
      MakePlain(plain, records);
      made_[plain] = true;
    }
    if (!enciphered) return plain;
    std::string ciphered = (folder_.path() / ("ciph" + std::to_string(records) + ".vdb")).string();
    if (!made_.count(ciphered)) {
      fs::copy_file(plain, ciphered, fs::copy_options::overwrite_existing);
      Open(ciphered, "", db::share_mode::kExclusive);
      db::ChangeDatabasePassword(*db::CurrentDatabase(), kKey);
      db::CloseAllDatabases();
      made_[ciphered] = true;
    }
    return ciphered;
  }

  static void Open(const std::string& path, const char* password, std::int32_t share) {
    db::OpenOptions options;
    options.password = password;
    options.share_mode = share;
    if (db::OpenDatabaseFile(path, options) != 0) std::abort();
  }

  fs::path folder() const { return folder_.path(); }

 private:
  static void MakePlain(const std::string& path, int records) {
    std::vector<db::FieldSpec> fields = {{"id", 3, 0},       {"WebName", 10, 512}, {"WebUrl", 10, 512},
                                         {"UserName", 10, 512}, {"PassWord", 10, 512}, {"Remarks", 10, 512},
                                         {"Time", 8, 512}};
    if (db::CreateDatabaseFile(path, fields) != 0) std::abort();
    Open(path, "", db::share_mode::kExclusive);
    for (int i = 1; i <= records; ++i) {
      std::string n = std::to_string(i);
      std::string name = "site " + n, url = "https://example" + n + ".test/", user = "user" + n,
                  password = "pw-" + n, remarks = "remarks for record " + n;
      rt::Value values[7] = {rt::Value::Int(i),           rt::Value::Text(name.c_str()),
                             rt::Value::Text(url.c_str()), rt::Value::Text(user.c_str()),
                             rt::Value::Text(password.c_str()), rt::Value::Text(remarks.c_str()),
                             rt::Value::DateTime(45000.5)};
      if (db::AddRecord(*db::CurrentDatabase(), 7, values) != 0) std::abort();
    }
    db::CloseAllDatabases();
  }

  qktest::TempFolder folder_;
  std::map<std::string, bool> made_;
};

Workspace& Space() {
  static Workspace space;
  return space;
}

void ReadAndFree(db::Database& database, int field) {
  rt::Value value;
  db::ReadField(database, field, &value);
  benchmark::DoNotOptimize(value.lo);
  rt::FreeValue(value);
}

// The list loader: six fields of each record, then the next record; 1,000
// records per iteration from a random start.
void BM_ListLoad(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const bool enciphered = state.range(1) != 0;
  std::string path = Space().Database(records, enciphered);
  Workspace::Open(path, enciphered ? kKey : "", db::share_mode::kDenyNone);
  db::Database& database = *db::CurrentDatabase();
  std::mt19937 rng(3);
  const int run = std::min(records, 1000);
  for (auto _ : state) {
    db::GoToRecord(database, 1 + static_cast<int>(rng() % static_cast<unsigned>(records - run + 1)));
    for (int i = 0; i < run; ++i) {
      for (int field = 1; field <= 6; ++field) ReadAndFree(database, field);
      db::SkipRecords(database, 1);
    }
  }
  state.SetItemsProcessed(state.iterations() * run);
  db::CloseAllDatabases();
}

// The stored-password reader at random: GoToRecord, then one field.
void BM_RandomRead(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const bool enciphered = state.range(1) != 0;
  std::string path = Space().Database(records, enciphered);
  Workspace::Open(path, enciphered ? kKey : "", db::share_mode::kDenyNone);
  db::Database& database = *db::CurrentDatabase();
  std::mt19937 rng(5);
  for (auto _ : state) {
    db::GoToRecord(database, 1 + static_cast<int>(rng() % static_cast<unsigned>(records)));
    ReadAndFree(database, 4);
  }
  state.SetItemsProcessed(state.iterations());
  db::CloseAllDatabases();
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int enciphered : {0, 1}) {
    for (int records : {1000, 10000, 100000}) b->Args({records, enciphered});
  }
  b->ArgNames({"records", "enciphered"});
}
BENCHMARK(BM_ListLoad)->Apply(Sizes);
BENCHMARK(BM_RandomRead)->Apply(Sizes);

// Changing the password of the whole file (exclusive, as the notebook does),
// alternating between two keys so every iteration re-enciphers everything.
void BM_SetPassword(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  std::string path = Space().Database(records, true);
  std::uintmax_t bytes = fs::file_size(path);
  Workspace::Open(path, kKey, db::share_mode::kExclusive);
  bool other = false;
  for (auto _ : state) {
    other = !other;
    if (db::ChangeDatabasePassword(*db::CurrentDatabase(), other ? kOtherKey : kKey) != 0) std::abort();
  }
  if (other) db::ChangeDatabasePassword(*db::CurrentDatabase(), kKey);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  db::CloseAllDatabases();
}
BENCHMARK(BM_SetPassword)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

// A plain copy of the same file, for comparison.
void BM_PlainCopy(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  std::string path = Space().Database(records, true);
  std::uintmax_t bytes = fs::file_size(path);
  fs::path copy = Space().folder() / "copy.vdb";
  for (auto _ : state) fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
  fs::remove(copy);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PlainCopy)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

}  // namespace
