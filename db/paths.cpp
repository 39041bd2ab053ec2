#include "db/paths.h"

#include "db/field.h"
#include "platform/file.h"

namespace db {
namespace {

// Start of the last component: just after the last separator. A separator
// is never the second byte of a GBK character here: GBK trail bytes are
// 0x40 and above, and both separators are below that.
std::size_t LastComponent(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (platform::IsPathSeparator(path[i - 1])) return i;
  return 0;
}

std::size_t LastDot(const std::string& path) {
  std::size_t start = LastComponent(path);
  std::size_t dot = path.rfind('.');
  return (dot == std::string::npos || dot < start) ? std::string::npos : dot;
}

}  // namespace

std::string WithDefaultExtension(const std::string& path, const char* extension) {
  std::size_t dot = LastDot(path);
  if (dot == std::string::npos) return path + "." + extension;
  if (dot + 1 == path.size()) return path + extension;
  return path;
}

std::string WithExtension(const std::string& path, const char* extension) {
  std::size_t dot = LastDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + "." + extension;
}

std::string ShortName(const std::string& path) {
  std::size_t start = LastComponent(path);
  std::size_t dot = LastDot(path);
  return path.substr(start, (dot == std::string::npos ? path.size() : dot) - start);
}

std::string FolderOf(const std::string& path) { return path.substr(0, LastComponent(path)); }

bool SamePath(const std::string& a, const std::string& b) { return a.size() == b.size() && NamesEqual(a.c_str(), b.c_str()); }

}  // namespace db
