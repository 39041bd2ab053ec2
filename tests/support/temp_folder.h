// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends. Paths are plain ASCII, so they are the same
// in GBK and UTF-8.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/system.h"

namespace qktest {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<unsigned> counter{0};
    // (<chrono> cannot be used: its "\u00b5s" has no GBK form.)
    std::uint32_t stamp = platform::MonotonicTickCount();
    path_ = std::filesystem::temp_directory_path() /
            ("qk-" + std::to_string(platform::CurrentThreadId()) + "-" + std::to_string(stamp) + "-" +
             std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder joined with a file name, with the platform's separator.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

  // A file's whole content; empty when it cannot be read.
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << content;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace qktest
