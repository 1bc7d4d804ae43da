// The minefield game: seeding the generator, setting up a map, drawing it, moving the player
// and judging each step.
#include <cstdint>

#include "cp932.hpp"
#include "runtime.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace tavro2d {

namespace {

// Writes `value` as `width` decimal digits at `at` of the date area.
void put_digits(std::size_t at, int value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) {
    ws.CURRENT_DATE_AREA[at + i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// How many batches a pause's steps run in, each followed by a sleep until its share of the
// pause's real length has passed.
constexpr unsigned kPauseBatches = 50;

// Idle steps `from` up to `to` of a pause: each stores WAIT-COUNT into itself, which leaves it
// unchanged. The step counter is volatile, so every step is an access the optimiser may
// neither drop nor merge, and the steps are really run.
void idle_steps(unsigned from, unsigned to) {
  volatile unsigned step = from;
  while (step < to) {
    const int count = ws.WAIT_COUNT;
    ws.WAIT_COUNT = count;
    step = step + 1;
  }
}

// The end of a game stays on screen only while this runs: no key is awaited. The pause takes
// WAIT-COUNT once and runs that many idle steps, but not as one bare busy loop: counted alone
// they pass in a few milliseconds, before anyone can read the result. So the steps run in
// batches paced by the clock over a fixed real time (rt::kPauseLength), sleeping between
// batches, which also leaves the processor idle for most of the pause.
void pause_after_game() {
  rt::flush();
  const unsigned steps = rt::pause_steps(static_cast<unsigned>(ws.WAIT_COUNT));
  const rt::PauseClock clock;
  unsigned done = 0;
  for (unsigned batch = 1; batch <= kPauseBatches; ++batch) {
    const auto until = static_cast<unsigned>(std::uint64_t{steps} * batch / kPauseBatches);
    idle_steps(done, until);
    done = until;
    clock.wait(batch, kPauseBatches);
  }
}

}  // namespace

void seed_from_clock() {
  const rt::LocalTime t = rt::local_time();
  put_digits(0, t.year, 4);
  put_digits(4, t.month, 2);
  put_digits(6, t.day, 2);
  put_digits(8, t.hour, 2);
  put_digits(10, t.minute, 2);
  put_digits(12, t.second, 2);
  put_digits(14, t.hundredths, 2);
  ws.CURRENT_DATE_AREA[16] = t.utc_offset_minutes < 0 ? '-' : '+';
  const int offset = t.utc_offset_minutes < 0 ? -t.utc_offset_minutes : t.utc_offset_minutes;
  put_digits(17, offset / 60 * 100 + offset % 60, 4);
  rt::seed_random(static_cast<unsigned>(ws.CD_SECONDS() * 100 + ws.CD_HUNDREDTHS()));
}

void game_main() {
  for (ws.CELL_INDEX = 1; ws.CELL_INDEX <= static_cast<int>(kMaxCols);
       ws.CELL_INDEX = ws.CELL_INDEX + 1) {
    ws.DRAW_CELL(ws.CELL_INDEX) = ' ';
  }
  ws.GAME_RESULT = 0;
  const int cells = ws.MAP_ROWS * ws.MAP_COLS;
  for (ws.CELL_INDEX = 0; ws.CELL_INDEX < cells; ws.CELL_INDEX = ws.CELL_INDEX + 1) {
    ws.RANDOM_DIGIT = rt::draw_fraction() * 10;
    ws.MAP_CELL(ws.CELL_INDEX) = ws.RANDOM_DIGIT > 9 - ws.DIFFICULTY ? '*' : '-';
  }
  ws.PLAYER_ROW = ws.MAP_ROWS / 2;
  ws.PLAYER_COL = ws.MAP_COLS / 2;
  ws.MAP_CELL(ws.PLAYER_ROW * ws.MAP_COLS + ws.PLAYER_COL) = '-';
  ws.GAME_RESULT = 0;
  ws.GAME_FLAG = 1;
  while (ws.GAME_FLAG != 0) {
    map_print();
    player_move();
    clear_judge();
  }
}

void map_print() {
  clear_screen();
  // The map is redrawn after every typed line. What cannot change during the drawing is read
  // once, and the columns are counted locally (the item takes the final count), so that each
  // cell written does not force every item to be read again.
  const int cols = ws.MAP_COLS;
  const int player_row = ws.PLAYER_ROW;
  const int player_col = ws.PLAYER_COL;
  const char hidden_mine = ws.DEBUG_MODE == ws.ON_VALUE || ws.GAME_RESULT != 0 ? '*' : '-';
  char* const line = &ws.DRAW_CELL(1);
  for (ws.DRAW_ROW = 0; ws.DRAW_ROW < ws.MAP_ROWS; ws.DRAW_ROW = ws.DRAW_ROW + 1) {
    const int row = ws.DRAW_ROW;
    char* const cells = &ws.MAP_CELL(row * cols);
    // Column 0 is never shown: a player there has already left the map.
    int col = 1;
    for (; col < cols; ++col) {
      line[col - 1] = cells[col] == '*' ? hidden_mine : cells[col];
    }
    if (row == player_row && player_col >= 0 && player_col < cols) {
      char& cell = cells[player_col];
      const char shown = cell == '*' ? 'X' : '#';
      if (cell != '*') {
        cell = 'o';
      }
      if (player_col > 0) {
        line[player_col - 1] = shown;
      }
    }
    ws.DRAW_COL = col;
    rt::print_line(ws.DRAW_LINE);
  }
}

void player_move() {
  rt::print_line("up -> "_sj, ws.KEY_UP, " , down -> "_sj, ws.KEY_DOWN, " , left -> "_sj,
                 ws.KEY_LEFT, " , right -> "_sj, ws.KEY_RIGHT);
  rt::read_line(ws.MOVE_INPUT);
  const char move = ws.MOVE_INPUT.first();
  if (move == ws.KEY_UP[0]) {
    ws.PLAYER_ROW = ws.PLAYER_ROW - 1;
  }
  if (move == ws.KEY_DOWN[0]) {
    ws.PLAYER_ROW = ws.PLAYER_ROW + 1;
  }
  if (move == ws.KEY_LEFT[0]) {
    ws.PLAYER_COL = ws.PLAYER_COL - 1;
  }
  if (move == ws.KEY_RIGHT[0]) {
    ws.PLAYER_COL = ws.PLAYER_COL + 1;
  }
  if (ws.MOVE_INPUT.is("exit")) {
    ws.GAME_FLAG = 0;
  }
}

void clear_judge() {
  // The edges are tested first: column 0 counts as off the map even where it holds a mine.
  if (ws.PLAYER_ROW >= ws.MAP_ROWS || ws.PLAYER_COL >= ws.MAP_COLS || ws.PLAYER_ROW < 0 ||
      ws.PLAYER_COL <= 0) {
    ws.GAME_RESULT = ws.RESULT_CLEAR;
    ws.GAME_FLAG = 0;
    map_print();
    rt::print_line("clear!!"_sj);
    pause_after_game();
    ws.CLEARED_FLAG = 1;
  } else if (ws.MAP_CELL(ws.PLAYER_ROW * ws.MAP_COLS + ws.PLAYER_COL) == '*') {
    ws.GAME_RESULT = ws.RESULT_MINE;
    ws.GAME_FLAG = 0;
    map_print();
    rt::print_line("gameover!!"_sj);
    pause_after_game();
  }
}

}  // namespace tavro2d
