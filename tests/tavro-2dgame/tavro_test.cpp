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

}  // namespace
}  // namespace tavro2d::testing
