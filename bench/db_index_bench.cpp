// Index maintenance cost at 1,000, 10,000 and 100,000 records with one and
// with three index files: appending a record (every index inserts a key)
// and rewriting a key field (every index moves the record's entry). Figures
// are per operation; the tree's depth grows with the logarithm of the
// record count, so the per-operation time must grow at most that way.
// Zero index files gives the record commands' own cost for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "db/engine.h"
#include "db/index/index_support.h"
#include "db/registry.h"
#include "tests/support/temp_folder.h"

namespace {

qktest::TempFolder& Folder() {
  static qktest::TempFolder folder;
  return folder;
}

std::string RandomName(std::mt19937& rng) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "n%08u", static_cast<unsigned>(rng() % 100000000u));
  return buf;
}

// Index files over Name: (Name, Age), (Name) and (Score, Name); the first
// `count` of them are used.
const std::vector<std::vector<std::string>> kIndexFields = {{"Name", "Age"}, {"Name"}, {"Score", "Name"}};

// Joins pieces by appending (GCC 12 warns wrongly about "literal" +
// std::string at -O2).
std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) out += part;
  return out;
}

std::string DatabasePath(std::int64_t records, std::int64_t indexes) {
  return Folder().File(Join({"r", std::to_string(records), "i", std::to_string(indexes), ".vdb"}));
}

std::vector<std::string> IndexPaths(std::int64_t records, std::int64_t indexes) {
  std::vector<std::string> out;
  for (std::int64_t i = 0; i < indexes; ++i)
    out.push_back(Folder().File(Join({"r", std::to_string(records), "i", std::to_string(indexes), "_",
                                      std::to_string(i), ".VNX"})));
  return out;
}

// A database of n records with its index files, made once per shape.
void Prepare(std::int64_t n, std::int64_t indexes) {
  static std::map<std::pair<std::int64_t, std::int64_t>, bool> made;
  if (made[{n, indexes}]) return;
  made[{n, indexes}] = true;
  const std::string path = DatabasePath(n, indexes);
  db::CreateDatabaseFile(path, {{"Name", 10, 16}, {"Age", 3, 0}, {"Score", 6, 0}});
  db::OpenDatabaseFile(path, db::OpenOptions{});
  std::mt19937 rng(static_cast<unsigned>(n));
  for (std::int64_t i = 0; i < n; ++i) {
    const std::string name = RandomName(rng);
    rt::Value values[] = {rt::Value::Text(name.c_str()), rt::Value::Int(static_cast<std::int32_t>(rng() % 100)),
                          rt::Value::Double(static_cast<double>(rng() % 1000))};
    db::AddRecord(*db::CurrentDatabase(), 3, values);
  }
  const auto files = IndexPaths(n, indexes);
  for (std::size_t i = 0; i < files.size(); ++i)
    db::index::BuildIndexFile(*db::CurrentDatabase(), files[i], kIndexFields[i], 1024, 0, 0);
  db::CloseAllDatabases();
}

// After the timed loop: every index file must still match the records.
void VerifyIndexes(benchmark::State& state, db::Database& d, std::int64_t n, std::int64_t indexes) {
  for (const std::string& file : IndexPaths(n, indexes)) {
    const db::index::TreeReport report = db::index::VerifyIndexFile(d, file);
    if (!report.sound()) state.SkipWithError(report.problems.front().c_str());
    state.counters["depth"] = report.depth;
  }
}

db::Database& OpenPrepared(std::int64_t n, std::int64_t indexes) {
  Prepare(n, indexes);
  db::OpenOptions options;
  options.index_files = IndexPaths(n, indexes);
  db::OpenDatabaseFile(DatabasePath(n, indexes), options);
  return *db::CurrentDatabase();
}

void BM_AddWithIndexes(benchmark::State& state) {
  db::Database& d = OpenPrepared(state.range(0), state.range(1));
  static unsigned run = 0;
  std::mt19937 rng(99 + run++);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string name = RandomName(rng);
    rt::Value values[] = {rt::Value::Text(name.c_str()), rt::Value::Int(static_cast<std::int32_t>(rng() % 100)),
                          rt::Value::Double(static_cast<double>(rng() % 1000))};
    state.ResumeTiming();
    if (db::AddRecord(d, 3, values) != 0) state.SkipWithError("AddRecord failed");
  }
  VerifyIndexes(state, d, state.range(0), state.range(1));
  db::CloseAllDatabases();
  state.SetItemsProcessed(state.iterations());
}

void BM_MoveKey(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  db::Database& d = OpenPrepared(n, state.range(1));
  static unsigned run = 0;  // new names in every run, so every write moves entries
  std::mt19937 rng(5 + 1000 * run++);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string name = RandomName(rng);
    db::GoToRecord(d, static_cast<std::int64_t>(rng() % static_cast<unsigned>(n)) + 1);
    state.ResumeTiming();
    if (db::WriteField(d, 0, rt::Value::Text(name.c_str())) != 0) state.SkipWithError("WriteField failed");
  }
  VerifyIndexes(state, d, n, state.range(1));
  db::CloseAllDatabases();
  state.SetItemsProcessed(state.iterations());
}

// A fixed number of operations per run keeps the smallest file from
// growing far past its nominal size while it is measured.
BENCHMARK(BM_AddWithIndexes)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 3}})
    ->ArgNames({"records", "indexes"})
    ->Iterations(300)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(BM_MoveKey)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 3}})
    ->ArgNames({"records", "indexes"})
    ->Iterations(1000)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
