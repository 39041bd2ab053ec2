#include <gtest/gtest.h>

#include <filesystem>

#include "commands/system.h"
#include "commands/text.h"
#include "commands/web_address.h"
#include "platform/sim/sim_host.h"
#include "runtime/state.h"
#include "tests/commands/call.h"
#include "tests/support/temp_folder.h"

namespace commands {
namespace {

using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)
using qktest::TempFolder;

bool Exists(const std::string& name) { return Result(Call(FileExists, {Txt(name.c_str())}))->lo != 0; }

TEST(FileExists, FilesFoldersAndWildcards) {
  TempFolder folder;
  folder.Write("user.vdb", "x");
  std::filesystem::create_directory(folder.File("sub"));
  EXPECT_TRUE(Exists(folder.File("user.vdb")));
  EXPECT_TRUE(Exists(folder.File("sub")));
  EXPECT_TRUE(Exists(folder.File("*.vdb")));
  EXPECT_TRUE(Exists(folder.File("us?r.*")));
  EXPECT_FALSE(Exists(folder.File("*.ini")));
  EXPECT_FALSE(Exists(folder.File("absent.vdb")));
  EXPECT_FALSE(Exists(""));
}

TEST(DeleteFile, RemovesOnceAndReportsFailure) {
  TempFolder folder;
  folder.Write("user.vdb", "x");
  std::string name = folder.File("user.vdb");
  EXPECT_TRUE(Result(Call(DeleteFile, {Txt(name.c_str())}))->lo != 0);
  EXPECT_FALSE(Exists(name));
  EXPECT_FALSE(Result(Call(DeleteFile, {Txt(name.c_str())}))->lo != 0);
}

TEST(GetProgramFolder, CopyOfTheRecordedFolder) {
  std::string saved = rt::State().program_folder;
  rt::State().program_folder = "C:";
  Result root(Call(GetProgramFolder, {}));
  EXPECT_EQ(root.text(), "C:");
  rt::State().program_folder.clear();
  EXPECT_TRUE(Result(Call(GetProgramFolder, {})).null());
  rt::State().program_folder = saved;
}

TEST(SetClipboardText, EmptyTextAndRefusal) {
  platform::sim::ScopedSimHost host;
  EXPECT_TRUE(Result(Call(SetClipboardText, {Txt("")}))->lo != 0);
  ASSERT_TRUE(host->clipboard().has_value());
  EXPECT_EQ(*host->clipboard(), "");
  EXPECT_TRUE(Result(Call(SetClipboardText, {Txt("账号：a")}))->lo != 0);
  EXPECT_EQ(*host->clipboard(), "账号：a");
  host->SetClipboardAvailable(false);
  EXPECT_FALSE(Result(Call(SetClipboardText, {Txt("b")}))->lo != 0);
  EXPECT_EQ(*host->clipboard(), "账号：a");
}

TEST(Now, LocalTimeInWholeSeconds) {
  platform::sim::ScopedSimHost host;
  host->SetClock({2024, 3, 5, 14, 7, 9});
  Result now(Call(Now, {}));
  EXPECT_EQ(now->type, rt::type::kDateTime);
  EXPECT_DOUBLE_EQ(now->as_double(), 45356 + (14 * 3600 + 7 * 60 + 9) / 86400.0);
  Result text(Call(ToText, {*now}));
  EXPECT_EQ(text.text(), "2024年3月5日14时7分9秒");
}

TEST(OpenWebAddress, WebAddressesPass) {
  EXPECT_EQ(WebAddressToOpen("http://example.com/a?b=c"), "http://example.com/a?b=c");
  EXPECT_EQ(WebAddressToOpen("HTTPS://Example.com"), "HTTPS://Example.com");
  EXPECT_EQ(WebAddressToOpen("ftp://files.example.com/x"), "ftp://files.example.com/x");
  EXPECT_EQ(WebAddressToOpen("  www.example.com  "), "http://www.example.com");
  EXPECT_EQ(WebAddressToOpen("example.com:8080/login"), "http://example.com:8080/login");
  EXPECT_EQ(WebAddressToOpen("localhost:8080"), "http://localhost:8080");
  EXPECT_EQ(WebAddressToOpen("网站.中国"), "http://网站.中国");
}

TEST(OpenWebAddress, ProgramsPathsAndOtherSchemesAreRefused) {
  for (const char* refused :
       {"C:\\Windows\\System32\\calc.exe", "c:/tools/run.bat", "\\\\server\\share\\setup.exe", "/usr/bin/xterm",
        "..\\evil.exe", "./run.sh", "tools\\run.exe", "file:///C:/x.exe", "FILE://server/share", "mailto:a@b.c",
        "javascript:alert(1)", "shell:startup", "ms-settings:", "http:\\\\example.com", "", "   ",
        "http://a\nb", "example.com\tx"}) {
    EXPECT_EQ(WebAddressToOpen(refused), std::nullopt) << refused;
  }
}

// A browser registered as "browser.exe %1" (or "%1" inside quotes) would
// take a quote or a blank as the end of the address and the rest as more
// arguments: they are percent-encoded, as is every character RFC 3986
// keeps out of addresses and a command line gives meaning to.
TEST(OpenWebAddress, QuotesBlanksAndShellCharactersArePercentEncoded) {
  EXPECT_EQ(WebAddressToOpen("http://a.example/x y\" --new-window \"file:///c:/"),
            "http://a.example/x%20y%22%20--new-window%20%22file:///c:/");
  EXPECT_EQ(WebAddressToOpen("https://a.example/<b>^`{c}|d\\e"), "https://a.example/%3Cb%3E%5E%60%7Bc%7D%7Cd%5Ce");
  EXPECT_EQ(WebAddressToOpen("a.example/q?x=1 2"), "http://a.example/q?x=1%202");
  // Escapes already there, and the characters addresses use, stay as they are.
  EXPECT_EQ(WebAddressToOpen("http://a.example/%20?q=a&b=c#top"), "http://a.example/%20?q=a&b=c#top");
  // So do GBK characters whose second byte is that of a backslash or a bar
  // (表 is B1 ED, 乗 81 5C, 亅 81 7C).
  EXPECT_EQ(WebAddressToOpen("http://a.example/\x81\x5c\x81\x7c 表"), "http://a.example/\x81\x5c\x81\x7c%20表");
}

TEST(OpenWebAddress, CommandOpensOnlyWhatPasses) {
  platform::sim::ScopedSimHost host;
  Result(Call(OpenWebAddress, {Txt("www.example.com")}));
  Result(Call(OpenWebAddress, {Txt("C:\\Windows\\notepad.exe")}));
  Result(Call(OpenWebAddress, {Omitted()}));
  Result(Call(OpenWebAddress, {}));
  Result none(Call(OpenWebAddress, {Txt("https://x.example")}));
  EXPECT_EQ(none->type, rt::type::kNone);
  ASSERT_EQ(host->opened_addresses().size(), 4u);
  EXPECT_EQ(host->opened_addresses()[0], "http://www.example.com");
  EXPECT_EQ(host->opened_addresses()[1], kDefaultHomePage);
  EXPECT_EQ(host->opened_addresses()[2], kDefaultHomePage);
  EXPECT_EQ(host->opened_addresses()[3], "https://x.example");
}

}  // namespace
}  // namespace commands
