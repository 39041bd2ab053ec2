// Validating a database and its auxiliary file without changing them (what
// "qkdb check" prints, and what the reliability tests assert after every
// injected failure and every killed writer).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace db {

// Problems found (GBK or ASCII text, one per entry); empty when sound.
// `path` already has its extension. `password_source` is asked for the
// access password only when the file is enciphered (it may be empty).
// A change cut short whose rollback copy is still there is checked as the
// next open for writing will leave the files, which are not changed here;
// *pending_recovery (when given) tells whether that was so.
std::vector<std::string> CheckDatabaseFiles(const std::string& path,
                                            const std::function<std::string()>& password_source = {},
                                            bool* pending_recovery = nullptr);

}  // namespace db
