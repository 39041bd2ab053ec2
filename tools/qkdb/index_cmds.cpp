#include "tools/qkdb/index_cmds.h"

#include <cstdio>

#include "db/database.h"
#include "db/index/index_support.h"
#include "platform/system.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/file_names.h"
#include "tools/qkdb/gbk_text.h"
#include "tools/qkdb/messages.h"
#include "tools/qkdb/session.h"
#include "tools/qkdb/values.h"

namespace qkdb {
namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long* n) {
  return ParseInteger(text, n) && *n >= low && *n <= high;
}

// The database (opened read-only) and the index path for INDEX FILE.
int OpenWithIndexPath(Session& session, db::Database** d, std::string* index_path) {
  std::string path;
  int exit_code = 0;
  if (!session.Database(session.operands()[1], false, &path, &exit_code)) return exit_code;
  Resolved index = ResolveIndex(session.operands()[0], path);
  if (!index.ok) return Failure(session.console(), index.problem);
  *index_path = index.path;
  return session.Open(path, OpenMode::kRead, d);
}

}  // namespace

bool ParseMakeIndex(const std::string& fields_utf8, const std::map<std::string, std::string>& options,
                    MakeIndexRequest* request, std::string* problem) {
  struct {
    const char* name;
    long long low, high;
  } const kNumbers[] = {{"--page-size", 512, 1 << 20}, {"--collation", 0, 2}, {"--text-flags", 0, 0xFFFFFFFFLL}};
  for (const auto& number : kNumbers) {
    auto it = options.find(number.name);
    if (it == options.end()) continue;
    long long n = 0;
    if (!ParseNumber(it->second, number.low, number.high, &n)) {
      *problem = std::string(number.name) + " has a value out of range: " + it->second + " (" +
                 std::to_string(number.low) + " to " + std::to_string(number.high) + ")";
      return false;
    }
    if (number.name[2] == 'p') request->page_size = static_cast<std::int32_t>(n);
    if (number.name[2] == 'c') request->collation = static_cast<std::int32_t>(n);
    if (number.name[2] == 't') request->text_flags = static_cast<std::uint32_t>(n);
  }
  std::size_t start = 0;
  while (start <= fields_utf8.size()) {
    std::size_t comma = fields_utf8.find(',', start);
    if (comma == std::string::npos) comma = fields_utf8.size();
    const std::string name = fields_utf8.substr(start, comma - start);
    std::string gbk, refused;
    if (name.empty()) {
      *problem = "empty field name in " + fields_utf8;
      return false;
    }
    if (!ToGbkExactly(name, &gbk, &refused)) {
      *problem = "field name " + name + " holds " + refused + ", which GBK lacks";
      return false;
    }
    request->fields.push_back(gbk);
    start = comma + 1;
  }
  return true;
}

int MakeIndexCommand(Session& session) {
  MakeIndexRequest request;
  std::string problem;
  if (!ParseMakeIndex(session.operands()[2], session.invocation().values, &request, &problem))
    return UsageError(session.console(), problem);
  db::Database* d = nullptr;
  if (int exit_code = OpenWithIndexPath(session, &d, &request.index_path)) return exit_code;
  if (FileExists(request.index_path) && !session.invocation().has("--force"))
    return Failure(session.console(), Shown(request.index_path) + " already exists: qkdb mkindex --force replaces it");
  int code = db::index::BuildIndexFile(*d, request.index_path, request.fields, request.page_size, request.collation,
                                       request.text_flags);
  return code == 0 ? kExitOk : EngineFailure(session.console(), code, request.index_path);
}

int CheckIndexCommand(Session& session) {
  db::Database* d = nullptr;
  std::string index_path;
  if (int exit_code = OpenWithIndexPath(session, &d, &index_path)) return exit_code;
  if (!FileExists(index_path)) return EngineFailure(session.console(), -30, index_path);
  const db::index::TreeReport report = db::index::VerifyIndexFile(*d, index_path);
  std::string out;
  for (const std::string& problem : report.problems) out += platform::GbkToUtf8(problem) + "\n";
  if (report.sound()) {
    char line[160];
    std::snprintf(line, sizeof line, "ok: %zu entries, depth %d, %d tree pages, %d free pages\n", report.entries.size(),
                  report.depth, report.tree_pages, report.free_pages);
    out += line;
  }
  session.console().Out(out);
  return report.sound() ? kExitOk : kExitFailure;
}

}  // namespace qkdb
