// Where the Linux notebook keeps its files: beside the executable when a
// portable copy is there, $QUILLKEEP_HOME, the folder the Wine version
// used when it holds a notebook, else the user's data folder.
#ifndef _WIN32
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/posix/program_folder.h"
#include "tests/support/temp_folder.h"

namespace platform {
namespace {

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = temp_.File("home");
    bin_ = temp_.File("bin");
    std::filesystem::create_directories(home_);
    std::filesystem::create_directories(bin_);
    env_["HOME"] = home_;
  }
  std::string Choose() {
    return ChooseProgramFolder(bin_ + "/quillkeep", [this](const char* name) {
      auto it = env_.find(name);
      return it == env_.end() ? std::string() : it->second;
    });
  }
  static void Touch(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "[user]\n";
  }
  static unsigned Mode(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
  }

  qktest::TempFolder temp_;
  std::string home_, bin_;
  std::map<std::string, std::string> env_;
};

TEST_F(ProgramFolderTest, FreshUserGetsAPrivateDataFolder) {
  std::string chosen = Choose();
  EXPECT_EQ(chosen, home_ + "/.local/share/quillkeep");
  EXPECT_TRUE(std::filesystem::is_directory(chosen));
  EXPECT_EQ(Mode(chosen), 0700u);
  env_["XDG_DATA_HOME"] = temp_.File("data");
  EXPECT_EQ(Choose(), temp_.File("data") + "/quillkeep");
  env_["XDG_DATA_HOME"] = "relative/data";  // invalid, ignored
  EXPECT_EQ(Choose(), home_ + "/.local/share/quillkeep");
}

TEST_F(ProgramFolderTest, TheWineFolderIsKeptOnlyWhenItHoldsANotebook) {
  std::filesystem::create_directories(home_ + "/Quillkeep");  // only the copied executable was there
  EXPECT_EQ(Choose(), home_ + "/.local/share/quillkeep");
  Touch(home_ + "/Quillkeep/user.vdb");
  EXPECT_EQ(Choose(), home_ + "/Quillkeep");
}

TEST_F(ProgramFolderTest, TheOrderIsPortableCopyThenQuillkeepHomeThenTheRest) {
  Touch(home_ + "/Quillkeep/user.ini");
  env_["QUILLKEEP_HOME"] = temp_.File("chosen") + "/";
  EXPECT_EQ(Choose(), temp_.File("chosen")) << "the variable wins over the Wine folder";
  EXPECT_EQ(Mode(temp_.File("chosen")), 0700u);
  Touch(bin_ + "/user.ini");
  EXPECT_EQ(Choose(), bin_) << "a portable copy wins over everything";
}

TEST_F(ProgramFolderTest, ARelativeQuillkeepHomeBecomesAbsolute) {
  // The runtime moves into the folder and names files from it: a relative
  // name would be taken twice.
  env_["QUILLKEEP_HOME"] = "notes";
  std::string chosen = Choose();
  EXPECT_EQ(chosen, (std::filesystem::current_path() / "notes").string());
  std::filesystem::remove(chosen);
}

}  // namespace
}  // namespace platform
#endif
