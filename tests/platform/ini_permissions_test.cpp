// INI files the program writes: a new one is readable by its owner only
// (user.ini holds the notebook's settings); an existing one keeps its mode.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/ini.h"
#include "tests/support/file_mode.h"
#include "tests/support/temp_folder.h"

namespace {

using qktest::ModeOf;

TEST(IniPermissions, NewFileIsOwnerOnlyWhateverTheUmask) {
  qktest::TempFolder folder;
  std::string path = folder.path().string() + "/user.ini";
  mode_t old_mask = ::umask(0);
  bool written = platform::WriteIniString(path.c_str(), "user", "clipboard", "30");
  ::umask(old_mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(ModeOf(path), 0600u);
  ASSERT_TRUE(platform::WriteIniString(path.c_str(), "user", "name", "x"));
  EXPECT_EQ(ModeOf(path), 0600u);
}

TEST(IniPermissions, ExistingFileKeepsItsMode) {
  qktest::TempFolder folder;
  std::string path = folder.path().string() + "/shared.ini";
  std::ofstream(path) << "[a]\nb=1\n";
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(platform::WriteIniString(path.c_str(), "a", "c", "2"));
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(platform::ReadIniString(path.c_str(), "a", "b", "", 64), "1");
}

}  // namespace
#endif
