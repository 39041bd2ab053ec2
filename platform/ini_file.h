// The two file operations the INI reader and writer need from the operating
// system: reading a whole file and replacing it whole.
#pragma once

#include <string>

namespace platform::ini_file {

// The file's bytes. A missing file reads as empty (*exists false); false
// when it exists but cannot be read.
bool Load(const std::string& path_gbk, std::string* content, bool* exists);

// Replaces the file with `content` through a temporary file beside it, so a
// failed write never leaves half a file. A new file is readable by its
// owner only where the system has such modes; an existing one keeps its own.
bool Store(const std::string& path_gbk, const std::string& content);

}  // namespace platform::ini_file
