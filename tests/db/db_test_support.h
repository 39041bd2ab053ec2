// Helpers for the engine's tests: calling commands with Value arguments,
// building field arrays, and a fresh folder per test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "db/commands.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/registry.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "tests/support/temp_folder.h"

namespace dbtest {

inline rt::Value Text(const char* s) { return rt::Value::Text(s); }
inline rt::Value Int(std::int32_t v) { return rt::Value::Int(v); }

inline rt::Value Call(rt::Command command, std::vector<rt::Value> args = {}) {
  rt::Value result;
  command(&result, static_cast<std::int32_t>(args.size()), args.empty() ? nullptr : args.data());
  return result;
}

// A field array as the application builds it: {1, n, pointers to records}.
class FieldArray {
 public:
  struct FieldShape {
    const char* name;
    std::int32_t type;
    std::int32_t size;
  };
  FieldArray(std::initializer_list<FieldShape> field_specs) {
    for (const FieldShape& s : field_specs) records_.push_back(db::FieldInfRecord{const_cast<char*>(s.name), s.type, s.size});
    block_.resize(1 + records_.size());
    std::int32_t header[2] = {1, static_cast<std::int32_t>(records_.size())};
    std::memcpy(block_.data(), header, sizeof header);
    for (std::size_t i = 0; i < records_.size(); ++i) block_[1 + i] = reinterpret_cast<std::uintptr_t>(&records_[i]);
  }
  rt::Value value() const { return rt::Value::Pointer(block_.data(), rt::type::kFieldInf); }

 private:
  std::vector<db::FieldInfRecord> records_;
  std::vector<std::uintptr_t> block_;  // 8-byte header, then the pointers
};

// Reads a field and returns it as an owned std::string (texts only).
inline std::string ReadText(rt::Value field) {
  rt::Value v = Call(db::commands::ReadField, {field});
  std::string out = v.text() == nullptr ? std::string() : std::string(v.text());
  rt::FreeValue(v);
  return out;
}

// Closes every database when a test ends, even a failing one.
class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override { db::CloseAllDatabases(); }
  bool Create(const std::string& path, const FieldArray& fields) {
    rt::Value ok = Call(db::commands::CreateDatabase, {Text(path.c_str()), fields.value()});
    return ok.lo != 0;
  }
  bool Open(const std::string& path, std::int32_t share = 1, bool read_only = false, const char* password = nullptr,
            const char* alias = nullptr) {
    std::vector<rt::Value> args = {Text(path.c_str()), alias ? Text(alias) : rt::Value{},
                                   read_only ? rt::Value::Bool(true) : rt::Value{}, Int(share), rt::Value{},
                                   password ? Text(password) : rt::Value{}};
    return Call(db::commands::OpenDatabase, args).lo != 0;
  }
  qktest::TempFolder folder_;
};

}  // namespace dbtest
