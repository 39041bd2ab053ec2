// The program folder comes from the host's idea of where the program lies,
// so a simulated desktop can run a program "installed" in any folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_host.h"
#include "platform/system.h"
#include "runtime/services.h"
#include "runtime/state.h"
#include "tests/support/temp_folder.h"

namespace {

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::ResetRuntime();
    start_directory_ = platform::CurrentDirectory();
  }
  void TearDown() override {
    platform::ChangeDirectory(start_directory_);
    rt::ResetRuntime();
  }
  std::string start_directory_;
  platform::sim::ScopedSimHost host_;
};

TEST_F(ProgramFolderTest, StartUpTakesTheFolderAndFileFromTheHostAndMakesTheFolderCurrent) {
  qktest::TempFolder folder;
  host_->SetProgramPath(folder.File("notebook.exe"));
  rt::ProgramHeader header;
  rt::StartUp(header);
  EXPECT_EQ(rt::State().program_folder, folder.path().string());
  EXPECT_EQ(rt::State().program_file, "notebook.exe");
  EXPECT_TRUE(std::filesystem::equivalent(platform::CurrentDirectory(), folder.path()));
  // Requests 2003 and 2004 answer the same.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rt::Request(2003, 0, 0))), folder.path().string());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rt::Request(2004, 0, 0))), "notebook.exe");
}

TEST_F(ProgramFolderTest, WithoutAPlaceTheExecutableItselfIsTheProgram) {
  rt::ProgramHeader header;
  rt::StartUp(header);
  std::string path = platform::ExecutablePath();
  std::size_t cut = path.find_last_of("\\/");
  ASSERT_NE(cut, std::string::npos);
  EXPECT_EQ(rt::State().program_folder, path.substr(0, cut));
  EXPECT_EQ(rt::State().program_file, path.substr(cut + 1));
}

}  // namespace
