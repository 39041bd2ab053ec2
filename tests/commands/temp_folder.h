// A fresh folder for one test, removed afterwards.
#pragma once

#include <atomic>
#include <random>
#include <filesystem>
#include <fstream>
#include <string>

namespace commands::testing {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("qk_cmd_" + std::to_string(std::random_device{}()) +
             "_" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // A path inside the folder, as the system's texts carry it (ASCII here).
  std::string File(const std::string& name) const { return (path_ / name).string(); }

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

}  // namespace commands::testing
