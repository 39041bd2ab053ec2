// What qkdb tells the person: the help text, usage errors, failures and the
// engine's errors, with the exit codes that go with them (0 success, 1 any
// failure, 2 a usage error).
#pragma once

#include <string>

namespace qkdb {

class Console;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// The whole help text (qkdb --help).
const char* HelpText();

// "qkdb: MESSAGE" and a line pointing to --help, on standard error; 2.
int UsageError(Console& console, const std::string& message_utf8);
// "qkdb: MESSAGE" on standard error; 1.
int Failure(Console& console, const std::string& message_utf8);
// "qkdb: warning: MESSAGE" on standard error.
void Warn(Console& console, const std::string& message_utf8);

// An engine error about a file: the file, the engine's own text and code,
// then an English sentence saying what to do; 1. `file_gbk` may be empty
// when no file is concerned.
int EngineFailure(Console& console, int code, const std::string& file_gbk);

// A reading command met a change cut short that only an open for writing
// turns back: what it shows is the database as it will be then.
void NotePendingRecovery(Console& console, const std::string& path_gbk);

// The engine's text of a code with the code, as UTF-8: "指定文件未找到 (-3)".
std::string EngineText(int code);

// A file name for a message (UTF-8), from the GBK path.
std::string Shown(const std::string& path_gbk);

}  // namespace qkdb
