// The worker as a child process: its arguments arrive exactly as given (on
// Windows they travel through one quoted command line), its exit code comes
// back, and a killed child is reported as killed.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/system.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/load_table.h"
#include "tests/support/temp_folder.h"

namespace reltest {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TEST(ChildProcess, ArgumentsArriveUnchanged) {
  qktest::TempFolder folder;
  const std::string log = folder.File("echo.log");
  const std::vector<std::string> words = {"plain",       "two words", "",           "quote\"inside",
                                          "trailing\\",  "tail \\",   "\\\\server", "a\\\\\"b",
                                          "tab\there",   "\"",        "C:\\x y\\",  "--option=1"};
  std::vector<std::string> args = {"echo", log};
  args.insert(args.end(), words.begin(), words.end());
  Child child(args);
  ASSERT_TRUE(child.started());
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_EQ(ReadLines(log), words);
}

TEST(ChildProcess, ExitCodeComesBackAndAKillIsReported) {
  qktest::TempFolder folder;
  // An echo into a folder that does not exist fails with 2.
  Child failing({"echo", folder.File("missing") + "/echo.log", "word"});
  ASSERT_TRUE(failing.started());
  EXPECT_EQ(failing.Wait(), 2);
  EXPECT_EQ(failing.Wait(), 2);  // asked again: the same answer

  // A list loader runs until its stop file appears, which never happens.
  const std::string path = folder.File("loop.vdb");
  ASSERT_EQ(CreateLoadTable(path, 1), 0);
  Child endless({"load-list", path, folder.File("never")});
  ASSERT_TRUE(endless.started());
  platform::SleepMilliseconds(100);
  endless.Kill();
  EXPECT_EQ(endless.Wait(), -1);
}

}  // namespace
}  // namespace reltest
