// Index files opened beside a fixed database and kept up to date. An index
// the open accepts may still hold wrong entries, so the tree is only
// required to be sound after a purge has rebuilt it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/engine.h"
#include "db/errors.h"
#include "db/index/index_support.h"
#include "db/registry.h"
#include "fuzz/entries.h"
#include "fuzz/index_fixture.h"
#include "fuzz/scratch.h"
#include "runtime/helpers.h"

namespace qkfuzz {

const char* const kFixtureFieldNames[4] = {"name", "number", "amount", "when"};

namespace {

constexpr int kFixtureRecords = 24;

std::vector<std::uint8_t> MakeFixture() {
  EnsureHost();
  std::vector<db::FieldSpec> field_specs = {{kFixtureFieldNames[0], db::ftype::kText, 12},
                                      {kFixtureFieldNames[1], db::ftype::kInt, 0},
                                      {kFixtureFieldNames[2], db::ftype::kDouble, 0},
                                      {kFixtureFieldNames[3], db::ftype::kDateTime, 0}};
  std::string path = ScratchFolder() + "fixture.VDB";
  if (db::CreateDatabaseFile(path, field_specs) != 0 || db::OpenDatabaseFile(path, db::OpenOptions{}) != 0) std::abort();
  db::Database& d = *db::CurrentDatabase();
  // Repeated and ordered keys, a blank text and negative numbers.
  const char* const names[] = {"alpha", "Beta", "", "\xd6\xd0\xce\xc4", "alpha", "zeta"};
  for (int i = 0; i < kFixtureRecords; ++i) {
    rt::Value cells[4] = {rt::Value::Text(names[i % 6]), rt::Value::Int((i * 7) % 11 - 5),
                          rt::Value::Double(i * 0.25 - 2), rt::Value::DateTime(45000 + (i % 5))};
    if (db::AddRecord(d, 4, cells) != 0) std::abort();
  }
  db::CloseAllDatabases();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<std::uint8_t> bytes;
  if (f == nullptr) std::abort();
  for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(f);
  return bytes;
}

// Adds, field writes, a delete and a purge; a purge that succeeded must
// leave an index that checks.
void Maintain(db::Database& d, const std::string& index_path) {
  rt::Value cells[4] = {rt::Value::Text("new"), rt::Value::Int(3), rt::Value::Double(1.5), rt::Value::DateTime(45001)};
  db::AddRecord(d, 4, cells);
  db::AddRecord(d, 2, cells);
  if (db::GoToRecord(d, 3) == 0) {
    db::WriteField(d, 0, rt::Value::Text("moved"));
    db::WriteField(d, 1, rt::Value::Int(-9));
  }
  if (db::GoToRecord(d, 1) == 0) db::DeleteRecord(d);
  if (db::PurgeDeletedRecords(d) != 0) return;
  db::index::TreeReport report = db::index::VerifyIndexFile(d, index_path);
  if (!report.sound()) {
    std::fprintf(stderr, "the index does not check after a purge rebuilt it:\n");
    for (const std::string& p : report.problems) std::fprintf(stderr, "  %s\n", p.c_str());
    std::abort();
  }
}

}  // namespace

const std::vector<std::uint8_t>& IndexFixtureImage() {
  static const std::vector<std::uint8_t> image = MakeFixture();
  return image;
}

std::string WriteIndexFixture() {
  const std::vector<std::uint8_t>& image = IndexFixtureImage();
  return WriteScratchFile("fixture.VDB", image.data(), image.size());
}

int FuzzIndex(const std::uint8_t* data, std::size_t size) {
  EnsureHost();
  std::string db_path = WriteIndexFixture();
  std::string index_path = WriteScratchFile("input.VNX", data, size);
  db::OpenOptions options;
  options.index_files = {index_path};
  if (db::OpenDatabaseFile(db_path, options) == 0 && db::CurrentDatabase() != nullptr)
    Maintain(*db::CurrentDatabase(), index_path);
  db::CloseAllDatabases();
  return 0;
}

}  // namespace qkfuzz
