// Files qkdb reads and writes besides databases: the CSV files of import
// and export. Paths are UTF-8 as typed (wide on Windows, so any name works).
#pragma once

#include <string>

namespace qkdb {

// The whole file; false with *problem (naming the file) when it cannot be
// read.
bool ReadWholeFile(const std::string& path_utf8, std::string* bytes, std::string* problem);

// Writes a new file readable by its owner only (mode 0600 on POSIX). An
// existing file is refused unless `replace`; a file left half written by a
// failure is removed. False with *problem naming the file.
bool WritePrivateFile(const std::string& path_utf8, const std::string& bytes, bool replace, std::string* problem);

}  // namespace qkdb
