// One game: a fresh map with hidden mines, the player in the middle, one typed line per move,
// judged after every move until the player walks off the map, steps on a mine or types "exit".
#include <string>
#include <vector>

#include "console.hpp"
#include "cp932.hpp"
#include "settings.hpp"
#include "tavro.hpp"

namespace tavro {

namespace {

constexpr int kQuit = -9;

void print_move_prompt() {
  Console& c = con();
  c.print("up -> "_sj);
  c.print(key_up);
  c.print(" , down -> "_sj);
  c.print(key_down);
  c.print(" , left -> "_sj);
  c.print(key_left);
  c.print(" , right -> "_sj);
  c.print(key_right);
  c.print("\n->"_sj);
}

}  // namespace

void lay_mines(std::span<char> map, int start_cell) {
  Console& c = con();
  for (std::size_t cell = 0; cell < map.size(); ++cell) {
    // One number is drawn for every cell, the start cell included, so that the mines depend
    // only on the seed and the map size.
    const bool mine = c.next_random() % 10 == 1;
    if (mine && cell != static_cast<std::size_t>(start_cell)) {
      map[cell] = '*';
    }
  }
}

int game_main() {
  Console& c = con();
  c.seed_random(static_cast<unsigned>(c.clock_ms() / 1000));
  const int rows = map_rows();
  const int cols = map_cols();
  std::vector<char> map(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), '-');
  int row = rows / 2;
  int col = cols / 2;
  int result = 0;
  lay_mines(map, row * cols + col);

  for (;;) {
    c.clear_screen();
    map_print(map, row, col, result);
    if (result != 0) {
      return result;  // the final drawing stays on screen for the outcome message
    }
    print_move_prompt();
    const Answer line = c.read_line();
    c.discard_input();
    const char first = line.first();
    if (first == key_up) {
      --row;
    } else if (first == key_down) {
      ++row;
    } else if (first == key_left) {
      --col;
    } else if (first == key_right) {
      ++col;
    } else if (line.is("exit")) {
      return kQuit;
    } else {
      continue;
    }
    result = clear_judge(map, row, col);
  }
}

int map_print(std::span<char> map, int row, int col, int reveal) {
  // Each row is put together in a local line and printed in one piece, the player's cell last:
  // the map is redrawn after every typed line, so this is the program's busiest loop.
  const int rows = map_rows();
  const int cols = map_cols();
  const char hidden_mine = debug == 1 || reveal != 0 ? '*' : '-';
  std::string line(static_cast<std::size_t>(cols) + 1, '\n');
  char* const out = line.data();
  for (int r = 0; r < rows; ++r) {
    const char* const cells = &map[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols)];
    for (int k = 0; k < cols; ++k) {
      out[k] = cells[k] == '*' ? hidden_mine : cells[k];
    }
    if (r == row && col >= 0 && col < cols) {
      char& cell = map[static_cast<std::size_t>(r) * static_cast<std::size_t>(cols) +
                       static_cast<std::size_t>(col)];
      if (cell == '*') {
        out[col] = 'X';
      } else {
        cell = 'o';  // the visited mark is written when the player is drawn on the cell
        out[col] = '#';
      }
    }
    con().print(line);
  }
  return 0;
}

int clear_judge(std::span<const char> map, int row, int col) {
  if (row >= map_rows() || col >= map_cols() || row < 0 || col < 0) {
    return 1;
  }
  if (map[static_cast<std::size_t>(row) * static_cast<std::size_t>(map_cols()) +
          static_cast<std::size_t>(col)] == '*') {
    return -1;
  }
  return 0;
}

}  // namespace tavro
