// Writes the seed corpora: databases and index files made by the engine,
// the notebook's own template block, the scenario scripts and INI files of
// the tests, and sample command-line values.
//   qk_fuzz_seeds SOURCE_ROOT OUT_FOLDER   (OUT_FOLDER/<target>/seed-*)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/forms/template_block.h"
#include "db/cipher.h"
#include "db/engine.h"
#include "db/index/index_support.h"
#include "db/password.h"
#include "db/registry.h"
#include "fuzz/entries.h"
#include "fuzz/index_fixture.h"
#include "fuzz/scratch.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path g_out;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  fs::create_directories(g_out / target);
  std::ofstream out(g_out / target / ("seed-" + name), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Seed(const std::string& target, const std::string& name, const std::string& text) {
  Seed(target, name, Bytes(text.begin(), text.end()));
}

void Check(int code, const char* what) {
  if (code != 0) {
    std::fprintf(stderr, "qk_fuzz_seeds: %s failed (%d)\n", what, code);
    std::exit(1);
  }
}

// The database target's input: u32 length, the main file, the auxiliary file.
Bytes DatabaseInput(const Bytes& main, const Bytes& aux) {
  Bytes input(4);
  std::uint32_t n = static_cast<std::uint32_t>(main.size());
  for (int i = 0; i < 4; ++i) input[i] = static_cast<std::uint8_t>(n >> (8 * i));
  input.insert(input.end(), main.begin(), main.end());
  input.insert(input.end(), aux.begin(), aux.end());
  return input;
}

struct Sample {
  const char* name;
  std::vector<db::FieldSpec> fields;
  int records;
  bool delete_some;
  bool purge;
};

void AddSampleRecords(db::Database& d, const Sample& s) {
  for (int r = 0; r < s.records; ++r) {
    std::vector<rt::Value> cells;
    std::vector<void*> owned;
    for (const db::FieldDesc& f : d.fields) {
      switch (f.type) {
        case db::ftype::kText: cells.push_back(rt::Value::Text(r % 2 ? "\xd5\xcb\xba\xc5" : "site")); break;
        case db::ftype::kMemo: {
          std::string memo(static_cast<std::size_t>(r * 300 % 1500), 'm');
          char* text = rt::CopyText(memo.c_str());
          owned.push_back(text);
          cells.push_back(rt::Value::Text(text));
          break;
        }
        case db::ftype::kBytes: {
          unsigned char raw[40];
          for (int i = 0; i < 40; ++i) raw[i] = static_cast<unsigned char>(r * 40 + i);
          void* block = rt::MakeBytes(raw, r % 3 == 0 ? 0 : 40);
          owned.push_back(block);
          cells.push_back(rt::Value::Pointer(block, rt::type::kBytes));
          break;
        }
        case db::ftype::kDouble: cells.push_back(rt::Value::Double(r * 1.5)); break;
        case db::ftype::kFloat: cells.push_back(rt::Value::Float(r * 0.5f)); break;
        case db::ftype::kInt64: cells.push_back(rt::Value::Int64(-(std::int64_t{1} << 40) + r)); break;
        case db::ftype::kByte:
        case db::ftype::kShort:
        case db::ftype::kSubPtr:
          cells.push_back(rt::Value{static_cast<std::uint32_t>(r + 1), 0, db::ValueTypeOf(f.type)});
          break;
        case db::ftype::kDateTime: cells.push_back(rt::Value::DateTime(45000.5 + r)); break;
        case db::ftype::kBool: cells.push_back(rt::Value::Bool(r % 2 == 1)); break;
        default: cells.push_back(rt::Value::Int(r * 3 - 4));
      }
    }
    Check(db::AddRecord(d, static_cast<std::int32_t>(cells.size()), cells.data()), "adding a record");
    for (void* p : owned) rt::FreeMemory(p);
  }
  if (s.delete_some) {
    for (int r = 1; r <= s.records; r += 3) {
      Check(db::GoToRecord(d, r), "going to a record");
      Check(db::DeleteRecord(d), "deleting");
    }
    if (s.purge) Check(db::PurgeDeletedRecords(d), "purging");
  }
}

void DatabaseSeeds() {
  const std::vector<Sample> samples = {
      {"notebook", {{"site", 10, 40}, {"address", 10, 80}, {"account", 10, 40}, {"password", 10, 40},
                    {"remarks", 12, 0}, {"added", 8, 0}}, 5, true, false},
      {"all-types", {{"b", 1, 0}, {"s", 2, 0}, {"i", 3, 0}, {"l", 4, 0}, {"f", 5, 0}, {"d", 6, 0}, {"o", 7, 0},
                     {"t", 8, 0}, {"p", 9, 0}, {"x", 10, 8}, {"y", 11, 0}, {"m", 12, 0}}, 4, true, true},
      {"plain-only", {{"n", 3, 0}, {"name", 10, 16}}, 6, true, true},
      {"empty", {{"n", 3, 0}}, 0, false, false},
  };
  for (const Sample& s : samples) {
    for (bool cipher : {false, true}) {
      std::string path = qkfuzz::ScratchFolder() + "seed.VDB";
      std::string aux_path = qkfuzz::ScratchFolder() + "seed.VDT";
      db::CloseAllDatabases();
      std::remove(path.c_str());
      std::remove(aux_path.c_str());
      Check(db::CreateDatabaseFile(path, s.fields), "creating");
      Check(db::OpenDatabaseFile(path, db::OpenOptions{}), "opening");
      AddSampleRecords(*db::CurrentDatabase(), s);
      if (cipher) Check(db::ChangeDatabasePassword(*db::CurrentDatabase(), qkfuzz::kFuzzPassword), "enciphering");
      db::CloseAllDatabases();
      Bytes main = ReadAll(path);
      Bytes aux = fs::exists(aux_path) ? ReadAll(aux_path) : Bytes();
      if (cipher) {
        // The target enciphers what it is given: hand it the plain images.
        db::CipherState state = db::MakeCipherState(qkfuzz::kFuzzPassword);
        state.Apply(0, main.data(), main.size());
        state.Apply(0, aux.data(), aux.size());
      }
      Seed(cipher ? "database_cipher" : "database", s.name, DatabaseInput(main, aux));
    }
  }
}

void IndexSeeds() {
  struct FieldShape {
    const char* name;
    std::vector<std::string> fields;
    std::int32_t page_size, collation;
  };
  const char* const* f = qkfuzz::kFixtureFieldNames;
  const std::vector<FieldShape> field_specs = {{"text", {f[0]}, 512, 0},          {"text-nocase", {f[0]}, 512, 1},
                                   {"text-pinyin", {f[0]}, 1024, 2},  {"int", {f[1]}, 512, 0},
                                   {"double-date", {f[2], f[3]}, 512, 0}, {"text-int", {f[0], f[1]}, 2048, 0}};
  for (const FieldShape& s : field_specs) {
    std::string db_path = qkfuzz::WriteIndexFixture();
    std::string index_path = qkfuzz::ScratchFolder() + "seed.VNX";
    Check(db::OpenDatabaseFile(db_path, db::OpenOptions{}), "opening the fixture");
    Check(db::index::BuildIndexFile(*db::CurrentDatabase(), index_path, s.fields, s.page_size, s.collation, 0),
          "building an index");
    db::CloseAllDatabases();
    Seed("index", s.name, ReadAll(index_path));
  }
}

void TextSeeds(const fs::path& root) {
  std::span<const std::uint8_t> block = app::forms::TemplateBlock();
  Seed("template", "notebook", Bytes(block.begin(), block.end()));

  int n = 0;
  for (const auto& entry : fs::directory_iterator(root / "tests/scenarios"))
    if (entry.path().extension() == ".qks") Seed("script", entry.path().stem().string(), ReadAll(entry.path()));
  for (const auto& entry : fs::directory_iterator(root / "tests/scenarios/files"))
    if (entry.path().extension() == ".ini") {
      Bytes content = ReadAll(entry.path());
      std::string head = "user\nclipboard\n";
      content.insert(content.begin(), head.begin(), head.end());
      Seed("ini", entry.path().stem().string(), content);
      ++n;
    }
  Seed("ini", "user", std::string("user\nclipboard\n[user]\r\nname = \"\xd5\xc5\xc8\xfd\"\r\nclipboard=30\r\n; note\r\n"));
  Seed("ini", "sections", std::string("Other\nOther_Key\n[a]\nx=1\n[Other]\nother_key = '2'\n[other]\nOther_Key=3"));

  const char* const values[] = {"2024-02-29 12:34:56", "1899-12-29 06:00:00", "0aFF10", "name:10:20", "-12",
                                "1e308", "now", "true", "\xe4\xb8\xad:12",
                                "x.vnx\n--index\ni.vnx\n--page-size\n4096\n--collation\n2\n--text-flags\n0x3\n--key-stdin"};
  int i = 0;
  for (const char* v : values) Seed("qkdb_values", std::to_string(i++), std::string(v));

  // The hand-written CSV files of the import tests, one per layout.
  for (const auto& entry : fs::directory_iterator(root / "tests/tools/fixtures"))
    if (entry.path().extension() == ".csv") Seed("csv_import", entry.path().stem().string(), ReadAll(entry.path()));
  Seed("csv_import", "malformed", std::string("name,url,username,password\r\n\"open,x\r\na\"b,c,d,e\r\n"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qk_fuzz_seeds SOURCE_ROOT OUT_FOLDER\n");
    return 2;
  }
  qkfuzz::EnsureHost();
  g_out = argv[2];
  DatabaseSeeds();
  IndexSeeds();
  TextSeeds(argv[1]);
  db::CloseAllDatabases();
  return 0;
}
