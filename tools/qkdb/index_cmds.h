// qkdb's index-file options and commands: "--index FILE" for the record
// commands, "mkindex" to make an index over a database's records, and
// "index-check" to verify one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db {
struct Database;
}

namespace qkdb {

// Removes every "--index FILE" pair from args and adds FILE (GBK) to
// *files. False, with a complaint, when "--index" ends the line.
bool TakeIndexOptions(std::vector<std::string>* args, std::vector<std::string>* files, std::string* problem);

struct MakeIndexRequest {
  std::string index_path;           // GBK, with its extension
  std::vector<std::string> fields;  // GBK names in key order
  std::int32_t page_size = 1024;
  std::int32_t collation = 0;
  std::uint32_t text_flags = 0;
};

// Parses "FIELD[,FIELD...] [--page-size N] [--collation 0|1|2]
// [--text-flags N]" (UTF-8). False with a complaint when malformed.
bool ParseMakeIndex(const std::vector<std::string>& args, MakeIndexRequest* request, std::string* problem);

// Writes the new index over the open database's records; returns the
// engine's code (0 on success).
int MakeIndex(db::Database& database, const MakeIndexRequest& request);

// Checks an index file against the open database and prints the outcome;
// returns the exit code: 0 only when sound.
int CheckIndex(db::Database& database, const std::string& index_path);

// The index file path the tool works on: the default extension "VNX", made
// absolute (relative names are taken from the current folder).
std::string ToolIndexPath(const std::string& name_utf8);

}  // namespace qkdb
