// The child process of the kill trials and the load test. It works on one
// database in share mode 1 and appends a line to its log after each step
// returns, so the parent knows what completed before it killed the child.
//
//   worker add|write|purge|passwd DB LOG [PASSWORD]   loop until killed
//   worker load-add DB COUNT TAG        adds COUNT notebook records
//   worker load-list DB STOPFILE        loads the list until STOPFILE exists
//   worker load-rewrite DB STOPFILE     rewrites passwords until STOPFILE exists
//   worker echo LOG ARG...              writes each ARG on a line of LOG
#include <cstdio>
#include <cstring>
#include <string>

#include "db/engine.h"
#include "db/password.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "tests/reliability/load_table.h"
#include "tests/reliability/model_db.h"

namespace {

using reltest::Row;

FILE* g_log = nullptr;

void Log(const std::string& line) {
  std::fputs((line + "\n").c_str(), g_log);
  std::fflush(g_log);  // in the kernel before the next step starts
}

db::Database* Open(const std::string& path, const std::string& password) {
  db::OpenOptions options;
  options.password = password;
  if (db::OpenDatabaseFile(path, options) != 0) return nullptr;
  return db::CurrentDatabase();
}

int LoopAdd(db::Database& d) {
  for (int i = 1;; ++i) {
    Row row = reltest::KillTrialRow(i);
    if (reltest::AddRow(d, row) == 0) Log("a " + std::to_string(db::GetI32(d.header + db::kNextSerialPos) - 1) + " " + std::to_string(i));
  }
}

int LoopWrite(db::Database& d) {
  std::int32_t count = 0, next = 0;
  if (db::ReadRecordCount(d, &count, &next) != 0 || count == 0) return 2;
  for (int i = 1;; ++i) {
    d.current = i % count;
    std::string note = reltest::NoteForWrite(i);
    if (db::WriteField(d, reltest::kNote, rt::Value::Text(note.c_str())) == 0) Log("w " + std::to_string(i));
  }
}

int LoopPurge(db::Database& d) {
  for (int i = 1;; ++i) {
    Row keep = reltest::KillTrialRow(2 * i), drop = reltest::KillTrialRow(2 * i + 1);
    if (reltest::AddRow(d, keep) != 0) continue;
    std::int64_t keep_serial = db::GetI32(d.header + db::kNextSerialPos) - 1;
    Log("a " + std::to_string(keep_serial) + " " + std::to_string(2 * i));
    if (reltest::AddRow(d, drop) != 0) continue;
    std::int64_t drop_serial = keep_serial + 1;
    Log("a " + std::to_string(drop_serial) + " " + std::to_string(2 * i + 1));
    if (db::DeleteRecord(d) != 0) continue;  // the added record is current
    if (db::PurgeDeletedRecords(d) == 0) Log("d " + std::to_string(drop_serial));
  }
}

int LoopPassword(db::Database& d) {
  for (int i = 1;; ++i) {
    if (db::ChangeDatabasePassword(d, reltest::TrialPassword(i)) == 0) Log("p " + std::to_string(i));
  }
}

// The arguments as they arrived, to check how the parent passes them.
int Echo(const char* log_path, int count, char** args) {
  FILE* log = std::fopen(log_path, "wb");
  if (log == nullptr) return 2;
  for (int i = 0; i < count; ++i) std::fprintf(log, "%s\n", args[i]);
  return std::fclose(log) == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "echo") == 0) return Echo(argv[2], argc - 3, argv + 3);
  if (argc < 4) return 2;
  const std::string mode = argv[1], path = argv[2];
  if (mode.rfind("load-", 0) == 0) return reltest::RunLoadRole(mode, path, argv[3]);
  g_log = std::fopen(argv[3], "a");
  if (g_log == nullptr) return 2;
  db::Database* d = Open(path, argc > 4 ? argv[4] : "");
  if (d == nullptr) return 3;
  if (mode == "add") return LoopAdd(*d);
  if (mode == "write") return LoopWrite(*d);
  if (mode == "purge") return LoopPurge(*d);
  if (mode == "passwd") return LoopPassword(*d);
  return 2;
}
