#include "tools/qkdb/messages.h"

#include "db/errors.h"
#include "platform/system.h"
#include "tools/qkdb/console.h"

namespace qkdb {
namespace {

const char* const kHelp =
    "qkdb - the notebook's database from the command line\n"
    "\n"
    "usage: qkdb [OPTIONS] COMMAND FILE [ARGS...]\n"
    "\n"
    "Commands:\n"
    "  info FILE                        header and fields as one JSON object\n"
    "  dump FILE                        every record as one JSON line (passwords in clear text)\n"
    "  check FILE                       validate the files without changing them\n"
    "  create FILE NAME:TYPE[:SIZE]...  a new empty database (TYPE 1..12, SIZE for type 10)\n"
    "  add FILE VALUE...                append one record, values in field order\n"
    "  set FILE N FIELD VALUE           write one field (name or position) of record N\n"
    "  delete FILE N                    mark record N deleted\n"
    "  purge FILE                       remove the records marked deleted\n"
    "  passwd FILE                      change the notebook password (old, new, new again)\n"
    "  mkindex INDEX FILE FIELD[,FIELD...] [--page-size N] [--collation 0|1|2] [--text-flags N]\n"
    "                                   a new index file over the records\n"
    "  index-check INDEX FILE           verify an index file against the records\n"
    "  export FILE -o OUT               the notebook's records as CSV (passwords in clear text)\n"
    "         [--format quillkeep|keepassxc] [--encoding utf-8|gbk] [--force]   (-o - writes to standard output)\n"
    "  import FILE CSV                  records from a CSV file, all or nothing, duplicates skipped\n"
    "         [--format auto|quillkeep|keepassxc|bitwarden|chrome|edge|firefox] [--encoding auto|utf-8|gbk]\n"
    "         [--dry-run] [--skip-invalid] [--cut-remarks]\n"
    "  help                             this text\n"
    "\n"
    "Options:\n"
    "  --password-stdin  the notebook password on standard input, one a line (asked\n"
    "                    with echo off at a terminal). Without it qkdb asks at the\n"
    "                    terminal when an enciphered file needs the password.\n"
    "  --key-stdin       (expert) the engine's access key itself on standard input,\n"
    "                    not the notebook password. An empty new key in passwd removes\n"
    "                    the protection: the notebook can then no longer open the file.\n"
    "  --index INDEX     open the database with this index file (repeatable), so add,\n"
    "                    set and purge keep it up to date\n"
    "  --force           create, mkindex, export: replace a file that exists\n"
    "  --truncate        add, set: cut a text longer than its field (whole characters)\n"
    "  --                every argument after it is a value, even one starting with --\n"
    "\n"
    "A FILE without an extension means FILE.VDB (on Linux also FILE.vdb). An INDEX\n"
    "without a folder lies beside the database, with the extension .VNX.\n"
    "Exit status: 0 success, 1 failure, 2 usage error. More in docs/qkdb.md.\n";

// What to do about an engine error, in one sentence.
const char* Advice(int code) {
  switch (code) {
    case -3: return "Check the file's name and folder.";
    case -4: return "Check the folders in the path.";
    case -5: return "Close some programs or files and try again.";
    case -6: return "Check the file's permissions, or whether the name is a folder.";
    case -11: return "The disk failed while reading or writing: copy the file elsewhere and check it.";
    case -12:
    case -13:
    case -28: return "Another program has the file open (the notebook?): close it and try again.";
    case -14: return "Free some disk space and try again.";
    case -16:
    case -17:
    case -18:
    case -19:
    case -20: return "Check the field list (NAME:TYPE[:SIZE], names of letters, digits and Chinese characters, at most 16 bytes).";
    case -22: return "This is not a database file: check the name.";
    case -23: return "The file was written by a newer program: use a newer qkdb.";
    case -30: return "Check the index file's name; make it with qkdb mkindex first.";
    case -31:
    case -49: return "The index file is damaged: make it again with qkdb mkindex --force.";
    case -32:
    case -43:
    case -53:
    case -54: return "The index file does not belong to this database: make it again with qkdb mkindex --force.";
    case -35:
    case -37:
    case -59: return "The auxiliary (.VDT) file is missing or damaged: run qkdb check on the database.";
    case -48: return "The file is shorter than its header says: run qkdb check, and restore it from a backup.";
    case -50: return "The auxiliary (.VDT) file could not be made: check the folder's permissions and space.";
    case -78: return "Give the notebook password with --password-stdin (or the access key with --key-stdin).";
    case -79: return "The password is unchanged: check the disk and try again.";
    default: return "Run qkdb check on the database; if it reports damage, restore the file from a backup.";
  }
}

}  // namespace

const char* HelpText() { return kHelp; }

int UsageError(Console& console, const std::string& message) {
  console.Err("qkdb: " + message + "\nRun 'qkdb --help' for the commands and options.\n");
  return kExitUsage;
}

int Failure(Console& console, const std::string& message) {
  console.Err("qkdb: " + message + "\n");
  return kExitFailure;
}

void Warn(Console& console, const std::string& message) { console.Err("qkdb: warning: " + message + "\n"); }

void NotePendingRecovery(Console& console, const std::string& path_gbk) {
  console.Err("qkdb: note: a change to " + Shown(path_gbk) +
              " was cut short; it is shown as it was before that change, which the next open for writing (the "
              "notebook, or a qkdb command that writes) puts back\n");
}

std::string EngineText(int code) {
  std::string text = platform::GbkToUtf8(db::ErrorText(code));
  text += " (";
  text += std::to_string(code);
  text += ")";
  return text;
}

std::string Shown(const std::string& path_gbk) { return platform::GbkToUtf8(path_gbk); }

int EngineFailure(Console& console, int code, const std::string& file_gbk) {
  std::string line = "qkdb: ";
  if (!file_gbk.empty()) line += Shown(file_gbk) + ": ";
  line += EngineText(code);
  // What the engine said of the failure, where one code covers many.
  if (const char* reason = db::LastReason(code); *reason != '\0') {
    line += ": ";
    line += reason;
  }
  line += "\nqkdb: ";
  line += Advice(code);
  line += "\n";
  console.Err(line);
  return kExitFailure;
}

}  // namespace qkdb
