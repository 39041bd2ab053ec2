// A database with index files, driven through the engine's C++ entry points.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "db/database.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/index/index_support.h"
#include "db/registry.h"
#include "runtime/value.h"
#include "tests/support/temp_folder.h"

namespace index_test {

// Fields: Name Text(12), Age Int, Score Double, Note Memo.
class IndexedDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    db_path_ = folder_.File("people.vdb");
    ASSERT_EQ(db::CreateDatabaseFile(db_path_, {{"Name", db::ftype::kText, 12},
                                                 {"Age", db::ftype::kInt, 0},
                                                 {"Score", db::ftype::kDouble, 0},
                                                 {"Note", db::ftype::kMemo, 0}}),
              0);
  }
  void TearDown() override { db::CloseAllDatabases(); }

  // Builds an index over the database's current records (closing it after).
  void Build(const std::string& file, const std::vector<std::string>& fields, std::int32_t page_size = 512,
             std::int32_t collation = 0, std::uint32_t flags = 0) {
    ASSERT_EQ(db::OpenDatabaseFile(db_path_, db::OpenOptions{}), 0);
    ASSERT_EQ(db::index::BuildIndexFile(*db::CurrentDatabase(), folder_.File(file), fields, page_size, collation, flags), 0);
    db::CloseDatabaseNamed("");
  }

  int OpenWith(const std::vector<std::string>& index_files, std::int32_t share = 1) {
    db::OpenOptions options;
    options.share_mode = share;
    options.index_files = index_files;
    return db::OpenDatabaseFile(db_path_, options);
  }

  db::Database& Db() { return *db::CurrentDatabase(); }

  int Add(const char* name, std::int32_t age, double score, const char* note = "") {
    rt::Value values[] = {rt::Value::Text(name), rt::Value::Int(age), rt::Value::Double(score), rt::Value::Text(note)};
    return db::AddRecord(Db(), 4, values);
  }
  int WriteName(std::int64_t record, const char* name) {
    db::GoToRecord(Db(), record + 1);
    return db::WriteField(Db(), 0, rt::Value::Text(name));
  }
  int WriteAge(std::int64_t record, std::int32_t age) {
    db::GoToRecord(Db(), record + 1);
    return db::WriteField(Db(), 1, rt::Value::Int(age));
  }
  int Delete(std::int64_t record) {
    db::GoToRecord(Db(), record + 1);
    return db::DeleteRecord(Db());
  }

  // The checker of `qkdb index-check`: tree soundness and one entry per
  // record with the record's key.
  void ExpectSound(const std::string& file, std::size_t entries) {
    const db::index::TreeReport report = db::index::VerifyIndexFile(Db(), folder_.File(file));
    ASSERT_TRUE(report.sound()) << report.problems.front();
    EXPECT_EQ(report.entries.size(), entries);
  }

  std::vector<std::uint32_t> Order(const std::string& file) {
    std::vector<std::uint32_t> out;
    for (const auto& e : db::index::VerifyIndexFile(Db(), folder_.File(file)).entries) out.push_back(e.record);
    return out;
  }

  std::string Bytes(const std::string& file) {
    std::ifstream in(folder_.File(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Patch(const std::string& file, std::size_t offset, const void* data, std::size_t n) {
    std::fstream io(folder_.File(file), std::ios::binary | std::ios::in | std::ios::out);
    io.seekp(static_cast<std::streamoff>(offset));
    io.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
  }
  void PatchI32(const std::string& file, std::size_t offset, std::int32_t v) { Patch(file, offset, &v, 4); }

  qktest::TempFolder folder_;
  std::string db_path_;
};

}  // namespace index_test
