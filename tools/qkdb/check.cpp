#include "tools/qkdb/check.h"

#include "db/check.h"
#include "tools/qkdb/secrets.h"

namespace qkdb {

std::vector<std::string> CheckDatabase(const std::string& path, bool* pending_recovery) {
  return db::CheckDatabaseFiles(path, [] { return AccessPasswordForOpen(); }, pending_recovery);
}

}  // namespace qkdb
