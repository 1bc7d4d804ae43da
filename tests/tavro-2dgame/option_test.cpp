// The settings menu in-process: every screen byte for byte and the bounds of each value. The
// key entry and a game with the new keys are played through the built program (e2e_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro2d::testing {
namespace {

using Settings = ProgramTest;

TEST_F(Settings, EachScreenKeepsAskingUntilItsValueIsInRange) {
  struct Case {
    std::string_view input;
    std::string shown;
  };
  const std::string options = settings_menu();
  const Case cases[] = {
      {"0|7|-1|x|6", repeat(options, 5)},
      {"1|9|25|0|-5|100|24|6", options + repeat(rows_screen("15"), 6) + settings_menu("24")},
      {"1|10|6", options + rows_screen("15") + settings_menu("10")},
      {"2|9|61|60|2|10|6", options + repeat(cols_screen("30"), 3) + settings_menu("15", "60") +
                               cols_screen("60") + settings_menu("15", "10")},
      {"3|0|4|9|10|-1|1|3|3|6", options + repeat(difficulty_screen("2"), 6) +
                                    settings_menu("15", "30", "1") + difficulty_screen("1") +
                                    settings_menu("15", "30", "3")},
      {"4|2|-1|1|4|0|6", options + repeat(debug_screen("OFF"), 3) +
                             settings_menu("15", "30", "2", "ON ") + debug_screen("ON ") + options},
      {"5|0|5|2|5|x|6", options + key_config_screen("8kuo") + options + key_config_screen("8kuo") +
                            options + key_config_screen("8kuo") + options},
  };
  for (const Case& c : cases) {
    ws = Storage{};
    host.output.clear();
    EXPECT_EQ(run(option, typed(c.input)), -1) << c.input;
    EXPECT_EQ(host.output, c.shown) << c.input;
  }

  // The menu shows the debug text as the mode is, whatever set the mode.
  ws = Storage{};
  ws.DEBUG_MODE = 1;
  host.output.clear();
  run(option, "6\n");
  EXPECT_EQ(host.output, settings_menu("15", "30", "2", "ON "));

  // Entry 6 goes back to the title; the settings stay for the rest of the run.
  host.output.clear();
  EXPECT_EQ(run(main_menu, typed("2|1|12|6|2|6|3")), 0);
  EXPECT_EQ(host.output, menu(false) + settings_menu("15", "30", "2", "ON ") + rows_screen("15") +
                             settings_menu("12", "30", "2", "ON ") + menu(false) +
                             settings_menu("12", "30", "2", "ON ") + menu(false));
}

}  // namespace
}  // namespace tavro2d::testing
