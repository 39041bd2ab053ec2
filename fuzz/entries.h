// The fuzz targets' entry points. Each takes one input of any content and
// must neither crash nor trip a sanitizer; the libFuzzer executables
// (fuzzer_main.cpp) and the regression tests (tests/fuzz) call the same
// functions, so a reproducer checked in keeps exercising the mended path.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qkfuzz {

// A database file and its auxiliary file, opened and read through: the
// input is a little-endian u32 length n, n bytes of the database file, and
// the rest as the auxiliary file (absent when empty).
int FuzzDatabase(const std::uint8_t* data, std::size_t size);
// The same plain images, enciphered with a fixed access password before
// they are written, and opened with that password.
int FuzzDatabaseEnciphered(const std::uint8_t* data, std::size_t size);
// A serialised window-template block.
int FuzzTemplate(const std::uint8_t* data, std::size_t size);
// An index file opened beside a small fixed database, checked, then kept up
// to date through adds, field writes, a delete and a purge.
int FuzzIndex(const std::uint8_t* data, std::size_t size);
// An INI file read and then written.
int FuzzIni(const std::uint8_t* data, std::size_t size);
// A scenario script.
int FuzzScript(const std::uint8_t* data, std::size_t size);
// qkdb's parsers of command-line values.
int FuzzQkdbValues(const std::uint8_t* data, std::size_t size);
// A CSV file read for qkdb import in every layout, each row checked; what
// passes goes through an export and a second import unchanged.
int FuzzCsvImport(const std::uint8_t* data, std::size_t size);

// The fixed access password of FuzzDatabaseEnciphered.
inline constexpr const char* kFuzzPassword = "fuzz-key";

struct Target {
  const char* name;  // the folder under fuzz/corpus and fuzz/regressions
  int (*entry)(const std::uint8_t*, std::size_t);
};
inline constexpr Target kTargets[] = {
    {"database", FuzzDatabase},   {"database_cipher", FuzzDatabaseEnciphered},
    {"template", FuzzTemplate},   {"index", FuzzIndex},
    {"ini", FuzzIni},             {"script", FuzzScript},
    {"qkdb_values", FuzzQkdbValues}, {"csv_import", FuzzCsvImport},
};

}  // namespace qkfuzz
