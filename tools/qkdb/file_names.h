// The files a name on qkdb's command line stands for: a database (with the
// engine's default extension, and on POSIX the lower-case one the notebook
// writes) and an index file (beside the database unless a folder is given,
// for mkindex and --index alike).
#pragma once

#include <string>

namespace qkdb {

struct Resolved {
  bool ok = false;
  std::string path;     // GBK, as the engine takes it
  std::string problem;  // UTF-8, naming every file tried, when !ok
};

enum class Want { kExisting, kNew };

// A database name (UTF-8). A name without an extension means NAME.VDB; on
// POSIX, where names differ by letter case, also NAME.vdb, whichever of the
// two exists. kExisting: one of them must exist; kNew: the name to create
// (an existing file is the caller's to refuse).
Resolved ResolveDatabase(const std::string& name_utf8, Want want);

// An index name (UTF-8) for the database at database_gbk: extension .VNX
// when it has none; a name without a folder lies in the database's folder,
// one with a folder is taken from the current folder. The result is a full
// path.
Resolved ResolveIndex(const std::string& name_utf8, const std::string& database_gbk);

// True when a file (not a folder) exists at the GBK path.
bool FileExists(const std::string& path_gbk);

}  // namespace qkdb
