// One run of qkdb: the console, the command line, and opening databases
// with the right password and index files. Every failure here is reported
// to the person before the caller sees it; callers return the exit code.
#pragma once

#include <string>
#include <vector>

#include "tools/qkdb/args.h"
#include "tools/qkdb/secrets.h"

namespace db {
struct Database;
}

namespace qkdb {

class Console;

enum class OpenMode {
  kRead,       // read-only, others may read and write
  kWrite,      // read-write, others may read and write (the notebook may have it open)
  kExclusive,  // read-write, nobody else may have it open
};

class Session {
 public:
  Session(Console& console, const Invocation& invocation) : console_(console), invocation_(invocation) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Console& console() { return console_; }
  const Invocation& invocation() const { return invocation_; }
  const std::vector<std::string>& operands() const { return invocation_.operands; }

  // The database path (GBK) an operand names; on failure the problem has
  // been reported and *exit_code holds the code.
  bool Database(const std::string& name_utf8, bool for_create, std::string* path_gbk, int* exit_code);

  // Opens the database at path_gbk through the engine and makes it current,
  // with the --index files (or `indexes`, GBK full paths, when given).
  // An enciphered file gets its password from the secret source: standard
  // input, or the terminal. Returns 0 with *out set, else the exit code
  // after the failure has been reported.
  int Open(const std::string& path_gbk, OpenMode mode, db::Database** out);

  // The access password (GBK) for the file at path_gbk: empty for a plain
  // file; for an enciphered one, from the secret source, asked once per
  // run. False after reporting a password that cannot be used.
  bool AccessFor(const std::string& path_gbk, SecretText* access_gbk, int* exit_code);

  // One secret line from the source chosen on the command line: standard
  // input (asked with echo off when it is a terminal), or, without an
  // option, the terminal only. False when there is none to be had.
  bool ReadSecret(const std::string& prompt, SecretText* line_utf8);

  // The engine's access password for a line as typed (UTF-8): the line
  // itself with --key-stdin, the notebook's key derived from it otherwise.
  // False, with a complaint, when the line holds a character GBK lacks (the
  // notebook could not have been given it).
  bool AccessPassword(const SecretText& line_utf8, bool as_key, SecretText* access_gbk, std::string* problem);

  // The line the next enciphered open uses, instead of asking for one
  // (passwd reads the old and the new password together).
  void UseTyped(SecretText line_utf8) {
    typed_ = std::move(line_utf8);
    have_typed_ = true;
  }

  // The --index files for the database, as full GBK paths; false after
  // reporting a bad name.
  bool IndexFiles(const std::string& database_gbk, std::vector<std::string>* out, int* exit_code);

 private:
  // Reports a refused password, and names the other option when the line
  // opens the file under it.
  int WrongPassword(const std::string& path_gbk);
  bool OpensWith(const std::string& path_gbk, std::string_view access_gbk);

  Console& console_;
  const Invocation& invocation_;
  // The line typed for the open, kept for the hint after a refusal.
  SecretText typed_;
  bool have_typed_ = false;
};

// "QCDB" when the file at path_gbk is enciphered, "QVDB" when plain; empty
// when it cannot be read (the engine's open then says why).
std::string FileMagic(const std::string& path_gbk);

}  // namespace qkdb
