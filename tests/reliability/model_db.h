// The table the reliability tests work on, records as plain C++ values, and
// the checks made after every injected failure or killed writer: the files
// open, pass the engine's checker and the index checker, and hold the
// records expected.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "db/database.h"

namespace reltest {

// Fields: Name Text(16), Age Int, Score Double, Note Memo, Blob Bytes.
struct Row {
  std::int32_t serial = 0;  // negative while marked deleted
  std::string name;
  std::int32_t age = 0;
  double score = 0;
  std::string note;
  std::string blob;
  bool operator==(const Row&) const = default;
};

inline constexpr int kName = 0, kAge = 1, kScore = 2, kNote = 3, kBlob = 4;

// The index files the tests open with the database: one over Name, one
// over Age and Score.
inline const char* const kIndexNames[] = {"byname.vnx", "byage.vnx"};

// Creates the table (0 or the engine's code).
int CreateTable(const std::string& path);
// Builds both index files over the open current database.
int BuildIndexes(db::Database& d, const std::string& folder);

// A row whose memo and bytes values take several blocks for some n.
Row SampleRow(int n);
// What the kill-trial worker adds as its i-th record, writes as its i-th
// memo value (one repeated letter, so a torn value shows), and sets as its
// i-th password (alternating, starting from TrialPassword(0)).
Row KillTrialRow(int i);
std::string NoteForWrite(int i);
std::string TrialPassword(int i);

// Appends the row's values; 0 or the engine's code.
int AddRow(db::Database& d, const Row& row);
// Creates the table at `path` and leaves it open and current with the
// trials' starting records: SampleRow(1..6), the fourth marked deleted.
// 0 or the engine's code.
int MakeSixRecords(const std::string& path);
// Reads every record of the database (marked ones too).
int ReadRows(db::Database& d, std::vector<Row>* rows);

// The whole state of every file of a folder, to start each trial from.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(const std::string& folder);
void RestoreSnapshot(const std::string& folder, const Snapshot& snapshot);

// Opens the database (share mode 1, with `password` and the index files
// when `with_indexes`), checks it with the engine's checker and each index
// with the index checker, reads its rows, and closes it. Returns the
// problems found (empty when sound); *rows gets the records.
std::vector<std::string> OpenAndCheck(const std::string& path, const std::string& password, bool with_indexes,
                                      std::vector<Row>* rows);

}  // namespace reltest
