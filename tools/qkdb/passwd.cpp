#include "tools/qkdb/passwd.h"

#include <string>

#include "db/engine.h"
#include "db/password.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/messages.h"
#include "tools/qkdb/session.h"

namespace qkdb {
namespace {

// The lines as typed (UTF-8). At a terminal the old password is asked only
// for an enciphered file, and the new one twice; from standard input they
// are the first two lines.
bool TakeLines(Session& session, bool plain, SecretText* old_line, SecretText* new_line, int* exit_code) {
  Console& console = session.console();
  const bool as_key = session.invocation().secrets == SecretSource::kKeyStdin;
  if (!console.InputIsTerminal()) {
    if (session.invocation().secrets == SecretSource::kPrompt) {
      *exit_code = Failure(console, "no terminal to ask the passwords on: give the old and the new notebook password "
                                    "on two lines of standard input with --password-stdin");
      return false;
    }
    if (!console.ReadLine(old_line) || !console.ReadLine(new_line)) {
      *exit_code = Failure(console, "expected the old password and the new one on the first two lines of standard input; "
                                    "nothing was changed");
      return false;
    }
    return true;
  }
  const std::string kind = as_key ? "access key" : "notebook password";
  SecretText again;
  if ((!plain && !console.AskHidden("Old " + kind + ": ", old_line)) ||
      !console.AskHidden(as_key ? "New access key (empty: no protection): " : "New notebook password: ", new_line) ||
      !console.AskHidden("New " + kind + " again: ", &again)) {
    *exit_code = Failure(console, "no password was typed; nothing was changed");
    return false;
  }
  if (again.text() != new_line->text()) {
    *exit_code = Failure(console, "the two new passwords differ; nothing was changed");
    return false;
  }
  return true;
}

}  // namespace

int PasswdCommand(Session& session) {
  Console& console = session.console();
  std::string path;
  int exit_code = 0;
  if (!session.Database(session.operands()[0], false, &path, &exit_code)) return exit_code;
  const bool as_key = session.invocation().secrets == SecretSource::kKeyStdin;
  const bool plain = FileMagic(path) == "QVDB";
  SecretText old_line, new_line;
  if (!TakeLines(session, plain, &old_line, &new_line, &exit_code)) return exit_code;

  // The new access password. A notebook password always gives a key, the
  // empty one included, as the notebook's first run does.
  SecretText new_access;
  std::string problem;
  if (!(as_key && new_line.empty()) && !session.AccessPassword(new_line, as_key, &new_access, &problem))
    return Failure(console, "the new password " + problem + "; nothing was changed");

  // Exclusively, as the notebook does it: no one else reads a half
  // re-enciphered file.
  session.UseTyped(std::move(old_line));
  db::Database* d = nullptr;
  if (int code = session.Open(path, OpenMode::kExclusive, &d)) return code;
  int code = db::ChangeDatabasePassword(*d, new_access.text());
  if (code != 0) return EngineFailure(console, code, path);
  if (as_key && new_access.empty()) {
    Warn(console, "the protection is removed: the notebook can no longer open " + Shown(path) +
                      " (it opens only protected files); give it a notebook password with qkdb passwd");
    console.Out(Shown(path) + ": protection removed\n");
  } else if (as_key && !LooksLikeNotebookKey(new_access.text())) {
    Warn(console, "the notebook makes its keys from passwords, and no password gives this key: only qkdb --key-stdin "
                  "will open " + Shown(path));
    console.Out(Shown(path) + ": access key changed\n");
  } else {
    console.Out(Shown(path) + (as_key ? ": access key changed\n" : ": notebook password changed\n"));
  }
  return kExitOk;
}

}  // namespace qkdb
