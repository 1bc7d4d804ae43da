// The minefield game of tavro: drawing, judging, mine placement and whole games in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"

namespace tavro {
namespace {

using testing::FakeHost;
using testing::kClear;
using testing::move_prompt;

class Game : public testing::ProgramTest {
 protected:
  // Draws `map` (rows joined without breaks) and returns what was printed.
  std::string draw(std::string& map, int row, int col, int reveal) {
    map_print(std::span<char>(map.data(), map.size()), row, col, reveal);
    console_.flush();
    return std::exchange(host_.output, {});
  }

  // Plays one game in-process; returns the result and leaves the output in host_.
  int play(const std::string& input) {
    host_.input = input;
    const int result = game_main();
    console_.flush();
    return result;
  }
};

std::string lines(const std::vector<std::string>& rows) {
  std::string out;
  for (const auto& r : rows) {
    out += r + "\n";
  }
  return out;
}

TEST_F(Game, MapPrintDrawsEveryKindOfCell) {
  global_col = 3;
  global_row = 10;
  std::string map =
      "--*-o-----"
      "-*--------"
      "----*--o--";
  // The player on a free cell is drawn as # and leaves a visited mark; hidden mines are ground.
  EXPECT_EQ(draw(map, 1, 3, 0), lines({"----o-----", "---#------", "-------o--"}));
  EXPECT_EQ(map.substr(10, 10), "-*-o------");
  // Once the player has moved on, the mark shows as o.
  EXPECT_EQ(draw(map, 1, 4, 0), lines({"----o-----", "---o#-----", "-------o--"}));
  // Revealed at the end: every mine as *; the player on a mine as X, without a mark.
  EXPECT_EQ(draw(map, 0, 2, -1), lines({"--X-o-----", "-*-oo-----", "----*--o--"}));
  EXPECT_EQ(map[2], '*');
  // Debug mode shows the mines during play as well.
  debug = 1;
  EXPECT_EQ(draw(map, 2, 0, 0), lines({"--*-o-----", "-*-oo-----", "#---*--o--"}));
}

TEST_F(Game, MapPrintLeavesOutAPlayerOutsideTheMap) {
  global_col = 2;
  global_row = 10;
  std::string map(20, '-');
  map[5] = '*';
  const std::string expected = lines({"-----*----", "----------"});
  for (const auto& [row, col] :
       std::vector<std::pair<int, int>>{{-1, 5}, {2, 5}, {0, -1}, {1, 10}}) {
    EXPECT_EQ(draw(map, row, col, 1), expected) << row << "," << col;
  }
  EXPECT_EQ(map, std::string(5, '-') + "*" + std::string(14, '-')) << "no mark was written";
}

TEST_F(Game, ClearJudgeFindsEveryEdgeAndMine) {
  global_col = 10;
  global_row = 20;
  std::string map(200, '-');
  map[3 * 20 + 4] = '*';
  EXPECT_EQ(clear_judge(map, -1, 5), 1);
  EXPECT_EQ(clear_judge(map, 10, 5), 1);
  EXPECT_EQ(clear_judge(map, 5, -1), 1);
  EXPECT_EQ(clear_judge(map, 5, 20), 1);
  EXPECT_EQ(clear_judge(map, 3, 4), -1);
  EXPECT_EQ(clear_judge(map, 0, 0), 0);
  EXPECT_EQ(clear_judge(map, 9, 19), 0);
  EXPECT_EQ(clear_judge(map, 3, 5), 0);
}

TEST_F(Game, MinesTakeOneDrawPerCellInStorageOrder) {
  global_col = 10;
  global_row = 10;
  std::string map(100, '-');
  for (int i = 0; i < 100; ++i) {
    host_.draws.push_back(i % 3 == 0 ? 10 * i + 1 : 10 * i + 2 + i % 8);
  }
  host_.draws[55] = -9;  // negative numbers have no remainder of 1
  lay_mines(map, 55);
  EXPECT_EQ(host_.draws_taken, 100U);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(map[static_cast<std::size_t>(i)], i % 3 == 0 ? '*' : '-') << "cell " << i;
  }
}

TEST_F(Game, StartCellIsNeverAMineForAnySize) {
  // Every draw says "mine": only the start cell in the middle stays free, and every game starts
  // with a fresh seed from the whole-second clock.
  for (int rows = 10; rows <= 24; ++rows) {
    for (int cols = 10; cols <= 60; ++cols) {
      global_col = rows;
      global_row = cols;
      debug = 1;
      FakeHost host("exit\n");
      Console console(host, host);
      use_console(&console);
      host.draws.assign(static_cast<std::size_t>(rows * cols), 1);
      ASSERT_EQ(game_main(), -9);
      std::string expected_map;
      for (int r = 0; r < rows; ++r) {
        std::string line(static_cast<std::size_t>(cols), '*');
        if (r == rows / 2) {
          line[static_cast<std::size_t>(cols / 2)] = '#';
        }
        expected_map += line + "\n";
      }
      ASSERT_EQ(host.output, std::string(kClear) + expected_map + move_prompt())
          << rows << " x " << cols;
      ASSERT_EQ(host.draws_taken, static_cast<std::size_t>(rows * cols));
      ASSERT_EQ(host.seeds, std::vector<unsigned>{1'700'000'000U});
    }
  }
}

TEST_F(Game, LinesAreJudgedByTheirFirstCharacterOnly) {
  global_col = 10;
  global_row = 10;
  // 8abc moves up; "EXIT", "exit " and an empty line redraw the same state; "exit" quits at
  // once without another drawing.
  EXPECT_EQ(play("8abc\nEXIT\nexit \n\nexit\n"), -9);
  const auto screen = [](int row, int visited_from) {
    std::string s(kClear);
    for (int r = 0; r < 10; ++r) {
      std::string line(10, '-');
      if (r >= visited_from && r <= 5) {
        line[5] = 'o';
      }
      if (r == row) {
        line[5] = '#';
      }
      s += line + "\n";
    }
    return s + move_prompt();
  };
  EXPECT_EQ(host_.output, screen(5, 5) + screen(4, 4) + screen(4, 4) + screen(4, 4) + screen(4, 4));
}

TEST_F(Game, KeysAreComparedInOrderAndBeforeExit) {
  global_col = 10;
  global_row = 10;
  key_up = 'e';
  key_left = 'e';  // shared with up: up, being earlier, takes it
  // "exit" moves up, four times from row 5 to row 1; "Exit" is no key and not "exit" either
  // (case matters), so it redraws; two more "exit" lines leave the map at the top.
  EXPECT_EQ(play("exit\nexit\nexit\nexit\nExit\nexit\nexit\n"), 1);
  std::string final_screen(kClear);
  for (int r = 0; r < 10; ++r) {
    final_screen += std::string(r >= 0 && r <= 5 ? "-----o----" : "----------") + "\n";
  }
  EXPECT_EQ(host_.output.substr(host_.output.size() - final_screen.size()), final_screen)
      << "a win draws the trail, no player and no prompt";
}

TEST_F(Game, LossShowsTheMineTheTrailAndEveryOtherMine) {
  // Default 15 x 30 map, mines at (7,14), (5,15) and (0,0); the player goes up twice.
  host_.draws.assign(15 * 30, 0);
  host_.draws[7 * 30 + 14] = 1;
  host_.draws[5 * 30 + 15] = 21;
  host_.draws[0] = 91;
  EXPECT_EQ(play("8\n8\n"), -1);
  std::string last;
  for (int r = 0; r < 15; ++r) {
    std::string line(30, '-');
    if (r == 0) {
      line[0] = '*';
    }
    if (r == 7) {
      line[14] = '*';
      line[15] = 'o';
    }
    if (r == 6) {
      line[15] = 'o';
    }
    if (r == 5) {
      line[15] = 'X';
    }
    last += line + "\n";
  }
  EXPECT_EQ(host_.output.substr(host_.output.size() - last.size() - kClear.size()),
            std::string(kClear) + last);
}

TEST_F(Game, EveryEdgeIsAWayOut) {
  global_col = 10;
  global_row = 10;
  for (const char* moves :
       {"8\n8\n8\n8\n8\n8\n", "k\nk\nk\nk\nk\n", "u\nu\nu\nu\nu\nu\n", "o\no\no\no\no\n"}) {
    FakeHost host(moves);
    Console console(host, host);
    use_console(&console);
    EXPECT_EQ(game_main(), 1) << moves;
    console.flush();
    EXPECT_EQ(host.unread(), 0U) << "the deciding move is the last line read";
  }
}

TEST_F(Game, WalkingBackOntoAVisitedCellIsAnOrdinaryMove) {
  global_col = 10;
  global_row = 10;
  EXPECT_EQ(play("o\nu\nexit\n"), -9);
  std::string screen(kClear);
  for (int r = 0; r < 10; ++r) {
    screen += std::string(r == 5 ? "-----#o---" : "----------") + "\n";
  }
  screen += move_prompt();
  EXPECT_EQ(host_.output.substr(host_.output.size() - screen.size()), screen);
}

}  // namespace
}  // namespace tavro
