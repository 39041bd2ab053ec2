// The KeePassXC layout against the real thing: keepassxc-cli makes a
// database with a group, a note with line breaks and Chinese text, exports it
// as CSV (UTC times ending in "Z", LF inside quoted notes), and qkdb imports
// that file. Runs where keepassxc-cli is installed (Debian's keepassxc).
#include <gtest/gtest.h>

#ifndef _WIN32

#include <cstdlib>

#include "db/engine.h"
#include "tests/tools/qkdb_test_support.h"
#include "tools/qkdb/text_out.h"

namespace qkdbtest {
namespace {

int Shell(const std::string& command) { return std::system(command.c_str()); }

TEST(KeePassXCOracle, ARealExportImportsWithItsGroupsNotesAndTimes) {
  if (Shell("command -v keepassxc-cli >/dev/null 2>&1") != 0) GTEST_SKIP() << "keepassxc-cli is not installed";
  // Times in the file are UTC; the notebook's are local, here eight hours on.
  setenv("TZ", "CST-8", 1);
  tzset();
  NotebookFolder folder;
  ASSERT_TRUE(folder.created());
  const std::string kdbx = folder.File("peer.kdbx"), csv = folder.File("peer.csv");
  const std::string cli = "keepassxc-cli ";
  ASSERT_EQ(Shell("printf 'pw\\npw\\n' | " + cli + "db-create -q -t 100 -p " + kdbx), 0);
  ASSERT_EQ(Shell("printf 'pw\\nmail, \"pw\"\\n' | " + cli + "add -q -u alice --url https://mail.example.com --notes \"$(printf "
                  "'line one\\nline two')\" -p " + kdbx + " Mail"),
            0);
  ASSERT_EQ(Shell("printf 'pw\\n' | " + cli + "mkdir -q " + kdbx + " Work"), 0);
  ASSERT_EQ(Shell("printf 'pw\\n\xE5\xAF\x86\xE7\xA0\x81\\n' | " + cli + "add -q -u bob -p " + kdbx +
                  " Work/\xE9\x93\xB6\xE8\xA1\x8C"),  // password 密码, title 银行
            0);
  ASSERT_EQ(Shell("printf 'pw\\n' | " + cli + "export -q -f csv " + kdbx + " > " + csv), 0);
  const double now = db::LocalNowAsDateTime();

  Outcome imported = Qkdb({"import", folder.notebook(), csv});
  unsetenv("TZ");
  tzset();
  ASSERT_EQ(imported.code, 0) << imported.err << ReadFileBytes(csv);
  EXPECT_EQ(imported.out, "imported 2, duplicates skipped 0, invalid 0\n");
  const std::string dump = Qkdb({"dump", folder.notebook()}).out;
  EXPECT_NE(dump.find(R"("WebName":"Mail","WebUrl":"https://mail.example.com","UserName":"alice","PassWord":"mail, \"pw\"","Remarks":"line one\r\nline two")"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find(U8(u8R"("WebName":"银行","WebUrl":"","UserName":"bob","PassWord":"密码","Remarks":"")")), std::string::npos)
      << dump;
  // The creation times, read as UTC and turned into local time, are now
  // (not eight hours off).
  for (std::size_t at = 0; (at = dump.find("\"Time\":\"", at)) != std::string::npos;) {
    at += 8;
    double when = 0;
    ASSERT_TRUE(qkdb::ParseDate(dump.substr(at, 19), &when)) << dump;
    EXPECT_NEAR(when, now, 10.0 / (24 * 60)) << dump.substr(at, 19);
  }
}

}  // namespace
}  // namespace qkdbtest

#endif
