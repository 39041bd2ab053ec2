// File search with wildcards (* and ?), as the Windows find-file calls do.
#pragma once

#include <memory>
#include <string>

namespace platform {

struct FoundFile {
  std::string name;  // GBK, without the folder
  bool is_folder = false;
};

class FileSearch {
 public:
  virtual ~FileSearch() = default;
  // The next match; false when there is none left.
  virtual bool Next(FoundFile* found) = 0;
};

// Starts a search for a pattern such as "C:\\dir\\*.vdb" (GBK; "\\" and "/"
// both separate folders). Returns null when nothing matches or the folder
// cannot be read. "." and ".." are never reported.
std::unique_ptr<FileSearch> StartFileSearch(const std::string& pattern_gbk);

}  // namespace platform
