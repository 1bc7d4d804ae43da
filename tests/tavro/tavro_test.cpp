// Start-up, greeting, title and main menu of tavro, played in-process from start to end.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro {
namespace {

using testing::blanks;
using testing::FakeHost;
using testing::greeting;
using testing::kClear;
using testing::move_prompt;
using testing::repeat;
using testing::title;

// The default 15 x 30 map without mines, the player at row `row` of column 15, the cells
// below it visited.
std::string column_walk_map(int row, int first_visited, int last_visited) {
  std::string map;
  for (int r = 0; r < 15; ++r) {
    std::string line(30, '-');
    if (r >= first_visited && r <= last_visited) {
      line[15] = 'o';
    }
    if (r == row) {
      line[15] = '#';
    }
    map += line + "\n";
  }
  return map;
}

TEST(StartUp, GreetingThenTitleThenEnd) {
  FakeHost host("3\n");
  EXPECT_EQ(testing::play_run(host), 0);
  EXPECT_EQ(host.output, greeting() + title(false));
  ASSERT_EQ(host.writes.size(), 2U) << "one write for the greeting, one for the title";
  EXPECT_EQ(host.writes[0], greeting());
}

// The console is the caller's: once run returns, a screen routine must not reach a dead one.
TEST(StartUpDeathTest, RunLeavesNoConsoleInstalledOnItsWayOut) {
  FakeHost host("3\n");
  EXPECT_EQ(testing::play_run(host), 0);
  EXPECT_DEATH(con(), "");
}

TEST(StartUp, GreetingWaitsUntilFiveWholeSecondsWithoutAKey) {
  FakeHost host("3\n");
  const std::int64_t start_second = host.now_ms / 1000;
  host.input_arrives_ms = host.now_ms + 60'000;
  EXPECT_EQ(testing::play_run(host), 0);
  EXPECT_EQ(host.now_ms, (start_second + 5) * 1000)
      << "ends at the reading five seconds past the first: 4.75 s here";
  EXPECT_EQ(host.output, greeting() + title(false));
}

TEST(StartUp, KeyEndsTheGreetingAndIsLeftForTheMenu) {
  FakeHost host("3\n");
  host.input_arrives_ms = host.now_ms + 2100;
  EXPECT_EQ(testing::play_run(host), 0) << "the 3 that ended the greeting chose the menu's entry 3";
  EXPECT_EQ(host.now_ms, host.input_arrives_ms);
  EXPECT_EQ(host.output, greeting() + title(false));
}

TEST(MainMenu, AnswersThatNameNoEntryRedrawTheTitle) {
  // 4 before a win, 12 with letters behind it, an empty line (no redraw: the read goes on),
  // a letter, 0, a negative number.
  FakeHost host("4\n12abc\n\nx\n0\n-1\n3\n");
  EXPECT_EQ(testing::play_run(host), 0);
  EXPECT_EQ(host.output, greeting() + repeat(title(false), 6));
}

// The end of input at any read, even in the middle of a line, ends the run with status 0: the
// input is cut at every byte of a run through the settings, a won game and both bonus scripts.
// Nothing follows the last prompt, and a number the input ends in still counts.
TEST(MainMenu, EndOfInputAnywhereEndsTheRunWithStatusZero) {
  // Keys a b c d, debug on and 12 rows; a game won by seven moves up; then each script once.
  const std::string full =
      "2\n4\n1\na\nb\nc\nd\n0\n3\n1\n1\n12\n5\n1\na\na\na\na\na\na\na\nk\n"
      "4\n0\nab1\nc1\nd4\n\n1\n1\n1\n0\n2\n1\n0123\nk3\n";
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    FakeHost host(full.substr(0, cut));
    EXPECT_EQ(testing::play_run(host), 0) << cut;
    EXPECT_EQ(host.unread(), 0U) << cut;
  }
  EXPECT_EQ(omake, 1) << "the whole script wins the game";
  EXPECT_EQ(global_col, 12);

  const std::string menu_prompt("input 1 ～ 3 ->"_sj);
  struct Case {
    const char* input;
    std::string last;
  };
  for (const Case& c : {Case{"", menu_prompt}, Case{"\n\n  \n", menu_prompt},
                        Case{"x", menu_prompt}, Case{"1", move_prompt()}}) {
    FakeHost host(c.input);
    EXPECT_EQ(testing::play_run(host), 0) << '"' << c.input << '"';
    EXPECT_TRUE(host.output.ends_with(c.last)) << '"' << c.input << '"';
  }
}

TEST(MainMenu, QuitGameReturnsAtOnceWithoutMessageOrKey) {
  FakeHost host("1\nexit\n3\n");
  EXPECT_EQ(testing::play_run(host), 0);
  const std::string map = std::string(kClear) + column_walk_map(7, 7, 7) + move_prompt();
  // The rest of the menu answer's line is the first move line: the map is drawn twice.
  EXPECT_EQ(host.output, greeting() + title(false) + map + map + title(false));
  EXPECT_TRUE(host.pauses.empty());
  EXPECT_EQ(omake, 0);
}

TEST(MainMenu, WinUnlocksTheBonusAfterThePauseAndOneKey) {
  // No mines; eight moves up leave the map from row 7. The key after the pause is "k"; the
  // line break behind it is an empty line, which the menu's number read skips.
  // Entry 4 then opens the bonus: the empty line runs the telephone, which 2 ends at once.
  FakeHost host("1\n8\n8\n8\n8\n8\n8\n8\n8\nk\n4\n\n2\nz3\n");
  EXPECT_EQ(testing::play_run(host), 0);
  std::string expected = greeting() + title(false);
  const std::string first = std::string(kClear) + column_walk_map(7, 7, 7) + move_prompt();
  expected += first + first;
  for (int row = 6; row >= 0; --row) {
    expected += std::string(kClear) + column_walk_map(row, row + 1, 7) + move_prompt();
  }
  expected += std::string(kClear) + column_walk_map(-1, 0, 7) + "clear!!\n";
  expected += title(true) + testing::bonus::kMenu + std::string(kClear) + testing::bonus::kTake +
              testing::bonus::kTakenFirst + title(true);
  EXPECT_EQ(host.output, expected);
  EXPECT_EQ(host.pauses, std::vector<unsigned>{499999999});
  EXPECT_EQ(omake, 1);
  EXPECT_EQ(host.seeds.size(), 1U);
}

TEST(MainMenu, LossLeavesTheBonusLockedAndWaitsForAKey) {
  FakeHost host("1\n8\n");
  host.draws.assign(15 * 30, 0);
  host.draws[6 * 30 + 15] = 11;  // a mine straight above the start
  host.input += "\n3\n";         // the key, then entry 3
  EXPECT_EQ(testing::play_run(host), 0);
  std::string lost_map = column_walk_map(-1, 7, 7);
  lost_map[6 * 31 + 15] = 'X';
  const std::string first = std::string(kClear) + column_walk_map(7, 7, 7) + move_prompt();
  EXPECT_EQ(host.output, greeting() + title(false) + first + first + std::string(kClear) +
                             lost_map + "gameover!!\n" + title(false));
  EXPECT_EQ(host.pauses.size(), 1U);
  EXPECT_EQ(omake, 0);
}

TEST(Locate, PrintsBreaksThenBlanks) {
  FakeHost host;
  Console console(host, host);
  use_console(&console);
  locate(0, 25);
  locate(2, 0);
  locate(-3, -1);
  locate(1, 2);
  console.flush();
  EXPECT_EQ(host.output, blanks(25) + "\n\n" + "\n  ");
}

}  // namespace
}  // namespace tavro
