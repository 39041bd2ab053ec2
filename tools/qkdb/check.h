// "qkdb check": validates a database and its auxiliary file without
// changing them, and lists every problem found.
#pragma once

#include <string>
#include <vector>

namespace qkdb {

// Problems found (GBK or ASCII text, one per entry); empty when sound.
// `path_gbk` already has its extension. An enciphered file is read with the
// access password given on standard input. *pending_recovery tells whether
// a change cut short was checked as the next open for writing leaves it.
std::vector<std::string> CheckDatabase(const std::string& path_gbk, bool* pending_recovery);

}  // namespace qkdb
