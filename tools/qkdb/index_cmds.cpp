#include "tools/qkdb/index_cmds.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "db/database.h"
#include "db/index/collation.h"
#include "db/index/index_support.h"
#include "db/paths.h"
#include "platform/file.h"
#include "platform/system.h"

namespace qkdb {
namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long* n) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *n = std::strtoll(text.c_str(), &end, 0);
  return errno == 0 && *end == '\0' && *n >= low && *n <= high;
}

}  // namespace

bool TakeIndexOptions(std::vector<std::string>* args, std::vector<std::string>* files, std::string* problem) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args->size(); ++i) {
    if ((*args)[i] != "--index") {
      kept.push_back((*args)[i]);
      continue;
    }
    if (i + 1 >= args->size()) {
      *problem = "--index needs a file name";
      return false;
    }
    files->push_back(platform::Utf8ToGbk((*args)[++i]));
  }
  *args = std::move(kept);
  return true;
}

bool ParseMakeIndex(const std::vector<std::string>& args, MakeIndexRequest* request, std::string* problem) {
  bool have_fields = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--page-size" || arg == "--collation" || arg == "--text-flags") {
      long long n = 0;
      const bool given = i + 1 < args.size();
      const std::string value = given ? args[++i] : std::string();
      bool ok = false;
      if (arg == "--page-size") {
        ok = ParseNumber(value, 512, 1 << 20, &n);
        request->page_size = static_cast<std::int32_t>(n);
      } else if (arg == "--collation") {
        ok = ParseNumber(value, 0, 2, &n);
        request->collation = static_cast<std::int32_t>(n);
      } else {
        ok = ParseNumber(value, 0, 0xFFFFFFFFLL, &n);
        request->text_flags = static_cast<std::uint32_t>(n);
      }
      if (!ok) {
        *problem = arg;
        *problem += given ? " has a value out of range: " + value : " needs a value";
        return false;
      }
      continue;
    }
    if (have_fields) {
      *problem = "unexpected argument: ";
      *problem += arg;
      return false;
    }
    have_fields = true;
    std::size_t start = 0;
    while (start <= arg.size()) {
      std::size_t comma = arg.find(',', start);
      if (comma == std::string::npos) comma = arg.size();
      const std::string name = arg.substr(start, comma - start);
      if (name.empty()) {
        *problem = "empty field name in ";
        *problem += arg;
        return false;
      }
      request->fields.push_back(platform::Utf8ToGbk(name));
      start = comma + 1;
    }
  }
  if (!have_fields) {
    *problem = "mkindex needs FIELD[,FIELD...]";
    return false;
  }
  return true;
}

std::string ToolIndexPath(const std::string& name_utf8) {
  const std::string path = db::WithDefaultExtension(platform::Utf8ToGbk(name_utf8), "VNX");
  std::string full;
  return platform::FullPathName(path, &full) == platform::FileError::kNone ? full : path;
}

int MakeIndex(db::Database& database, const MakeIndexRequest& request) {
  return db::index::BuildIndexFile(database, request.index_path, request.fields, request.page_size, request.collation,
                                   request.text_flags);
}

int CheckIndex(db::Database& database, const std::string& index_path) {
  const db::index::TreeReport report = db::index::VerifyIndexFile(database, index_path);
  for (const std::string& problem : report.problems) std::printf("%s\n", platform::GbkToUtf8(problem).c_str());
  if (!report.sound()) return 1;
  std::printf("ok: %zu entries, depth %d, %d tree pages, %d free pages\n", report.entries.size(), report.depth,
              report.tree_pages, report.free_pages);
  return 0;
}

}  // namespace qkdb
