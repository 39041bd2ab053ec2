#include "tools/qkdb/file_names.h"

#include "db/paths.h"
#include "platform/file.h"
#include "platform/system.h"
#include "tools/qkdb/gbk_text.h"

namespace qkdb {
namespace {

bool HasFolder(const std::string& path) {
  for (char c : path)
    if (platform::IsPathSeparator(c)) return true;
  return false;
}

// True when the last component has an extension of its own ("a.vdb"; not
// "a" nor "a.").
bool HasExtension(const std::string& path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (platform::IsPathSeparator(path[i])) start = i + 1;
  std::size_t dot = path.find_last_of('.');
  return dot != std::string::npos && dot >= start && dot + 1 < path.size();
}

bool NameInGbk(const std::string& name_utf8, std::string* gbk, Resolved* result) {
  std::string refused;
  if (ToGbkExactly(name_utf8, gbk, &refused)) return true;
  result->problem = name_utf8 + ": the name holds " + refused + ", which the notebook's files cannot be named with";
  return false;
}

}  // namespace

bool FileExists(const std::string& path_gbk) { return platform::QueryPath(path_gbk) == platform::PathKind::kFile; }

Resolved ResolveDatabase(const std::string& name_utf8, Want want) {
  Resolved result;
  std::string name;
  if (!NameInGbk(name_utf8, &name, &result)) return result;
  if (name.empty()) {
    result.problem = "an empty file name";
    return result;
  }
  if (HasExtension(name)) {
    result.ok = true;
    result.path = name;
    return result;
  }
  const std::string upper = db::WithDefaultExtension(name);
#ifdef _WIN32
  (void)want;
  result.ok = true;  // Windows names ignore letter case: NAME.vdb is NAME.VDB
  result.path = upper;
  return result;
#else
  const std::string lower = db::WithDefaultExtension(name, "vdb");
  const bool upper_exists = FileExists(upper), lower_exists = FileExists(lower);
  if (upper_exists && lower_exists) {
    result.problem = "both " + platform::GbkToUtf8(upper) + " and " + platform::GbkToUtf8(lower) +
                     " exist: give the one you mean with its extension";
    return result;
  }
  if (!upper_exists && !lower_exists && want == Want::kExisting) {
    result.problem = "there is no database " + platform::GbkToUtf8(upper) + " or " + platform::GbkToUtf8(lower);
    return result;
  }
  result.ok = true;
  result.path = lower_exists ? lower : upper;
  return result;
#endif
}

Resolved ResolveIndex(const std::string& name_utf8, const std::string& database_gbk) {
  Resolved result;
  std::string name;
  if (!NameInGbk(name_utf8, &name, &result)) return result;
  if (name.empty()) {
    result.problem = "an empty index file name";
    return result;
  }
  name = db::WithDefaultExtension(name, "VNX");
  if (!HasFolder(name)) {
    std::string database_full;
    if (platform::FullPathName(database_gbk, &database_full) != platform::FileError::kNone) database_full = database_gbk;
    name = db::FolderOf(database_full) + name;
  }
  if (platform::FullPathName(name, &result.path) != platform::FileError::kNone) result.path = name;
  result.ok = true;
  return result;
}

}  // namespace qkdb
