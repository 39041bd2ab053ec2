// Help and usage errors: help on standard output with exit 0; a usage error
// is its message and one line pointing to --help, exit 2.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/qkdb_test_support.h"

namespace qkdbtest {
namespace {

TEST(Help, GoesToStandardOutputWithExitZero) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"-h"}, {"help"}, {"dump", "--help"}}) {
    Outcome help = Qkdb(args);
    EXPECT_EQ(help.code, 0) << args[0];
    EXPECT_TRUE(help.err.empty()) << help.err;
    EXPECT_NE(help.out.find("usage: qkdb [OPTIONS] COMMAND FILE"), std::string::npos);
    EXPECT_NE(help.out.find("--password-stdin"), std::string::npos);
  }
}

TEST(Usage, AnErrorIsItsMessageAndOneLinePointingToHelp) {
  struct Case {
    std::vector<std::string> args;
    const char* said;
  } const cases[] = {
      {{}, "qkdb: no command given\n"},
      {{"frobnicate", "x"}, "qkdb: unknown command frobnicate\n"},
      {{"set", "x", "1"}, "qkdb: usage: qkdb set FILE N FIELD VALUE\n"},
      {{"dump", "x", "--bogus"}, "qkdb: unknown option --bogus"},
      {{"dump", "x", "--force"}, "qkdb: --force does not go with dump\n"},
      {{"--key-stdin", "--password-stdin", "dump", "x"}, "qkdb: give --key-stdin or --password-stdin, not both\n"},
      {{"add", "x", "--index"}, "qkdb: --index needs a value\n"},
      {{"mkindex", "i", "x", "f", "--collation", "3"}, "qkdb: --collation has a value out of range: 3 (0 to 2)\n"},
  };
  for (const Case& c : cases) {
    Outcome outcome = Qkdb(c.args);
    EXPECT_EQ(outcome.code, 2) << c.said;
    EXPECT_EQ(outcome.err.rfind(c.said, 0), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 2) << outcome.err;
    EXPECT_NE(outcome.err.find("\nRun 'qkdb --help' for the commands and options.\n"), std::string::npos);
    EXPECT_TRUE(outcome.out.empty());
  }
}

TEST(Usage, ValuesAfterDoubleDashMayStartWithDashes) {
  qktest::TempFolder folder;
  const std::string path = folder.File("t.vdb");
  ASSERT_EQ(Qkdb({"create", path, "n:10:20", "i:3"}).code, 0);
  EXPECT_EQ(Qkdb({"add", path, "--", "--odd--", "-5"}).code, 0);
  EXPECT_EQ(Qkdb({"add", path, "-dash", "-6"}).code, 0);
  const std::string dump = Qkdb({"dump", path}).out;
  EXPECT_NE(dump.find(R"({"n":"--odd--","i":-5})"), std::string::npos) << dump;
  EXPECT_NE(dump.find(R"({"n":"-dash","i":-6})"), std::string::npos) << dump;
}

}  // namespace
}  // namespace qkdbtest
