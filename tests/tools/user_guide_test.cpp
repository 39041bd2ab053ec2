// The user's guide in Chinese ships beside quillkeep.exe: GBK with CR LF, so
// Notepad on any Chinese Windows shows it, and it keeps up with the README:
// every user.ini key the README's table lists is explained in it too.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/qkdb_test_support.h"
#include "tools/qkdb/gbk_text.h"

namespace qkdbtest {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The keys of the README's user.ini table (its rows "| `key` | ...").
std::vector<std::string> ReadmeIniKeys(const std::string& readme) {
  std::vector<std::string> keys;
  std::size_t header = readme.find("| key | meaning | default |");
  if (header == std::string::npos) return keys;
  std::size_t line = readme.find('\n', readme.find('\n', header) + 1) + 1;  // past the |---| row
  while (line < readme.size() && readme.compare(line, 3, "| `") == 0) {
    const std::size_t end = readme.find('`', line + 3);
    if (end == std::string::npos) break;
    keys.push_back(readme.substr(line + 3, end - line - 3));
    line = readme.find('\n', end);
    if (line == std::string::npos) break;
    ++line;
  }
  return keys;
}

TEST(UserGuide, IsGbkWithCrLfAndExplainsEveryUserIniKey) {
  const fs::path root(QK_SOURCE_DIR);
  const std::string guide = Read(root / fs::path(u8"docs/使用说明.txt"));
  ASSERT_FALSE(guide.empty());
  std::string utf8;
  EXPECT_TRUE(qkdb::FromGbkExactly(guide, &utf8)) << "not GBK";
  EXPECT_FALSE(qkdb::IsValidUtf8(guide)) << "saved as UTF-8";
  for (std::size_t i = 0; i < guide.size(); ++i) {
    if (guide[i] == '\n') {
      ASSERT_TRUE(i > 0 && guide[i - 1] == '\r') << "a line ends without CR at byte " << i;
    }
  }
  const std::vector<std::string> keys = ReadmeIniKeys(Read(root / "README.md"));
  ASSERT_GE(keys.size(), 3u) << "the README's user.ini table was not found";
  for (const std::string& key : keys) EXPECT_NE(utf8.find("  " + key + " "), std::string::npos) << key;
}

}  // namespace
}  // namespace qkdbtest
