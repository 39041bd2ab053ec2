// Kill trials for import: qkdb imports a few thousand rows in a child
// process and is killed without warning (SIGKILL, TerminateProcess), at a
// random moment or as soon as its rollback copy shows that it is writing.
// Afterwards the notebook opens and is either exactly as before, byte for
// byte, or holds every row: never a part. QK_KILL_TRIALS sets the number of
// trials, QK_KILL_SEED the random start.
#include <gtest/gtest.h>

#include <random>

#include "db/engine.h"
#include "db/registry.h"
#include "db/rollback.h"
#include "platform/system.h"
#include "tests/reliability/child_process.h"
#include "tests/tools/qkdb_test_support.h"
#include "tools/qkdb/file_names.h"

namespace qkdbtest {
namespace {

constexpr int kRows = 3000;

std::string QkdbProgram() {
#ifdef _WIN32
  return reltest::BesideThisProgram(QKDB_EXECUTABLE_NAME);
#else
  return QKDB_EXECUTABLE;
#endif
}

TEST(ImportKillTrials, AKilledImportLeavesTheNotebookAsItWasOrComplete) {
  const int trials = reltest::CountFromEnvironment("QK_KILL_TRIALS", 12);
  std::mt19937 random(static_cast<unsigned>(reltest::CountFromEnvironment("QK_KILL_SEED", 20240611)));
  NotebookFolder folder;
  ASSERT_TRUE(folder.created());
  const std::string notebook = folder.notebook();
  for (int i = 1; i <= 5; ++i)
    ASSERT_EQ(Qkdb({"add", notebook, std::to_string(10 + i), "site" + std::to_string(i), "", "me", "pw", "", "2024-03-01"}).code, 0);
  std::string csv_text = "name,url,username,password,note\r\n";
  for (int i = 0; i < kRows; ++i)
    csv_text += "site " + std::to_string(i) + ",https://" + std::to_string(i) + ".example,user" + std::to_string(i) +
                ",pw" + std::to_string(i) + ",note\r\n";
  const std::string csv = folder.File("rows.csv");
  WriteFileBytes(csv, csv_text);
  const std::string baseline = ReadFileBytes(notebook);
  const std::string rollback = db::RollbackPath(notebook);

  // How long a whole import takes here, so the random kills fall inside it.
  std::uint32_t start = platform::MonotonicTickCount();
  {
    const std::string timing = folder.File("timing.vdb");
    WriteFileBytes(timing, baseline);
    reltest::Child child(QkdbProgram(), {"import", timing, csv});
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Wait(), 0);
  }
  const std::uint32_t whole = std::max<std::uint32_t>(platform::MonotonicTickCount() - start, 20);

  int untouched = 0, complete = 0, cut_short = 0;
  for (int t = 0; t < trials && !HasFailure(); ++t) {
    WriteFileBytes(notebook, baseline);
    {
      reltest::Child child(QkdbProgram(), {"import", notebook, csv});
      ASSERT_TRUE(child.started());
      if (t % 2 == 0) {
        std::uniform_int_distribution<std::uint32_t> delay(0, whole);
        platform::SleepMilliseconds(delay(random));
      } else {
        // As soon as it writes: the rollback copy exists from the first write
        // until the import is complete.
        for (std::uint32_t waited = 0; waited < 4 * whole && !qkdb::FileExists(rollback); ++waited)
          platform::SleepMilliseconds(1);
      }
      child.Kill();
    }
    if (qkdb::FileExists(rollback)) ++cut_short;
    // The next open for writing turns a cut-short import back.
    ASSERT_EQ(db::OpenDatabaseFile(notebook, db::OpenOptions{}), 0) << "trial " << t;
    db::CloseAllDatabases();
    EXPECT_FALSE(qkdb::FileExists(rollback)) << "trial " << t;
    if (ReadFileBytes(notebook) == baseline) {
      ++untouched;
      continue;
    }
    ++complete;
    Outcome info = Qkdb({"info", notebook});
    EXPECT_NE(info.out.find("\"records\":" + std::to_string(5 + kRows) + ","), std::string::npos)
        << "trial " << t << ": a part of the rows: " << info.out;
    EXPECT_EQ(Qkdb({"check", notebook}).out, "ok\n") << "trial " << t;
  }
  std::printf("import: %d kills, %d left it as it was, %d complete, %d cut short while writing\n", trials, untouched,
              complete, cut_short);
  EXPECT_GE(cut_short, 1) << "no kill fell while the import was writing";
}

}  // namespace
}  // namespace qkdbtest
