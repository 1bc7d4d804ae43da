// The built tavro-2dgame played through pipes: whole screens byte for byte, and the exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "process.hpp"
#include "screens.hpp"

namespace tavro2d::testing {
namespace {

using namespace std::chrono_literals;
using tavro::testing::Child;
using tavro::testing::ExitState;
using tavro::testing::program_under_test;
using tavro::testing::Ran;
using tavro::testing::run_piped;

const std::string kExe = program_under_test("TAVRO_2DGAME_EXE", TAVRO_2DGAME_EXE);

// The default 15 x 30 map during play, after `steps` moves up from the start at row 7,
// column 15: ground everywhere but the player and the trail below.
std::string playing_map(int steps) {
  std::vector<std::string> rows(15, std::string(29, '-'));
  for (int r = 7 - steps; r <= 7; ++r) {
    rows[static_cast<std::size_t>(r)][14] = r == 7 - steps ? '#' : 'o';
  }
  return map_screen(rows) + kMovePrompt;
}

TEST(PipedB, Entry3EndsTheRunAtTheTitle) {
  for (const char* input : {"3\n", "3\r\n", " 3 \n"}) {
    const Ran ran = run_piped(kExe, input, 10s);
    EXPECT_TRUE(ran.exit.exited);
    EXPECT_EQ(ran.exit.code, 0);
    EXPECT_EQ(ran.output, menu(false)) << '"' << input << '"';
  }
#ifndef TAVRO_UTF8_OUTPUT
  // The console's own bytes: ideographic spaces (81 40), then a star (81 9A) or a wave (81 60).
  const std::string out = run_piped(kExe, "3\n", 10s).output;
  const auto line = [&](int n) {
    std::size_t at = 25;
    for (int i = 0; i < n; ++i) {
      at = out.find('\n', at) + 1;
    }
    return out.substr(at, 16);
  };
  EXPECT_EQ(line(0), "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x9a");
  EXPECT_EQ(line(1).substr(0, 14), "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x60");
#endif
}

TEST(PipedB, MenuAnswersThatNameNoEntryRedrawTheTitle) {
  const Ran ran = run_piped(kExe, "4\n0\n9\nx\n\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  EXPECT_EQ(ran.output, repeat(menu(false), 6));
}

TEST(PipedB, ExitLeavesTheGameWithoutAMessageButExitWithABlankDoesNot) {
  const Ran ran = run_piped(kExe, "1\nexit \nexit\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  EXPECT_EQ(ran.output, menu(false) + playing_map(0) + playing_map(0) + menu(false));
}

TEST(PipedB, EndOfInputAtEveryPromptEndsWithStatusZero) {
  const std::string menu_prompt = menu(false).substr(title(false).size());
  for (const char* input : {"", "\n", "1\n", "1\n9\n", "1\nexit\n", "1\n8\n"}) {
    const Ran ran = run_piped(kExe, input, 10s);
    EXPECT_TRUE(ran.exit.exited) << '"' << input << '"';
    EXPECT_EQ(ran.exit.code, 0) << '"' << input << '"';
    EXPECT_TRUE(ran.output.ends_with(menu_prompt) || ran.output.ends_with(kMovePrompt))
        << "nothing follows the last prompt: \"" << input << '"';
  }
}

// Plays games walking up from the start until it has seen a win and a loss (the maps are
// random), and checks every screen: the maps during play exactly, the final map against its
// message, and the title with entry 4 from the first win on. The final screen has to stay up
// long enough to be read (1 to 3 s before the title replaces it), while the pause leaves the
// processor mostly idle.
TEST(PipedB, GamesWalkedUpUntilTheyEndAndTheTitleAfterAWin) {
  using Clock = std::chrono::steady_clock;
  const auto ends_with_message = [](std::string_view fresh) {
    return fresh.ends_with("clear!!\n") || fresh.ends_with("gameover!!\n");
  };
  double paused_seconds = 0;
  Child child = Child::piped(kExe);
  ASSERT_TRUE(child.read_until_ends_with(menu(false), 10s));
  ASSERT_EQ(child.take_new_output(), menu(false));
  bool won = false;
  bool lost = false;
  for (int game = 0; game < 400 && !(won && lost); ++game) {
    child.send("1\n");
    ASSERT_TRUE(child.read_until_ends_with(kMovePrompt, 10s));
    ASSERT_EQ(child.take_new_output(), playing_map(0));
    for (int step = 1;; ++step) {
      child.send("8\n");
      ASSERT_TRUE(child.read_until(
          [&](std::string_view fresh) {
            return fresh.ends_with(kMovePrompt) || ends_with_message(fresh);
          },
          10s));
      std::string fresh = child.take_new_output();
      if (ends_with_message(fresh)) {
        const auto shown = Clock::now();
        ASSERT_TRUE(child.read_until(
            [](std::string_view title) {
              return title.ends_with(menu(false)) || title.ends_with(menu(true));
            },
            10s));
        const double on_screen = std::chrono::duration<double>(Clock::now() - shown).count();
        EXPECT_GE(on_screen, 1.0) << "the final screen must stay readable";
        EXPECT_LE(on_screen, 3.0);
        paused_seconds += on_screen;
        fresh += child.take_new_output();
      }
      if (fresh.ends_with(kMovePrompt)) {
        ASSERT_LT(step, 8) << "row 7 is eight steps from the top edge";
        ASSERT_EQ(fresh, playing_map(step));
        continue;
      }
      // The final map: 15 rows of 60 after 25 empty lines, then the message and the title.
      std::vector<std::string> rows;
      std::size_t at = kClear.size();
      for (int r = 0; r < 15; ++r) {
        const std::size_t end = fresh.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        rows.push_back(fresh.substr(at, std::min<std::size_t>(29, end - at)));
        at = end + 1;
      }
      const bool cleared = step == 8;
      const std::string message = cleared ? "clear!!\n" : "gameover!!\n";
      for (int r = 0; r < 15; ++r) {
        for (int c = 0; c < 29; ++c) {
          const char shown = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
          if (c == 14 && r == 7 - step) {
            EXPECT_EQ(shown, 'X') << "the mine the player stepped on";
          } else if (c == 14 && r > 7 - step && r <= 7) {
            EXPECT_EQ(shown, 'o') << "the path walked";
          } else {
            EXPECT_TRUE(shown == '-' || shown == '*') << r << "," << c << ": " << shown;
          }
        }
      }
      won = won || cleared;
      lost = lost || !cleared;
      ASSERT_EQ(fresh, map_screen(rows) + message + menu(won));
      break;
    }
  }
  EXPECT_TRUE(won && lost);
  child.send("4\n");
  child.close_input();
  const auto exit = child.wait(10s);
  EXPECT_EQ(exit.code, 0);
  EXPECT_EQ(child.take_new_output(), kBonusMenu) << "4 opens the bonus";
  if (tavro::testing::kMeasuresResources) {
    EXPECT_LE(exit.cpu_seconds, paused_seconds / 5) << "the pauses sleep rather than spin";
  }
}

// A shortest route from the start that steps on no mine shown and leaves the map into the hidden
// column 0, which counts as off the map even where it holds a mine: directions 0 up, 1 down,
// 2 left, 3 right. `shown` holds the map rows as drawn, column 1 first. Empty when mines wall
// column 1 off from the start.
const int kRowStep[] = {-1, 1, 0, 0};
const int kColStep[] = {0, 0, -1, 1};
std::string safe_route(const std::vector<std::string>& shown, int row, int col) {
  const int rows = static_cast<int>(shown.size());
  const int cols = static_cast<int>(shown[0].size()) + 1;
  const auto at = [&](int r, int c) { return static_cast<std::size_t>(r * cols + c); };
  std::vector<std::string> route(at(rows, 0));
  std::vector<bool> seen(route.size());
  seen[at(row, col)] = true;
  std::deque<std::pair<int, int>> queue{{row, col}};
  while (!queue.empty()) {
    const auto [r, c] = queue.front();
    queue.pop_front();
    for (int d = 0; d < 4; ++d) {
      const int nr = r + kRowStep[d];
      const int nc = c + kColStep[d];
      if (nr >= 0 && nr < rows && nc >= 1 && nc < cols && !seen[at(nr, nc)] &&
          shown[static_cast<std::size_t>(nr)][static_cast<std::size_t>(nc - 1)] != '*') {
        seen[at(nr, nc)] = true;
        route[at(nr, nc)] = route[at(r, c)] + static_cast<char>('0' + d);
        queue.emplace_back(nr, nc);
      }
    }
  }
  std::string best;
  for (int r = 0; r < rows; ++r) {
    if (seen[at(r, 1)] && (best.empty() || route[at(r, 1)].size() + 1 < best.size())) {
      best = route[at(r, 1)] + '2';
    }
  }
  return best;
}

// Changes every setting through its screens (a 10 x 12 map, difficulty 1, debug on, keys typed
// as an empty line, a two-byte character, a digit and two letters), reads the mines off the
// first map, walks a safe route into column 0 with the new keys to a win, checking every screen,
// and then runs both bonus scripts, with lines typed at their pauses ignored.
TEST(PipedB, SettingsThenADebugGameWonWithNewKeysThenBothBonusScripts) {
  const std::string two_byte("あ"_sj);
  const std::string lead(1, two_byte[0]);
  const std::string keys = " " + lead + "7d";
  const std::string moves[] = {"\n", two_byte + "\n", "7\n", "dd\n"};
  const std::string prompt = "up ->   , down -> " + lead + " , left -> 7 , right -> d\n";
  const std::string on = "ON ";
  Child child = Child::piped(kExe);
  child.send("2\n1\n10\n2\n12\n3\n1\n4\n1\n5\n1\n\n" + two_byte + "\n7\ndd\n0\n6\n");
  const std::string settings =
      menu(false) + settings_menu() + rows_screen("15") + settings_menu("10") + cols_screen("30") +
      settings_menu("10", "12") + difficulty_screen("2") + settings_menu("10", "12", "1") +
      debug_screen("OFF") + settings_menu("10", "12", "1", on) + key_config_screen("8kuo") +
      key_entry_screen("8kuo", "up ->") + key_entry_screen(" kuo", "down ->") +
      key_entry_screen(" " + lead + "uo", "left ->") +
      key_entry_screen(" " + lead + "7o", "right ->") + key_config_screen(keys) +
      settings_menu("10", "12", "1", on) + menu(false);
  ASSERT_TRUE(child.read_until_ends_with(settings, 10s));
  ASSERT_EQ(child.take_new_output(), settings);

  bool won = false;
  for (int game = 0; game < 20 && !won; ++game) {
    child.send("1\n");
    ASSERT_TRUE(child.read_until_ends_with(prompt, 10s));
    const std::string first = child.take_new_output();
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < 10; ++r) {
      rows.push_back(first.substr(kClear.size() + r * 61, 11));  // columns 1 to 11
    }
    ASSERT_EQ(first, map_screen(rows) + prompt);
    ASSERT_EQ(rows[5][5], '#') << "the start, row 5 and column 6";
    // A 10 x 12 map without one mine at difficulty 1 has a chance of 0.9^110, about 1e-5.
    EXPECT_NE(first.find('*'), std::string::npos) << "debug mode shows the mines";
    // Up and back down, right and back left first, so that every new key moves the player.
    const std::string route = "0132" + safe_route(rows, 5, 6);
    if (route.size() == 4 || rows[4][5] == '*' || rows[5][6] == '*') {
      child.send("exit\n");
      ASSERT_TRUE(child.read_until_ends_with(menu(false), 10s));
      (void)child.take_new_output();
      continue;
    }
    std::size_t r = 5;
    std::size_t c = 6;
    for (std::size_t i = 0; i < route.size(); ++i) {
      const int d = route[i] - '0';
      rows[r][c - 1] = 'o';
      r = static_cast<std::size_t>(static_cast<int>(r) + kRowStep[d]);
      c = static_cast<std::size_t>(static_cast<int>(c) + kColStep[d]);
      child.send(moves[d]);
      if (i + 1 < route.size()) {
        rows[r][c - 1] = '#';
        ASSERT_TRUE(child.read_until_ends_with(prompt, 10s));
        ASSERT_EQ(child.take_new_output(), map_screen(rows) + prompt) << route << " " << i;
      }
    }
    ASSERT_TRUE(child.read_until_ends_with(menu(true), 10s));
    ASSERT_EQ(child.take_new_output(), map_screen(rows) + "clear!!\n" + menu(true)) << route;
    won = true;
  }
  ASSERT_TRUE(won);

  child.send("4\n0\n2\n2\n1\n2\n2\n2\n");
  const std::string school = kBonusMenu + school_script(1, 1) + kFineNoPc + menu(true);
  ASSERT_TRUE(child.read_until_ends_with(school, 10s));
  ASSERT_EQ(child.take_new_output(), school);
  using namespace tel;
  const std::string customer_to_number = "4\n1\nx\n1\n0\nx\n0\nx\nx\nx\n0\n3\nx\nx\nx\n1\n";
  const std::string telephone_up_to_number = kBonusMenu + kClear + kRing + kTime + kMorning + kWho +
                                             kCustomer + kAsked + kWhere + kVisitor + kCallBack;
  child.send(customer_to_number + "012\nx\n");
  const std::string telephone = telephone_up_to_number + number_noted("012          ") + menu(true);
  ASSERT_TRUE(child.read_until_ends_with(telephone, 10s));
  ASSERT_EQ(child.take_new_output(), telephone);
  // Ten mebibytes of digits: the first thirteen are kept, and the lines after them still count.
  std::string huge(10 * 1024 * 1024, '7');
  huge.front() = '0';
  child.send(customer_to_number + huge + "\nx\n3\n");
  child.close_input();
  const ExitState exit = child.wait(10s);
  EXPECT_EQ(exit.code, 0);
  if (tavro::testing::kMeasuresResources) {
    EXPECT_LT(exit.max_rss_kb, 64 * 1024);
  }
  EXPECT_EQ(child.take_new_output(),
            telephone_up_to_number + number_noted(huge.substr(0, 13)) + menu(true));
}

}  // namespace
}  // namespace tavro2d::testing
