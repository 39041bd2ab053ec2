// Files the engine makes hold the notebook's secrets: on POSIX the database,
// its auxiliary file and index files are readable by their owner only,
// whatever the umask says.
#ifndef _WIN32
#include <sys/stat.h>

#include "db/index/index_support.h"
#include "tests/db/db_test_support.h"
#include "tests/support/file_mode.h"

namespace {

using qktest::ModeOf;

class FilePermissions : public dbtest::EngineTest {};

TEST_F(FilePermissions, DatabaseAuxiliaryAndIndexFilesAreOwnerOnly) {
  std::string base = folder_.path().string() + "/notes";
  mode_t old_mask = ::umask(0);
  bool created = Create(base + ".VDB", dbtest::FieldArray({{"site", 10, 20}, {"remarks", 12, 0}}));
  ::umask(old_mask);
  ASSERT_TRUE(created);
  EXPECT_EQ(ModeOf(base + ".VDB"), 0600u);
  EXPECT_EQ(ModeOf(base + ".VDT"), 0600u);

  ASSERT_TRUE(Open(base + ".VDB"));
  old_mask = ::umask(0);
  int built = db::index::BuildIndexFile(*db::CurrentDatabase(), base + ".VNX", {"site"}, 512, 0, 0);
  ::umask(old_mask);
  ASSERT_EQ(built, 0);
  EXPECT_EQ(ModeOf(base + ".VNX"), 0600u);
}

}  // namespace
#endif
