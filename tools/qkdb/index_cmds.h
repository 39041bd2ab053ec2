// qkdb's index-file commands: "mkindex" makes an index over a database's
// records, "index-check" verifies one. An index name without a folder lies
// beside the database, as with --index.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace db {
struct Database;
}

namespace qkdb {

class Session;

struct MakeIndexRequest {
  std::string index_path;           // GBK, with its extension
  std::vector<std::string> fields;  // GBK names in key order
  std::int32_t page_size = 1024;
  std::int32_t collation = 0;
  std::uint32_t text_flags = 0;
};

// Parses "FIELD[,FIELD...]" (UTF-8) and the values of --page-size,
// --collation and --text-flags. False with a complaint when malformed.
bool ParseMakeIndex(const std::string& fields_utf8, const std::map<std::string, std::string>& options,
                    MakeIndexRequest* request, std::string* problem);

int MakeIndexCommand(Session& session);    // mkindex INDEX FILE FIELD[,FIELD...]
int CheckIndexCommand(Session& session);   // index-check INDEX FILE

}  // namespace qkdb
