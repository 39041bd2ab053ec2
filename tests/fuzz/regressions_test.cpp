// Every kept reproducer (fuzz/regressions/<target>/) and every corpus input
// (fuzz/corpus/<target>/) through its target's entry point, in the normal
// sanitized build: a mended fault that comes back fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "db/registry.h"
#include "fuzz/entries.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ignored;
  if (!fs::is_directory(folder, ignored)) return files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  return files;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzInputs : public ::testing::TestWithParam<qkfuzz::Target> {};

TEST_P(FuzzInputs, RegressionsAndCorpusRunClean) {
  const qkfuzz::Target& target = GetParam();
  std::vector<fs::path> inputs = FilesIn(fs::path(QK_FUZZ_DIR) / "regressions" / target.name);
  std::vector<fs::path> corpus = FilesIn(fs::path(QK_FUZZ_DIR) / "corpus" / target.name);
  ASSERT_FALSE(corpus.empty()) << "no seed corpus for " << target.name;
  inputs.insert(inputs.end(), corpus.begin(), corpus.end());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    std::vector<std::uint8_t> bytes = ReadAll(input);
    EXPECT_EQ(target.entry(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(db::OpenDatabaseCount(), 0u) << "a database stayed open";
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, ::testing::ValuesIn(qkfuzz::kTargets),
                         [](const ::testing::TestParamInfo<qkfuzz::Target>& info) { return std::string(info.param.name); });

}  // namespace
