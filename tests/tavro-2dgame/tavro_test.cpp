// The program entry and the main menu in-process.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro2d::testing {
namespace {

using Menu = ProgramTest;

TEST_F(Menu, FirstCallGivesEveryItemItsInitialValueAndLaterCallsKeepThem) {
  ws.CLEARED_FLAG = 1;  // left over from before the run: the first call resets it
  ws.RUN_FLAG = 0;
  EXPECT_EQ(run(entry, "3\n"), 0);
  EXPECT_EQ(host.output, menu(false));
  EXPECT_EQ(ws.CURRENT_DATE_AREA, "2024050612345678+0900") << "seeded from the clock";

  ws.RUN_FLAG = 1;
  ws.CLEARED_FLAG = 1;
  host.output.clear();
  EXPECT_EQ(run(entry, "2\n6\n3\n"), 0);
  EXPECT_EQ(host.output, menu(true) + settings_menu() + menu(true))
      << "a later call keeps the items: entry 4 stays";
}

TEST_F(Menu, AnswersThatNameNoEntryRedrawTheTitle) {
  EXPECT_EQ(run(main_menu, "4\n0\n-1\n9\nx\n\n3\n"), 0);
  EXPECT_EQ(host.output, repeat(menu(false), 7));
  EXPECT_EQ(host.writes.size(), 7U) << "one write per screen";
}

// The end of input at any read, even in the middle of a line, ends the run with status 0: the
// input is cut at every byte of a run through every settings screen, a game and both bonus
// scripts. A last line without its line end still counts, and what was gathered is shown.
TEST_F(Menu, EndOfInputAnywhereEndsTheRunWithStatusZero) {
  const std::string full =
      typed("2|1|12|2|20|3|1|4|1|5|1|a|b|c|d|6|1|exit|4|0|2|2|1|2|0|1|2|4|1|1|0|1|3");
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    reset_program();
    ws.CLEARED_FLAG = 1;
    ASSERT_EQ(run(main_menu, full.substr(0, cut)), 0) << cut;
    ASSERT_EQ(host.unread(), 0U) << cut;
  }
  EXPECT_EQ(ws.MAP_ROWS, 12) << "the whole script went through every screen";
  EXPECT_EQ(ws.MAP_COLS, 20);
  EXPECT_EQ(ws.DIFFICULTY, 1);
  EXPECT_EQ(ws.DEBUG_MODE, 1);
  EXPECT_EQ(ws.KEY_RIGHT, "d");

  host.output.clear();
  EXPECT_EQ(run(entry, "1"), 0);
  EXPECT_TRUE(host.output.ends_with(kMovePrompt)) << "the 1 started a game";
}

}  // namespace
}  // namespace tavro2d::testing
