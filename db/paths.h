// File-name rules of database files. "\\" and "/" both end a folder name.
#pragma once

#include <string>

namespace db {

// "VDB" is added when the last path component has no dot ("a" -> "a.VDB",
// "a." -> "a.VDB"); any other extension stays.
std::string WithDefaultExtension(const std::string& path, const char* extension = "VDB");
// The path with the last component's extension (from its last dot) replaced.
std::string WithExtension(const std::string& path, const char* extension);
// The last component without its extension.
std::string ShortName(const std::string& path);
// The folder part including its final separator ("" when there is none).
std::string FolderOf(const std::string& path);
// Case-insensitive comparison of GBK paths (double-byte characters whole).
bool SamePath(const std::string& a, const std::string& b);

}  // namespace db
