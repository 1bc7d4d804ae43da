// The minefield game in-process: drawing, moving, judging and setting up maps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support.hpp"

namespace tavro2d::testing {
namespace {

class Game : public ProgramTest {
 protected:
  // Puts `rows` (all of one width) into the map store and makes them the map's size.
  static void set_map(const std::vector<std::string>& rows) {
    ws.MAP_ROWS = static_cast<int>(rows.size());
    ws.MAP_COLS = static_cast<int>(rows[0].size());
    std::string cells;
    for (const auto& r : rows) {
      cells += r;
    }
    ws.MAP_STORE = cells;
  }
  static void place(int row, int col) {
    ws.PLAYER_ROW = row;
    ws.PLAYER_COL = col;
  }
  static char cell(int row, int col) { return ws.MAP_CELL(row * ws.MAP_COLS + col); }
};

const std::vector<std::string> kMap = {
    "*--*-o------",
    "-*---*------",
    "*-----------",
};

TEST_F(Game, MapPrintShowsCellsByTheStateOfTheGame) {
  struct Case {
    int debug, result, row, col;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {0, 0, 1, 3, {"----o------", "--#--------", "-----------"}},  // mines look like ground
      {1, 0, 1, 3, {"--*-o------", "*-#-*------", "-----------"}},  // debug shows them
      {0, 1, 1, 3, {"--*-o------", "*-#-*------", "-----------"}},  // so does an ended game
      {0, -1, 1, 5, {"--*-o------", "*---X------", "-----------"}},
      {0, 1, 1, 0, {"--*-o------", "*---*------", "-----------"}},  // column 0 is hidden
  };
  for (const Case& c : cases) {
    set_map(kMap);
    ws.DEBUG_MODE = c.debug;
    ws.GAME_RESULT = c.result;
    place(c.row, c.col);
    host.output.clear();
    run(map_print);
    rt::flush();
    EXPECT_EQ(host.output, map_screen(c.shown)) << c.debug << c.result << c.row << c.col;
    EXPECT_EQ(cell(c.row, c.col), c.row == 1 && c.col == 5 ? '*' : 'o')
        << "the player's free cell becomes visited ground; a mine stays";
  }
}

TEST_F(Game, PlayerMoveAppliesEveryMatchingKeyInOrder) {
  struct Case {
    std::string keys, line;
    int row, col, flag;  // after a move from (5, 5)
  };
  const Case cases[] = {
      {"8kuo", "8", 4, 5, 1},    {"8kuo", "k", 6, 5, 1},     {"8kuo", "u", 5, 4, 1},
      {"8kuo", "oops", 5, 6, 1}, {"8kuo", "K", 5, 5, 1},     {"8kuo", "", 5, 5, 1},
      {"8kuo", "exit", 5, 5, 0}, {"8kuo", "exit ", 5, 5, 1}, {"8kuo", "exit\r", 5, 5, 0},
      {"ekeo", "exit", 4, 4, 0}, {"aauo", "a", 5, 5, 1},     {"8ku ", "", 5, 6, 1},
  };
  for (const Case& c : cases) {
    ws.KEY_UP = c.keys.substr(0, 1);
    ws.KEY_DOWN = c.keys.substr(1, 1);
    ws.KEY_LEFT = c.keys.substr(2, 1);
    ws.KEY_RIGHT = c.keys.substr(3, 1);
    place(5, 5);
    ws.GAME_FLAG = 1;
    host.output.clear();
    EXPECT_EQ(run(player_move, c.line + "\n"), -1);
    EXPECT_EQ(ws.PLAYER_ROW, c.row) << c.keys << " '" << c.line << "'";
    EXPECT_EQ(ws.PLAYER_COL, c.col) << c.keys << " '" << c.line << "'";
    EXPECT_EQ(ws.GAME_FLAG, c.flag) << c.keys << " '" << c.line << "'";
  }
  ws = Storage{};
  host.output.clear();
  run(player_move, "8\n");
  EXPECT_EQ(host.output, kMovePrompt);
}

TEST_F(Game, ClearJudgeEndsTheGameAtTheEdgesAndOnMines) {
  struct Case {
    int row, col;
    int result;  // 0: the game goes on
  };
  const Case cases[] = {{2, 0, 1}, {-1, 4, 1}, {3, 4, 1}, {1, 12, 1}, {1, 5, -1}, {1, 4, 0}};
  for (const Case& c : cases) {
    ws = Storage{};
    set_map(kMap);
    place(c.row, c.col);
    host.output.clear();
    host.pauses.clear();
    EXPECT_EQ(run(clear_judge), -1);
    EXPECT_EQ(ws.GAME_RESULT, c.result) << c.row << "," << c.col;
    EXPECT_EQ(ws.GAME_FLAG, c.result == 0 ? 1 : 0);
    EXPECT_EQ(ws.CLEARED_FLAG, c.result == 1 ? 1 : 0);
    if (c.result == 0) {
      EXPECT_EQ(host.output, "");
      EXPECT_TRUE(host.pauses.empty());
      continue;
    }
    ASSERT_EQ(host.pauses, std::vector<unsigned>{9999999});
    EXPECT_EQ(host.written_at_pause.back(), host.output.size()) << "all shown before the pause";
    const std::string message = c.result == 1 ? "clear!!\n" : "gameover!!\n";
    ASSERT_TRUE(host.output.ends_with(message));
    if (c.row == 1 && c.col == 5) {
      EXPECT_EQ(host.output, map_screen({"--*-o------", "*---X------", "-----------"}) + message);
    }
  }
  // A loss after a win keeps the bonus open.
  ws.CLEARED_FLAG = 1;
  set_map(kMap);
  place(1, 5);
  run(clear_judge);
  EXPECT_EQ(ws.CLEARED_FLAG, 1);
}

TEST_F(Game, SetUpDrawsOnceForEveryCellInRowOrderAndStartsOnGround) {
  for (int rows = 10; rows <= 24; ++rows) {
    for (int cols = 10; cols <= 60; ++cols) {
      const auto seed = static_cast<unsigned>(rows * 100 + cols);
      host.seed_random(seed);
      std::vector<double> draws;
      for (int i = 0; i <= rows * cols; ++i) {
        draws.push_back(host.draw_fraction());
      }
      host.seed_random(seed);
      ws.MAP_ROWS = rows;
      ws.MAP_COLS = cols;
      host.output.clear();
      ASSERT_EQ(run(game_main, "exit\n"), -1);
      const int start = rows / 2 * cols + cols / 2;
      ASSERT_EQ(ws.PLAYER_ROW * cols + ws.PLAYER_COL, start);
      ASSERT_EQ(ws.MAP_CELL(start), 'o') << rows << "x" << cols << ": the start is ground";
      for (int i = 0; i < rows * cols; ++i) {
        if (i != start) {
          const bool mine = draws[static_cast<std::size_t>(i)] * 10 >= 8;
          ASSERT_EQ(ws.MAP_CELL(i), mine ? '*' : '-') << rows << "x" << cols << " cell " << i;
        }
      }
      ASSERT_EQ(host.draw_fraction(), draws.back()) << "one draw per cell, no more";
      // The first map: 25 empty lines, rows of cols-1 cells padded to 60, the player at home.
      const std::string first = host.output.substr(0, host.output.size() - kMovePrompt.size());
      std::vector<std::string> shown(static_cast<std::size_t>(rows),
                                     std::string(static_cast<std::size_t>(cols - 1), '-'));
      shown[static_cast<std::size_t>(rows / 2)][static_cast<std::size_t>(cols / 2 - 1)] = '#';
      ASSERT_EQ(first, map_screen(shown)) << rows << "x" << cols;
    }
  }
}

TEST_F(Game, MineShareFollowsTheDifficulty) {
  ws.MAP_ROWS = 24;
  ws.MAP_COLS = 60;
  host.seed_random(4321);
  for (int difficulty = 1; difficulty <= 3; ++difficulty) {
    ws.DIFFICULTY = difficulty;
    int mines = 0;
    for (int game = 0; game < 20; ++game) {
      run(game_main, "exit\n");
      const std::string_view cells = ws.MAP_STORE.view();
      mines += static_cast<int>(std::count(cells.begin(), cells.end(), '*'));
    }
    EXPECT_NEAR(mines / (20.0 * 1440), difficulty / 10.0, 0.01) << "difficulty " << difficulty;
  }
}

TEST_F(Game, SeedComesFromTheSecondsAndHundredthsOfTheLocalTime) {
  host.time = {2024, 5, 6, 12, 34, 56, 78, 540};
  run(seed_from_clock);
  EXPECT_EQ(ws.CURRENT_DATE_AREA, "2024050612345678+0900");
  const double first = host.draw_fraction();
  host.seed_random(5678);
  EXPECT_EQ(host.draw_fraction(), first);

  host.time = {1999, 12, 31, 23, 59, 59, 99, -330};
  run(seed_from_clock);
  EXPECT_EQ(ws.CURRENT_DATE_AREA, "1999123123595999-0530");
  const double last = host.draw_fraction();
  host.seed_random(5999);
  EXPECT_EQ(host.draw_fraction(), last);
}

}  // namespace
}  // namespace tavro2d::testing
