// The built tavro played through pipes, as a script plays it: whole screens byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process.hpp"
#include "screens.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;

const std::string kExe = program_under_test("TAVRO_EXE", TAVRO_EXE);

std::vector<std::string> screens_of(const std::string& output) {
  std::vector<std::string> screens;
  std::size_t at = output.find(kClear);
  while (at != std::string::npos) {
    const std::size_t next = output.find(kClear, at + kClear.size());
    screens.push_back(output.substr(at, next == std::string::npos ? next : next - at));
    at = next;
  }
  return screens;
}

struct Drawing {
  std::vector<std::string> rows;
  std::string rest;  // what follows the map: the prompt, or the outcome message
};

// Splits a game screen into the default 15 x 30 map and what follows it.
Drawing parse_map(const std::string& screen) {
  Drawing d;
  std::size_t at = kClear.size();
  for (int r = 0; r < 15; ++r) {
    const std::size_t end = screen.find('\n', at);
    if (end == std::string::npos) {
      break;
    }
    d.rows.push_back(screen.substr(at, end - at));
    at = end + 1;
  }
  d.rest = screen.substr(std::min(at, screen.size()));
  return d;
}

int count(const Drawing& d, char c) {
  int n = 0;
  for (const auto& row : d.rows) {
    n += static_cast<int>(std::count(row.begin(), row.end(), c));
  }
  return n;
}

// A map drawn during play: 15 rows of 30 cells of ground, one player, no mine in sight.
void expect_playing_map(const Drawing& d, int player_row) {
  ASSERT_EQ(d.rows.size(), 15U);
  for (int r = 0; r < 15; ++r) {
    const auto& row = d.rows[static_cast<std::size_t>(r)];
    ASSERT_EQ(row.size(), 30U);
    for (int c = 0; c < 30; ++c) {
      const char cell = row[static_cast<std::size_t>(c)];
      if (r == player_row && c == 15) {
        EXPECT_EQ(cell, '#');
      } else if (c == 15 && r > player_row && r <= 7) {
        EXPECT_EQ(cell, 'o') << "the trail below the player";
      } else {
        EXPECT_EQ(cell, '-') << r << "," << c;
      }
    }
  }
  EXPECT_EQ(d.rest, move_prompt());
}

TEST(TavroPiped, GreetingTitleAndEntry3) {
  const Ran ran = run_piped(kExe, "3\n", 10s);
  EXPECT_TRUE(ran.exit.exited);
  EXPECT_EQ(ran.exit.code, 0);
  EXPECT_EQ(ran.output, greeting() + title(false));
  EXPECT_LT(ran.seconds, 3.0) << "waiting input ends the greeting at once";
}

// The pipe stays open in both cases: only input that has come, or the pipe's end, may cut the
// greeting short. Timed from the greeting on the pipe to the title, so that a slow start
// (wine's) does not count.
TEST(TavroPiped, GreetingOnAnOpenPipeWaitsForInput) {
  using Clock = std::chrono::steady_clock;
  const std::string greeting_end = "MIT License.\n";
  for (const bool typed_ahead : {false, true}) {
    SCOPED_TRACE(typed_ahead ? "input waiting" : "empty pipe");
    Child child = Child::piped(kExe);
    if (typed_ahead) {
      child.send("3\n");
    }
    ASSERT_TRUE(child.read_until(
        [&](std::string_view fresh) { return fresh.find(greeting_end) != std::string_view::npos; },
        20s));
    const auto shown = Clock::now();
    ASSERT_TRUE(child.read_until_ends_with(title(false), 10s));
    const double seconds = std::chrono::duration<double>(Clock::now() - shown).count();
    if (typed_ahead) {
      EXPECT_LT(seconds, 1.0);
    } else {
      EXPECT_GT(seconds, 3.9);
      EXPECT_LT(seconds, 5.5);
      child.send("3\n");
    }
    const ExitState exit = child.wait(10s);
    EXPECT_EQ(exit.code, 0);
    EXPECT_EQ(child.output(), greeting() + title(false));
  }
}

TEST(TavroPiped, MenuAnswersThatNameNoEntry) {
  const Ran ran = run_piped(kExe, "4\n12abc\n\n x\n2\n5\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  // Four redraws, then entry 2 and back with 5.
  EXPECT_EQ(ran.output,
            greeting() + repeat(title(false), 4) + settings_menu(15, 30, false) + title(false));
}

// The menu, a game, and every settings screen and key entry.
TEST(TavroPiped, EndOfInputAtEveryPromptEndsWithStatusZero) {
  for (const char* input :
       {"", "\n", "1\n", "1\nexi", "1\n8\n", "1\nexit\n", "2\n", "2\n1\n", "2\n2\n9\n", "2\n3\n",
        "2\n4\n", "2\n4\n1\n", "2\n4\n1\na\n", "2\n4\n1\na\nb\nc\nd\n"}) {
    const Ran ran = run_piped(kExe, input, 10s);
    EXPECT_TRUE(ran.exit.exited) << '"' << input << '"';
    EXPECT_EQ(ran.exit.code, 0) << '"' << input << '"';
  }
}

TEST(TavroPiped, ExitQuitsTheGameAfterTheDoubleFirstDrawing) {
  const Ran ran = run_piped(kExe, "1\nexit\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  const auto screens = screens_of(ran.output);
  ASSERT_EQ(screens.size(), 5U);
  EXPECT_EQ(screens[0], greeting());
  EXPECT_EQ(screens[1], title(false));
  EXPECT_EQ(screens[2], screens[3]) << "the rest of the answer's line redraws the first map";
  expect_playing_map(parse_map(screens[2]), 7);
  EXPECT_EQ(screens[4], title(false)) << "no message and no key wait after exit";
}

// Walks one game in `direction` until it ends and checks the final screen against its message.
// Returns whether it was won.
bool walk_until_the_end(Child& child, char direction) {
  child.send("1\n");
  // The first map comes twice: the rest of the answer's line is the first move line.
  EXPECT_TRUE(child.read_until(
      [](std::string_view fresh) {
        return screens_of(std::string(fresh)).size() == 2 && fresh.ends_with(move_prompt());
      },
      10s));
  child.take_new_output();
  for (int step = 1;; ++step) {
    child.send(std::string(1, direction) + "\n");
    const bool ended = child.read_until(
        [](std::string_view fresh) {
          return fresh.ends_with(move_prompt()) || fresh.ends_with("clear!!\n") ||
                 fresh.ends_with("gameover!!\n");
        },
        10s);
    EXPECT_TRUE(ended);
    const std::string screen = child.take_new_output();
    const auto screens = screens_of(screen);
    if (!ended || screens.empty()) {
      ADD_FAILURE() << "no screen after step " << step;
      return false;
    }
    const Drawing d = parse_map(screens.back());
    const int row = direction == '8' ? 7 - step : 7 + step;
    if (d.rest == move_prompt()) {
      EXPECT_EQ(count(d, '#'), 1);
      EXPECT_EQ(d.rows[static_cast<std::size_t>(row)][15], '#');
      EXPECT_LT(step, 9) << "row 7 is eight steps from either edge";
      continue;
    }
    EXPECT_EQ(count(d, '#'), 0) << "an ended game shows no player marker";
    const bool won = d.rest == "clear!!\n";
    if (won) {
      EXPECT_EQ(step, 8);
      EXPECT_EQ(count(d, 'X'), 0);
    } else {
      EXPECT_EQ(d.rest, "gameover!!\n");
      EXPECT_EQ(count(d, 'X'), 1);
      EXPECT_EQ(d.rows[static_cast<std::size_t>(row)][15], 'X') << "the mine stepped on";
    }
    // The trail from the start to the last cell inside the map.
    for (int r = 7; r != row; r += direction == '8' ? -1 : 1) {
      if (r >= 0 && r < 15) {
        EXPECT_EQ(d.rows[static_cast<std::size_t>(r)][15], 'o') << "row " << r;
      }
    }
    return won;
  }
}

TEST(TavroPiped, GamesEndWithTheirMessageAPauseAndAKey) {
  Child child = Child::piped(kExe);
  ASSERT_TRUE(child.read_until_ends_with("input 1 ～ 3 ->"_sj, 10s));
  child.take_new_output();
  const bool first_won = walk_until_the_end(child, '8');
  // After the pause, one byte answers the key wait; the menu's number read skips the break.
  child.send("z\n");
  ASSERT_TRUE(
      child.read_until_ends_with(first_won ? "input 1 ～ 4 ->"_sj : "input 1 ～ 3 ->"_sj, 30s));
  EXPECT_EQ(screens_of(child.take_new_output()).back(), title(first_won));
  const bool second_won = walk_until_the_end(child, 'k');
  (void)second_won;
  child.close_input();  // the end of input at the key wait ends the run
  const ExitState exit = child.wait(30s);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
}

}  // namespace
}  // namespace tavro::testing
