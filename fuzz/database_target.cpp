// Database and auxiliary file images opened, read and changed through the
// engine, plain and enciphered.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "db/check.h"
#include "db/cipher.h"
#include "db/engine.h"
#include "db/registry.h"
#include "fuzz/entries.h"
#include "fuzz/scratch.h"
#include "platform/coding.h"
#include "runtime/helpers.h"

namespace qkfuzz {
namespace {

// Enough records to reach every kind of field and chain without letting a
// huge record count turn one input into minutes.
constexpr std::int32_t kMaxRecordsRead = 64;
constexpr std::int32_t kMaxRecordSizeChanged = 1 << 16;

void ReadEverything(db::Database& d) {
  std::int32_t count = 0, next = 0;
  if (db::ReadRecordCount(d, &count, &next) != 0) return;
  std::int32_t limit = std::min(count, kMaxRecordsRead);
  for (std::int32_t r = 0; r < limit; ++r) {
    std::int32_t status = 0;
    if (db::ReadRecordStatus(d, r, &status) != 0) continue;
    if (db::GoToRecord(d, r + 1) != 0) continue;
    for (std::size_t f = 0; f < d.fields.size(); ++f) {
      rt::Value v;
      db::ReadField(d, static_cast<int>(f), &v);
      rt::FreeValue(v);
    }
  }
  db::SkipRecords(d, -1);
  db::SkipRecords(d, 2);
}

// Adds a record, rewrites the first one short and long, deletes and purges
// it: every write path, with chains long enough to span blocks.
void ChangeEverything(db::Database& d) {
  static const std::string kLong(1300, 'm');
  std::size_t given = std::min<std::size_t>(d.fields.size(), 64);
  std::vector<rt::Value> cells(given, rt::Value::Text(kLong.c_str()));
  db::AddRecord(d, static_cast<std::int32_t>(given), cells.data());
  if (db::GoToRecord(d, 1) != 0) return;
  for (std::size_t f = 0; f < given; ++f) {
    db::WriteField(d, static_cast<int>(f), rt::Value::Text("short"));
    db::WriteField(d, static_cast<int>(f), rt::Value::Text(kLong.c_str()));
  }
  if (db::DeleteRecord(d) == 0) db::PurgeDeletedRecords(d);
}

int OpenAndRead(const std::uint8_t* data, std::size_t size, std::string_view password) {
  if (size < 4) return 0;
  EnsureHost();
  std::uint32_t main_length = platform::DecodeU32(data);
  data += 4;
  size -= 4;
  std::size_t n = std::min<std::size_t>(main_length, size);
  std::vector<std::uint8_t> main(data, data + n);
  std::vector<std::uint8_t> aux(data + n, data + size);
  if (!password.empty()) {
    // One key for every input: its block words and keystreams stay cached.
    static const db::CipherState state = db::MakeCipherState(kFuzzPassword);
    state.Apply(0, main.data(), main.size());
    state.Apply(0, aux.data(), aux.size());
  }
  std::string path = WriteScratchFile("f.VDB", main.data(), main.size());
  if (aux.empty())
    RemoveScratchFile("f.VDT");
  else
    WriteScratchFile("f.VDT", aux.data(), aux.size());

  db::OpenOptions options;
  options.password = std::string(password);
  if (db::OpenDatabaseFile(path, options) != 0 || db::CurrentDatabase() == nullptr) {
    db::CloseAllDatabases();
    return 0;
  }
  ReadEverything(*db::CurrentDatabase());
  // The write paths may refuse a damaged file, but a file the checker calls
  // sound must stay sound through them.
  const auto key = [&] { return std::string(password); };
  // A damaged header may declare records of gigabytes, which the engine
  // accepts; writing one would only measure the disk.
  if (db::CurrentDatabase()->record_size > kMaxRecordSizeChanged) {
    db::CloseAllDatabases();
    return 0;
  }
  const bool sound_before = db::CheckDatabaseFiles(path, key).empty();
  ChangeEverything(*db::CurrentDatabase());
  db::CloseAllDatabases();
  if (sound_before) {
    std::vector<std::string> problems = db::CheckDatabaseFiles(path, key);
    if (!problems.empty()) {
      std::fprintf(stderr, "a sound database no longer checks after adds, writes and a purge:\n");
      for (const std::string& p : problems) std::fprintf(stderr, "  %s\n", p.c_str());
      std::abort();
    }
  }
  return 0;
}

}  // namespace

int FuzzDatabase(const std::uint8_t* data, std::size_t size) { return OpenAndRead(data, size, ""); }

int FuzzDatabaseEnciphered(const std::uint8_t* data, std::size_t size) {
  return OpenAndRead(data, size, kFuzzPassword);
}

}  // namespace qkfuzz
