#include "tools/qkdb/session.h"

#include <cstring>
#include <memory>

#include "db/engine.h"
#include "db/errors.h"
#include "db/format.h"
#include "db/registry.h"
#include "platform/file.h"
#include "tools/qkdb/console.h"
#include "tools/qkdb/file_names.h"
#include "tools/qkdb/gbk_text.h"
#include "tools/qkdb/messages.h"

namespace qkdb {
namespace {

bool IsIndexError(int code) {
  return (code <= -30 && code >= -34) || code == -43 || code == -49 || code == -53 || code == -54;
}

bool IsHeldElsewhere(int code) {
  return code == db::err::kSharingViolation || code == db::err::kLockViolation || code == db::err::kLockFailed;
}

}  // namespace

std::string FileMagic(const std::string& path_gbk) {
  std::unique_ptr<platform::File> file;
  if (platform::OpenFile(path_gbk, platform::FileAccess::kRead, platform::share::kReadWrite,
                         platform::FileDisposition::kOpenExisting, &file) != platform::FileError::kNone)
    return std::string();
  char magic[4];
  std::size_t got = 0;
  if (file->Read(0, magic, sizeof magic, &got) != platform::FileError::kNone || got != sizeof magic) return std::string();
  if (std::memcmp(magic, db::kCipheredMagic, 4) == 0 || std::memcmp(magic, db::kPlainMagic, 4) == 0)
    return std::string(magic, 4);
  return std::string();
}

bool Session::Database(const std::string& name_utf8, bool for_create, std::string* path_gbk, int* exit_code) {
  Resolved resolved = ResolveDatabase(name_utf8, for_create ? Want::kNew : Want::kExisting);
  if (!resolved.ok) {
    *exit_code = Failure(console_, resolved.problem);
    return false;
  }
  *path_gbk = resolved.path;
  return true;
}

bool Session::IndexFiles(const std::string& database_gbk, std::vector<std::string>* out, int* exit_code) {
  out->clear();
  for (const std::string& name : invocation_.indexes) {
    Resolved resolved = ResolveIndex(name, database_gbk);
    if (!resolved.ok) {
      *exit_code = Failure(console_, resolved.problem);
      return false;
    }
    out->push_back(resolved.path);
  }
  return true;
}

bool Session::ReadSecret(const std::string& prompt, SecretText* line) {
  if (console_.InputIsTerminal()) return console_.AskHidden(prompt, line);
  if (invocation_.secrets == SecretSource::kPrompt) return false;
  return console_.ReadLine(line);
}

bool Session::AccessPassword(const SecretText& line, bool as_key, SecretText* access, std::string* problem) {
  std::string gbk, refused;
  bool ok = ToGbkExactly(line.text(), &gbk, &refused);
  SecretText held(std::move(gbk));
  if (!ok) {
    // The character itself is part of the secret: not named.
    *problem = "holds a character that GBK lacks, which the notebook could not have been given";
    return false;
  }
  *access = as_key ? std::move(held) : DeriveNotebookKey(held.text());
  return true;
}

bool Session::AccessFor(const std::string& path_gbk, SecretText* access, int* exit_code) {
  access->Wipe();
  // A plain file needs no password, so none is asked for.
  if (FileMagic(path_gbk) != "QCDB") return true;
  const bool as_key = invocation_.secrets == SecretSource::kKeyStdin;
  if (!have_typed_) {
    std::string prompt = as_key ? "Access key for " : "Notebook password for ";
    prompt += Shown(path_gbk) + ": ";
    have_typed_ = ReadSecret(prompt, &typed_);
  }
  std::string problem;
  if (have_typed_ && !AccessPassword(typed_, as_key, access, &problem)) {
    *exit_code = Failure(console_, "the password " + problem);
    return false;
  }
  return true;
}

int Session::Open(const std::string& path_gbk, OpenMode mode, db::Database** out) {
  *out = nullptr;
  db::OpenOptions options;
  int exit_code = 0;
  if (!IndexFiles(path_gbk, &options.index_files, &exit_code)) return exit_code;
  options.read_only = mode == OpenMode::kRead;
  options.share_mode = mode == OpenMode::kExclusive ? db::share_mode::kExclusive : db::share_mode::kDenyNone;
  SecretText access;
  if (!AccessFor(path_gbk, &access, &exit_code)) return exit_code;
  options.password = access.text();
  int code = db::OpenDatabaseFile(path_gbk, options);
  WipeString(&options.password);
  if (code == db::err::kBadPassword && have_typed_) return WrongPassword(path_gbk);
  if (code != 0) {
    std::string file = path_gbk;
    if (IsIndexError(code)) {
      file = options.index_files.size() == 1 ? options.index_files[0] : path_gbk + " (index files";
      for (std::size_t i = 0; options.index_files.size() > 1 && i < options.index_files.size(); ++i)
        file += " " + options.index_files[i];
      if (options.index_files.size() > 1) file += ")";
    }
    if (mode == OpenMode::kExclusive && IsHeldElsewhere(code)) {
      return Failure(console_, Shown(path_gbk) + ": " + EngineText(code) +
                                   "\nqkdb: The notebook (or another program) has the database open: close the "
                                   "notebook first, then run qkdb again.");
    }
    return EngineFailure(console_, code, file);
  }
  *out = db::CurrentDatabase();
  if ((*out)->recovered) NotePendingRecovery(console_, path_gbk);
  return 0;
}

bool Session::OpensWith(const std::string& path_gbk, std::string_view access_gbk) {
  db::OpenOptions options;
  options.read_only = true;
  options.password = access_gbk;
  int code = db::OpenDatabaseFile(path_gbk, options);
  WipeString(&options.password);
  if (code != 0) return false;
  db::CloseAllDatabases();
  return true;
}

int Session::WrongPassword(const std::string& path_gbk) {
  const bool as_key = invocation_.secrets == SecretSource::kKeyStdin;
  std::string message = Shown(path_gbk) + ": " + EngineText(db::err::kBadPassword) + "\nqkdb: ";
  message += as_key ? "The access key is wrong." : "The notebook password is wrong.";
  // The same line read the other way: a notebook password given as a key,
  // or a key given as a notebook password.
  SecretText other;
  std::string ignored;
  if (AccessPassword(typed_, !as_key, &other, &ignored) && OpensWith(path_gbk, other.text())) {
    message += as_key ? "\nqkdb: That line is the notebook password: give it with --password-stdin."
                      : "\nqkdb: That line is the file's access key, not a notebook password: give it with --key-stdin.";
  } else if (!as_key && LooksLikeNotebookKey(typed_.text())) {
    message += "\nqkdb: If that line is an access key, give it with --key-stdin.";
  }
  return Failure(console_, message);
}

}  // namespace qkdb
