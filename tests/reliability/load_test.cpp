// Several processes on one database in share mode 1: writers adding while
// readers load the list as the notebook does and one process rewrites
// passwords. Nothing is lost or doubled, serial numbers stay unique, and no
// reader ever sees a half-written password. QK_LOAD_RECORDS sets the
// records per writer. Prints the adds per second with 1, 2 and 4 writers.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/system.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/load_table.h"
#include "tests/support/temp_folder.h"

namespace reltest {
namespace {

constexpr int kOriginals = 50;

// Adds with `writers` processes (and the readers and the rewriter when
// `with_readers`); returns the records added per second.
double RunLoad(const qktest::TempFolder& folder, int writers, int per_writer, bool with_readers) {
  const std::string path = folder.File("load" + std::to_string(writers) + ".vdb");
  const std::string stop = folder.File("stop" + std::to_string(writers));
  EXPECT_EQ(CreateLoadTable(path, kOriginals), 0);
  std::vector<std::unique_ptr<Child>> others;
  if (with_readers) {
    others.push_back(std::make_unique<Child>(std::vector<std::string>{"load-list", path, stop}));
    others.push_back(std::make_unique<Child>(std::vector<std::string>{"load-list", path, stop}));
    others.push_back(std::make_unique<Child>(std::vector<std::string>{"load-rewrite", path, stop}));
  }
  const std::uint32_t start = platform::MonotonicTickCount();
  std::vector<std::unique_ptr<Child>> adders;
  for (int w = 0; w < writers; ++w)
    adders.push_back(std::make_unique<Child>(
        std::vector<std::string>{"load-add", path, std::to_string(per_writer) + ":w" + std::to_string(w)}));
  for (auto& a : adders) EXPECT_EQ(a->Wait(), 0) << "a writer failed";
  const double seconds = (platform::MonotonicTickCount() - start + 1) / 1000.0;
  std::ofstream(stop) << "stop";
  for (auto& o : others) EXPECT_EQ(o->Wait(), 0) << "a reader saw a half-written password, or failed";
  EXPECT_EQ(CheckLoadTable(path, kOriginals, writers, per_writer), "");
  return writers * per_writer / seconds;
}

TEST(MultiProcessLoad, FourWritersTwoListLoadersAndARewriter) {
  qktest::TempFolder folder;
  const int per_writer = CountFromEnvironment("QK_LOAD_RECORDS", 1000);
  double rate = RunLoad(folder, 4, per_writer, true);
  std::printf("4 writers with 2 list loaders and a rewriter: %.0f records added/s\n", rate);
}

TEST(MultiProcessLoad, ThroughputWithOneTwoAndFourWriters) {
  qktest::TempFolder folder;
  const int total = CountFromEnvironment("QK_LOAD_RECORDS", 1000);
  for (int writers : {1, 2, 4}) {
    double rate = RunLoad(folder, writers, total / writers, false);
    std::printf("%d writer(s): %.0f records added/s\n", writers, rate);
  }
}

}  // namespace
}  // namespace reltest
