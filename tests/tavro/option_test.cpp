// The settings screens of tavro in-process: every screen byte for byte, the accepted and the
// rejected answers, and the next game played with the new settings.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro {
namespace {

using testing::debug_screen;
using testing::kClear;
using testing::key_config_screen;
using testing::key_step_screen;
using testing::move_prompt;
using testing::repeat;
using testing::settings_menu;
using testing::size_screen;

class Settings : public testing::ProgramTest {
 protected:
  // Runs the settings menu on `input`, typed after what came before, until it returns; gives
  // what it printed.
  std::string run_option(const std::string& input) {
    host_.input += input;
    host_.output.clear();
    option();
    console_.flush();
    EXPECT_EQ(host_.unread(), 0U) << "the menu returned before the script ended";
    return host_.output;
  }
};

using KeyConfig = Settings;

TEST_F(Settings, MenuShowsTheInitialValuesAndRedrawsOnAnswersThatNameNoEntry) {
  // 0, 6, letters and -5 redraw; the empty line redraws nothing; 5 returns.
  EXPECT_EQ(run_option("0\n6\nx\n\n-5\n5\n"), repeat(settings_menu(15, 30, false), 5));
}

TEST_F(Settings, MapSizeScreensAcceptOnlyTheirInclusiveRange) {
  struct Case {
    const char* entry;
    bool rows;
    int most;
    int& setting;
    int initial;
  };
  for (const Case& k :
       {Case{"1", true, 24, global_col, 15}, Case{"2", false, 60, global_row, 30}}) {
    reset_settings();
    const std::string too_many = std::to_string(k.most + 1);
    const std::string most = std::to_string(k.most);
    // Rejected: 9, one beyond the top, letters, a lone sign; an empty line is skipped. The
    // accepted top has letters behind it, which the menu's next read throws away.
    const std::string input = std::string(k.entry) + "\n9\n" + too_many + "\nabc\n-\n\n" + most +
                              "abc\n" + k.entry + "\n10\n5\n";
    const auto menu = [&](int value) {
      return k.rows ? settings_menu(value, 30, false) : settings_menu(15, value, false);
    };
    EXPECT_EQ(run_option(input), menu(k.initial) + repeat(size_screen(k.rows, k.initial), 5) +
                                     menu(k.most) + size_screen(k.rows, k.most) + menu(10))
        << "entry " << k.entry;
    EXPECT_EQ(k.setting, 10);
  }
}

TEST_F(Settings, DebugModeTakesOnlyOneOrZero) {
  // 5, letters (the preset 9) and 2 ask again, an empty line redraws nothing; 1 turns it on;
  // -1 asks again, 0 turns it off.
  EXPECT_EQ(run_option("3\n5\nx\n\n2\n1\n3\n-1\n0\n5\n"),
            settings_menu(15, 30, false) + repeat(debug_screen(false), 4) +
                settings_menu(15, 30, true) + repeat(debug_screen(true), 2) +
                settings_menu(15, 30, false));
  EXPECT_EQ(debug, 0);
  run_option("3\n1\n5\n");
  EXPECT_EQ(debug, 1);
}

TEST_F(KeyConfig, MenuReturnsOnAnyAnswerButOne) {
  // 0, letters and 11 return; the empty line before the 0 redraws nothing.
  EXPECT_EQ(run_option("4\n\n0\n4\nx\n4\n11\n5\n"),
            repeat(settings_menu(15, 30, false) + key_config_screen("8kuo"), 3) +
                settings_menu(15, 30, false));
}

TEST_F(KeyConfig, EntryStepsStoreOnlyOneByteWords) {
  // Up: "a b" stores a and drops b. Down: two letters, a two-byte character, 10, then an empty
  // line that redraws nothing, then w. Left: s between blanks. Right: d.
  const std::string input = "4\n1\na b\nxy\n\x82\xa0\n10\n\nw\n  s  \nd\n0\n5\n";
  EXPECT_EQ(run_option(input), settings_menu(15, 30, false) + key_config_screen("8kuo") +
                                   key_step_screen("8kuo", 0) +
                                   repeat(key_step_screen("akuo", 1), 4) +
                                   key_step_screen("awuo", 2) + key_step_screen("awso", 3) +
                                   key_config_screen("awsd") + settings_menu(15, 30, false));
  EXPECT_EQ(std::string({key_up, key_down, key_left, key_right}), "awsd");
}

TEST_F(KeyConfig, FirstWordMayComeFromTheRestOfTheMenuLine) {
  // Nothing is discarded before a key is read, so what follows the 1 is the up key.
  EXPECT_EQ(run_option("4\n1 z\nk\nu\no\n0\n5\n"),
            settings_menu(15, 30, false) + key_config_screen("8kuo") + key_step_screen("8kuo", 0) +
                key_step_screen("zkuo", 1) + key_step_screen("zkuo", 2) +
                key_step_screen("zkuo", 3) + key_config_screen("zkuo") +
                settings_menu(15, 30, false));
}

TEST_F(Settings, NextGameUsesTheNewSizeDebugModeAndKeys) {
  // A 10 x 12 map with debug on; up and down are both x, so x moves up.
  run_option("1\n10\n2\n12\n3\n1\n4\n1\nx\nx\nl\nr\n0\n5\n");
  host_.output.clear();
  host_.draws.assign(10 * 12, 0);
  host_.draws[2 * 12 + 3] = 1;  // one mine, at row 2, column 3
  host_.input += "x\nexit\n";
  EXPECT_EQ(game_main(), -9);
  console_.flush();
  const auto screen = [](int player_row) {
    std::string s(kClear);
    for (int r = 0; r < 10; ++r) {
      std::string line(12, '-');
      line[3] = r == 2 ? '*' : '-';
      line[6] = r == player_row ? '#' : r > player_row && r <= 5 ? 'o' : '-';
      s += line + "\n";
    }
    return s + move_prompt("xxlr");
  };
  // The empty rest of the menu's last answer line comes first: the first map is drawn twice.
  EXPECT_EQ(host_.output, screen(5) + screen(5) + screen(4));
}

}  // namespace
}  // namespace tavro
