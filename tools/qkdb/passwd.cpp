#include "tools/qkdb/passwd.h"

#include <algorithm>
#include <cstdio>

#include "db/engine.h"
#include "db/errors.h"
#include "db/password.h"
#include "db/registry.h"
#include "platform/system.h"
#include "tools/qkdb/secrets.h"

namespace qkdb {
namespace {

int Complain(const char* message_utf8) {
  std::fprintf(stderr, "qkdb: %s\n", message_utf8);
  return 1;
}

int EngineComplaint(int code) {
  std::string text = platform::GbkToUtf8(db::ErrorText(code));
  std::fprintf(stderr, "qkdb: %s (%d)\n", text.c_str(), code);
  return 1;
}

// The old and new lines as typed (UTF-8).
bool TakeLines(SecretText* old_line, SecretText* new_line, int* exit_code) {
  if (CurrentSecretSource() != SecretSource::kNone) {
    if (!ReadInputLine(old_line) || !ReadInputLine(new_line)) {
      *exit_code = Complain("expected the old password and the new one on the first two lines of standard input");
      return false;
    }
    return true;
  }
  SecretText again;
  if (!AskHidden("Old access password: ", old_line) || !AskHidden("New access password (empty: none): ", new_line) ||
      !AskHidden("New access password again: ", &again)) {
    *exit_code = Complain("no terminal to ask on: give the passwords with --key-stdin or --password-stdin");
    return false;
  }
  if (again.text() != new_line->text()) {
    *exit_code = Complain("the two new passwords differ; nothing was changed");
    return false;
  }
  return true;
}

}  // namespace

int ChangePassword(const std::string& path_gbk) {
  SecretText old_line, new_line;
  int exit_code = 0;
  if (!TakeLines(&old_line, &new_line, &exit_code)) return exit_code;
  SecretSource source = CurrentSecretSource();
  SecretText old_password = AccessPasswordFromLine(old_line.text(), source);
  // An empty new line removes the protection, whichever way passwords come.
  SecretText new_password =
      new_line.text().empty() ? SecretText() : AccessPasswordFromLine(new_line.text(), source);

  // Exclusively, as the notebook does it: no one else reads a half
  // re-enciphered file.
  db::OpenOptions options;
  options.share_mode = db::share_mode::kExclusive;
  options.password = old_password.text();
  int code = db::OpenDatabaseFile(path_gbk, options);
  if (code == db::err::kBadPassword && old_line.text().empty() && !options.password.empty()) {
    // An empty old line also stands for "no protection": a plain file is
    // opened without a password.
    WipeString(&options.password);
    code = db::OpenDatabaseFile(path_gbk, options);
  }
  WipeString(&options.password);
  if (code == db::err::kBadPassword) return Complain("the old password is wrong; nothing was changed");
  if (code != 0) return EngineComplaint(code);
  code = db::ChangeDatabasePassword(*db::CurrentDatabase(), new_password.text());
  db::CloseAllDatabases();
  if (code != 0) return EngineComplaint(code);
  std::printf("%s\n", new_password.text().empty() ? "access password removed" : "access password changed");
  return 0;
}

}  // namespace qkdb
