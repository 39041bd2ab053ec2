// Importing 10,000 CSV rows into an enciphered notebook with qkdb import,
// next to AddRecord alone with the same values on the same kind of file, in
// the same run. Both open the file exclusively (as import does), so the
// difference is what import adds: reading the CSV, the checks, the
// duplicate search and the rollback copy that makes it all or nothing.
// Each figure is per row (items_per_second is rows per second);
// BM_ImportOverAddRecord times both back to back and reports the ratio.
#include <benchmark/benchmark.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "db/engine.h"
#include "db/registry.h"
#include "platform/system.h"
#include "runtime/value.h"
#include "tests/support/temp_folder.h"
#include "tools/qkdb/cli.h"
#include "tools/qkdb/console.h"

namespace {

constexpr int kRows = 10000;
constexpr const char* kKey = "bench-access-key";

// Standard input of one line (the access key); output dropped.
class QuietConsole final : public qkdb::Console {
 public:
  void Out(std::string_view) override {}
  void Err(std::string_view) override {}
  bool ReadLine(qkdb::SecretText* line) override {
    if (lines_.empty()) return false;
    *line = qkdb::SecretText(lines_.front());
    lines_.pop_front();
    return true;
  }
  bool InputIsTerminal() override { return false; }
  bool AskHidden(std::string_view, qkdb::SecretText*) override { return false; }
  std::deque<std::string> lines_;
};

int Qkdb(const std::vector<std::string>& args, std::deque<std::string> input = {}) {
  QuietConsole console;
  console.lines_ = std::move(input);
  return qkdb::Run(args, console);
}

qktest::TempFolder& Folder() {
  static qktest::TempFolder folder;
  return folder;
}

struct Row {
  std::string site, address, account, password, remarks;
};

const std::vector<Row>& Rows() {
  static std::vector<Row> rows = [] {
    std::vector<Row> made;
    for (int i = 0; i < kRows; ++i) {
      const std::string n = std::to_string(i);
      made.push_back({"example site " + n, "https://www" + n + ".example.com/login", "someone" + n + "@example.com",
                      "correct horse battery " + n, "remarks about account " + n});
    }
    return made;
  }();
  return rows;
}

const std::string& CsvFile() {
  static std::string path = [] {
    std::string file = Folder().File("rows.csv");
    std::ofstream out(file, std::ios::binary);
    out << "name,url,username,password,note\r\n";
    for (const Row& r : Rows())
      out << r.site << ',' << r.address << ',' << r.account << ',' << r.password << ',' << r.remarks << "\r\n";
    return file;
  }();
  return path;
}

// A new, empty notebook protected by kKey.
std::string FreshNotebook() {
  static int round = 0;
  const std::string path = Folder().File("notebook" + std::to_string(round++) + ".vdb");
  Qkdb({"create", path, "id:3", "WebName:10:512", "WebUrl:10:512", "UserName:10:512", "PassWord:10:512",
        "Remarks:10:512", "Time:8"});
  Qkdb({"--key-stdin", "passwd", path}, {"", kKey});
  return path;
}

// The records in the file, read with the key (-1 when it does not open:
// a figure over an unopened file would mean nothing).
std::int32_t RecordsIn(const std::string& path) {
  db::OpenOptions options;
  options.read_only = true;
  options.password = kKey;
  std::int32_t count = -1, next = 0;
  if (db::OpenDatabaseFile(path, options) == 0) db::ReadRecordCount(*db::CurrentDatabase(), &count, &next);
  db::CloseAllDatabases();
  return count;
}

// AddRecord alone, as the import adds each row: id, five texts, time.
void AddRows(const std::string& path) {
  db::OpenOptions options;
  options.share_mode = db::share_mode::kExclusive;
  options.password = kKey;
  if (db::OpenDatabaseFile(path, options) != 0) return;
  db::Database& d = *db::CurrentDatabase();
  const double now = db::LocalNowAsDateTime();
  int n = 0;
  for (const Row& r : Rows()) {
    rt::Value values[7] = {rt::Value::Double(11.0 + n++), rt::Value::Text(r.site.c_str()),
                           rt::Value::Text(r.address.c_str()), rt::Value::Text(r.account.c_str()),
                           rt::Value::Text(r.password.c_str()), rt::Value::Text(r.remarks.c_str()),
                           rt::Value::DateTime(now)};
    db::AddRecord(d, 7, values);
  }
  db::CloseAllDatabases();
}

void ImportRows(const std::string& path) { Qkdb({"--key-stdin", "import", path, CsvFile()}, {kKey}); }

// Times `store` filling a fresh notebook with the rows, each iteration;
// making the file and counting its records afterwards are not timed.
void TimeStoring(benchmark::State& state, void (*store)(const std::string& path), const char* failure) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string path = FreshNotebook();
    state.ResumeTiming();
    store(path);
    state.PauseTiming();
    if (RecordsIn(path) != kRows) state.SkipWithError(failure);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_AddRecordEnciphered(benchmark::State& state) { TimeStoring(state, AddRows, "the rows were not added"); }

void BM_ImportEnciphered(benchmark::State& state) {
  CsvFile();
  TimeStoring(state, ImportRows, "the rows were not imported");
}

// Both on fresh files, back to back in each iteration; the ratio of their
// times is the figure the import is held to (at most 1.5).
void BM_ImportOverAddRecord(benchmark::State& state) {
  CsvFile();
  double add_ms = 0, import_ms = 0;
  for (auto _ : state) {
    const std::string a = FreshNotebook(), b = FreshNotebook();
    std::uint32_t start = platform::MonotonicTickCount();
    AddRows(a);
    const std::uint32_t added = platform::MonotonicTickCount() - start;
    start = platform::MonotonicTickCount();
    ImportRows(b);
    const std::uint32_t imported = platform::MonotonicTickCount() - start;
    if (RecordsIn(a) != kRows || RecordsIn(b) != kRows) state.SkipWithError("the rows were not all stored");
    add_ms += added;
    import_ms += imported;
    state.SetIterationTime(imported / 1000.0);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["add_us_per_row"] = add_ms * 1000.0 / n / kRows;
  state.counters["import_us_per_row"] = import_ms * 1000.0 / n / kRows;
  state.counters["import_over_add"] = add_ms > 0 ? import_ms / add_ms : 0;
}

BENCHMARK(BM_AddRecordEnciphered)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportEnciphered)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportOverAddRecord)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace
