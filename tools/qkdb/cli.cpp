#include "tools/qkdb/cli.h"

#include <cstddef>

#include "db/registry.h"
#include "tools/qkdb/args.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/index_cmds.h"
#include "tools/qkdb/messages.h"
#include "tools/qkdb/passwd.h"
#include "tools/qkdb/record_cmds.h"
#include "tools/qkdb/session.h"
#include "tools/qkdb/transfer_cmds.h"

namespace qkdb {
namespace {

struct CommandEntry {
  const char* name;
  const char* operands;  // for the usage message
  std::size_t fewest;
  std::size_t most;  // kAny: no limit
  int (*run)(Session&);
};

constexpr std::size_t kAny = static_cast<std::size_t>(-1);

const CommandEntry kCommands[] = {
    {"info", "FILE", 1, 1, InfoCommand},
    {"dump", "FILE", 1, 1, DumpCommand},
    {"check", "FILE", 1, 1, CheckCommand},
    {"create", "FILE NAME:TYPE[:SIZE]...", 2, kAny, CreateCommand},
    {"add", "FILE VALUE...", 1, kAny, AddCommand},
    {"set", "FILE N FIELD VALUE", 4, 4, SetCommand},
    {"delete", "FILE N", 2, 2, DeleteCommand},
    {"purge", "FILE", 1, 1, PurgeCommand},
    {"passwd", "FILE", 1, 1, PasswdCommand},
    {"mkindex", "INDEX FILE FIELD[,FIELD...]", 3, 3, MakeIndexCommand},
    {"index-check", "INDEX FILE", 2, 2, CheckIndexCommand},
    {"export", "FILE -o OUT", 1, 1, ExportCommand},
    {"import", "FILE CSV", 2, 2, ImportCommand},
};

int Dispatch(const Invocation& invocation, Console& console) {
  for (const CommandEntry& entry : kCommands) {
    if (invocation.command != entry.name) continue;
    const std::size_t n = invocation.operands.size();
    if (n < entry.fewest || n > entry.most)
      return UsageError(console, std::string("usage: qkdb ") + entry.name + " " + entry.operands);
    Session session(console, invocation);
    return entry.run(session);
  }
  return UsageError(console, "unknown command " + invocation.command);
}

}  // namespace

int Run(const std::vector<std::string>& args, Console& console) {
  Invocation invocation;
  std::string problem;
  if (!ParseCommandLine(args, &invocation, &problem)) return UsageError(console, problem);
  if (invocation.help) {
    console.Out(HelpText());
    return kExitOk;
  }
  int code = Dispatch(invocation, console);
  db::CloseAllDatabases();
  return code;
}

}  // namespace qkdb
