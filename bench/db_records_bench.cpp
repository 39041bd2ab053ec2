// The record commands over the notebook's own layout (seven fields, 2576-byte
// records) at 1,000, 10,000 and 100,000 records. Every figure is per record
// (items_per_second is records per second), so the cost of one record can be
// compared across file sizes: it must not grow with the file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "db/commands.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "tests/support/temp_folder.h"

namespace {

namespace cmd = db::commands;

rt::Value Call(rt::Command command, std::vector<rt::Value> args = {}) {
  rt::Value result;
  command(&result, static_cast<std::int32_t>(args.size()), args.empty() ? nullptr : args.data());
  return result;
}

qktest::TempFolder& Folder() {
  static qktest::TempFolder folder;
  return folder;
}

bool CreateNotebook(const std::string& path) {
  static db::FieldInfRecord fields[] = {{const_cast<char*>("id"), 3, 0},         {const_cast<char*>("WebName"), 10, 512},
                                        {const_cast<char*>("WebUrl"), 10, 512},   {const_cast<char*>("UserName"), 10, 512},
                                        {const_cast<char*>("PassWord"), 10, 512}, {const_cast<char*>("Remarks"), 10, 512},
                                        {const_cast<char*>("Time"), 8, 512}};
  std::vector<std::uintptr_t> block(1 + 7);
  std::int32_t header[2] = {1, 7};
  std::memcpy(block.data(), header, sizeof header);
  for (int i = 0; i < 7; ++i) block[1 + static_cast<std::size_t>(i)] = reinterpret_cast<std::uintptr_t>(&fields[i]);
  return Call(cmd::CreateDatabase, {rt::Value::Text(path.c_str()), rt::Value::Pointer(block.data(), rt::type::kFieldInf)}).lo != 0;
}

bool OpenShared(const std::string& path) { return Call(cmd::OpenDatabase, {rt::Value::Text(path.c_str())}).lo != 0; }

// Adds n records as the record editor does: id as a Double, five texts, time.
void AddRecords(std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) {
    Call(cmd::AddRecord, {rt::Value::Double(static_cast<double>(i)), rt::Value::Text("example site"),
                          rt::Value::Text("https://www.example.com/login"), rt::Value::Text("someone@example.com"),
                          rt::Value::Text("correct horse battery"), rt::Value::Text("remarks about this account"),
                          rt::Value::DateTime(45000.5)});
  }
}

// A filled database of n records, made once per size and reused.
const std::string& Filled(std::int64_t n) {
  static std::map<std::int64_t, std::string> made;
  auto found = made.find(n);
  if (found != made.end()) return found->second;
  std::string path = Folder().File("filled" + std::to_string(n) + ".vdb");
  CreateNotebook(path);
  OpenShared(path);
  AddRecords(n);
  Call(cmd::CloseDatabase);
  return made[n] = path;
}

void BM_AddRecord(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string path = Folder().File("add" + std::to_string(round++) + ".vdb");
    CreateNotebook(path);
    OpenShared(path);
    state.ResumeTiming();
    AddRecords(n);
    state.PauseTiming();
    Call(cmd::CloseDatabase);
    std::filesystem::remove(path);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// The list loader: GoFirstRecord, then six fields and SkipRecords(1) per record.
void BM_LoadList(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  OpenShared(Filled(n));
  const char* shown[] = {"webname", "weburl", "username", "password", "remarks", "time"};
  for (auto _ : state) {
    Call(cmd::GoFirstRecord);
    std::int32_t count = Call(cmd::GetRecordCount).as_int();
    for (std::int32_t r = 0; r < count; ++r) {
      for (const char* field : shown) {
        rt::Value v = Call(cmd::ReadField, {rt::Value::Text(field)});
        rt::FreeValue(v);
      }
      Call(cmd::SkipRecords, {rt::Value::Int(1)});
    }
  }
  Call(cmd::CloseDatabase);
  state.SetItemsProcessed(state.iterations() * n);
}

// GoToRecord and ReadField at random records.
void BM_RandomRead(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  OpenShared(Filled(n));
  std::mt19937 rng(7);
  for (auto _ : state) {
    Call(cmd::GoToRecord, {rt::Value::Int(static_cast<std::int32_t>(rng() % n) + 1)});
    rt::Value v = Call(cmd::ReadField, {rt::Value::Text("password")});
    rt::FreeValue(v);
  }
  Call(cmd::CloseDatabase);
  state.SetItemsProcessed(state.iterations());
}

// PurgeDeletedRecords after marking every tenth record.
void BM_Purge(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  std::string copy = Folder().File("purge.vdb");
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(Filled(n), copy, std::filesystem::copy_options::overwrite_existing);
    OpenShared(copy);
    for (std::int64_t r = 1; r <= n; r += 10) {
      Call(cmd::GoToRecord, {rt::Value::Int(static_cast<std::int32_t>(r))});
      Call(cmd::DeleteRecord);
    }
    state.ResumeTiming();
    Call(cmd::PurgeDeletedRecords);
    state.PauseTiming();
    Call(cmd::CloseDatabase);
    state.ResumeTiming();
  }
  std::filesystem::remove(copy);
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_AddRecord)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LoadList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RandomRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Purge)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
