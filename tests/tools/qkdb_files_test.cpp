// The files qkdb works on: nothing is overwritten unasked, a name finds the
// file the notebook wrote, an index lies where mkindex and --index both look,
// and every message about a file names it.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/qkdb_test_support.h"

namespace qkdbtest {
namespace {

namespace fs = std::filesystem;

TEST(Create, RefusesAnExistingDatabaseOrAuxiliaryFileUnlessForced) {
  NotebookFolder folder;
  ASSERT_TRUE(folder.created());
  ASSERT_EQ(Qkdb({"add", folder.notebook(), "11", "site", "url", "me", "pw", "", "2024-03-01"}).code, 0);
  const std::string before = ReadFileBytes(folder.notebook());

  Outcome refused = Qkdb({"create", folder.notebook(), "x:3"});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find(folder.notebook() + " already exists: qkdb create --force replaces it"), std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadFileBytes(folder.notebook()), before);

  // An auxiliary file left beside a new name is not overwritten either.
  const std::string memo_db = folder.File("notes.vdb");
  WriteFileBytes(folder.File("notes.VDT"), "an older auxiliary file");
  refused = Qkdb({"create", memo_db, "body:12"});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("notes.VDT already exists"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(memo_db));

  EXPECT_EQ(Qkdb({"create", folder.notebook(), "x:3", "--force"}).code, 0);
  EXPECT_NE(Qkdb({"info", folder.notebook()}).out.find("\"records\":0"), std::string::npos);
}

TEST(Names, EveryFileErrorNamesTheFile) {
  qktest::TempFolder folder;
  const std::string missing = folder.File("missing.vdb");
  Outcome outcome = Qkdb({"dump", missing});
  EXPECT_EQ(outcome.code, 1);
  EXPECT_NE(outcome.err.find(missing + ": "), std::string::npos) << outcome.err;
  // The engine's own text and code, then what to do in English.
  EXPECT_NE(outcome.err.find(U8(u8"指定文件未找到 (-3)\nqkdb: Check the file's name and folder.")), std::string::npos)
      << outcome.err;

  WriteFileBytes(folder.File("junk.vdb"), std::string(200, 'j'));
  outcome = Qkdb({"info", folder.File("junk.vdb")});
  EXPECT_NE(outcome.err.find(folder.File("junk.vdb") + ": " + U8(u8"指定文件不是数据库文件 (-22)")), std::string::npos)
      << outcome.err;
}

#ifndef _WIN32
// POSIX names differ by letter case; the notebook writes user.vdb, the
// engine's default extension is .VDB.
TEST(Names, ANameWithoutExtensionFindsTheLowerCaseFileAndSaysWhatWasTried) {
  NotebookFolder folder;
  ASSERT_TRUE(folder.created());
  const std::string bare = folder.File("user");
  Outcome found = Qkdb({"info", bare});
  EXPECT_EQ(found.code, 0) << found.err;

  Outcome missing = Qkdb({"dump", folder.File("other")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("there is no database " + folder.File("other.VDB") + " or " + folder.File("other.vdb")),
            std::string::npos)
      << missing.err;

  // Both spellings present: qkdb will not guess.
  fs::copy_file(folder.notebook(), folder.File("user.VDB"));
  Outcome both = Qkdb({"info", bare});
  EXPECT_EQ(both.code, 1);
  EXPECT_NE(both.err.find("give the one you mean"), std::string::npos) << both.err;

  // create with a bare name refuses the lower-case file it would shadow.
  fs::remove(folder.File("user.VDB"));
  Outcome create = Qkdb({"create", bare, "x:3"});
  EXPECT_EQ(create.code, 1);
  EXPECT_NE(create.err.find(folder.notebook() + " already exists"), std::string::npos) << create.err;
}
#endif

TEST(Names, MkindexAndIndexPutABareIndexNameBesideTheDatabase) {
  NotebookFolder folder;
  ASSERT_TRUE(folder.created());
  ASSERT_EQ(Qkdb({"add", folder.notebook(), "11", "b", "u", "me", "pw", "", "2024-03-01"}).code, 0);
  // Run from another folder than the database's.
  const fs::path here = fs::current_path();
  qktest::TempFolder elsewhere;
  fs::current_path(elsewhere.path());
  Outcome made = Qkdb({"mkindex", "by_name", folder.notebook(), "id"});
  Outcome used = Qkdb({"--index", "by_name", "add", folder.notebook(), "12", "a", "u", "you", "pw", "", "2024-03-02"});
  Outcome checked = Qkdb({"index-check", "by_name", folder.notebook()});
  Outcome again = Qkdb({"mkindex", "by_name", folder.notebook(), "id"});
  Outcome forced = Qkdb({"mkindex", "by_name", folder.notebook(), "id,Time", "--force"});
  const bool stray = fs::exists(elsewhere.File("by_name.VNX"));
  fs::current_path(here);

  EXPECT_EQ(made.code, 0) << made.err;
  EXPECT_TRUE(fs::exists(folder.File("by_name.VNX")));
  EXPECT_FALSE(stray) << "the index went to the current folder";
  EXPECT_EQ(used.code, 0) << used.err;
  EXPECT_EQ(checked.code, 0) << checked.out;
  EXPECT_NE(checked.out.find("ok: 2 entries"), std::string::npos) << checked.out;
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("by_name.VNX already exists: qkdb mkindex --force replaces it"), std::string::npos) << again.err;
  EXPECT_EQ(forced.code, 0) << forced.err;

  Outcome absent = Qkdb({"--index", "nothing", "dump", folder.notebook()});
  EXPECT_EQ(absent.code, 1);
  EXPECT_NE(absent.err.find(folder.File("nothing.VNX") + ": " + U8(u8"打开指定索引文件失败 (-30)")), std::string::npos)
      << absent.err;
}

}  // namespace
}  // namespace qkdbtest
