// The simulated desktop's clipboard clearing: due only when the clock has
// moved on far enough, and only while the clipboard holds what was put there.
#include <gtest/gtest.h>

#include "platform/sim/sim_host.h"

namespace {

using platform::sim::SimHost;

TEST(SimClipboard, ClearingFallsDueWithTheClockAndOnlyForOurText) {
  SimHost host;
  ASSERT_TRUE(host.SetClipboardText("pw"));
  host.ScheduleClipboardClear(30);
  EXPECT_EQ(host.clipboard_clear_due_in(), 30u);
  host.WaitSeconds(29);
  EXPECT_EQ(host.clipboard(), "pw");
  host.WaitSeconds(1);
  EXPECT_FALSE(host.clipboard().has_value());
  EXPECT_FALSE(host.clipboard_clear_due_in().has_value());

  // Another program's text is left alone, when due and when asked directly.
  ASSERT_TRUE(host.SetClipboardText("pw"));
  host.ScheduleClipboardClear(5);
  host.CopyFromOtherProgram("theirs");
  host.WaitSeconds(10);
  EXPECT_EQ(host.clipboard(), "theirs");
  EXPECT_FALSE(host.ClearClipboardIfOurs());

  // 0 cancels a scheduled clearing.
  ASSERT_TRUE(host.SetClipboardText("pw"));
  host.ScheduleClipboardClear(5);
  host.ScheduleClipboardClear(0);
  host.WaitSeconds(10);
  EXPECT_EQ(host.clipboard(), "pw");
}

TEST(SimClipboard, WaitingMovesTheLocalClockAcrossDaysAndYears) {
  SimHost host;
  host.SetClock(platform::LocalTime{2023, 12, 31, 23, 59, 50});
  host.WaitSeconds(15);
  platform::LocalTime t = host.LocalNow();
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.second, 5);
  host.SetClock(platform::LocalTime{2024, 2, 28, 12, 0, 0});
  host.WaitSeconds(86400);
  EXPECT_EQ(host.LocalNow().day, 29);
}

}  // namespace
