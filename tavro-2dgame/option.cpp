// The settings menu: map height and width, difficulty, debug mode and the four movement keys.
// Every screen repeats until it gets an answer it accepts; nothing is rebuilt when a setting
// changes, because the game reads the settings when it next starts.
#include <string_view>

#include "cp932.hpp"
#include "runtime.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace tavro2d {

namespace {

void blank_lines(int count) {
  for (int i = 0; i < count; ++i) {
    rt::print_line();
  }
}

// The shape the height, width and difficulty screens share: the current value and the range,
// then the answer, asked again until it lies within [lowest, highest]. `flag` is the screen's
// own loop flag, kept in the storage like every other item.
template <typename Setting, typename Input>
void number_screen(Unsigned<1>& flag, std::string_view heading, Setting& setting,
                   std::string_view range, Input& input, int lowest, int highest) {
  flag = 1;
  while (flag != 0) {
    clear_screen();
    rt::print_line(heading, setting);
    rt::print_line(range);
    blank_lines(20);
    rt::print_line("-> "_sj);
    rt::read_line(input);
    if (input >= lowest && input <= highest) {
      setting = input;
      flag = 0;
    }
  }
}

}  // namespace

void option() {
  ws.OPTION_FLAG = 1;
  while (ws.OPTION_FLAG != 0) {
    option_print();
    rt::print_line("input 1 ～ 6 ->"_sj);
    rt::read_line(ws.OPTION_CHOICE);
    if (ws.OPTION_CHOICE == 1) {
      col_set();
    } else if (ws.OPTION_CHOICE == 2) {
      row_set();
    } else if (ws.OPTION_CHOICE == 3) {
      difficulty_set();
    } else if (ws.OPTION_CHOICE == 4) {
      debug_set();
    } else if (ws.OPTION_CHOICE == 5) {
      key_config();
    } else if (ws.OPTION_CHOICE == 6) {
      ws.OPTION_FLAG = 0;
    }
  }
}

void option_print() {
  clear_screen();
  rt::print_line("システム設定(system set)…"_sj);
  rt::print_line();
  rt::print_line("  1.マップの『縦』の長さ設定(map col) -> "_sj, ws.MAP_ROWS);
  rt::print_line();
  rt::print_line("  2.マップの『横』の長さ設定(map row) -> "_sj, ws.MAP_COLS);
  rt::print_line();
  rt::print_line("  3.難易度設定(difficulty) -> "_sj, ws.DIFFICULTY);
  rt::print_line();
  // The text follows the mode at every showing, whatever set the mode.
  ws.DEBUG_TEXT = ws.DEBUG_MODE == 1 ? "ON " : "OFF";
  rt::print_line("  4.デバッグモードの設定(debug) -> "_sj, ws.DEBUG_TEXT);
  rt::print_line();
  rt::print_line("  5.キーコンフィグ"_sj);
  rt::print_line();
  rt::print_line("  6.戻る(return)"_sj);
  blank_lines(10);
}

// Rows are the map's height, though the screens call it "col".
void col_set() {
  number_screen(ws.ROWS_SET_FLAG, "マップの縦の長さ設定(map col) -> "_sj, ws.MAP_ROWS,
                "(10～24)"_sj, ws.ROWS_INPUT, 10, static_cast<int>(kMaxRows));
}

void row_set() {
  number_screen(ws.COLS_SET_FLAG, "マップの横の長さ設定(map row) -> "_sj, ws.MAP_COLS,
                "(10～60)"_sj, ws.COLS_INPUT, 10, static_cast<int>(kMaxCols));
}

void difficulty_set() {
  number_screen(ws.DIFFICULTY_SET_FLAG, "難易度設定(difficulty) -> "_sj, ws.DIFFICULTY, "1～3"_sj,
                ws.DIFFICULTY_INPUT, 1, 3);
}

void debug_set() {
  ws.DEBUG_SET_FLAG = 1;
  while (ws.DEBUG_SET_FLAG != 0) {
    clear_screen();
    rt::print_line("デバッグ設定(debug) -> "_sj, ws.DEBUG_TEXT);
    rt::print_line("(ON -> 1 / OFF -> 0)"_sj);
    blank_lines(20);
    rt::print_line("-> "_sj);
    rt::read_line(ws.DEBUG_INPUT);
    if (ws.DEBUG_INPUT == 1) {
      ws.DEBUG_TEXT = "ON ";
      ws.DEBUG_MODE = ws.DEBUG_INPUT;
      ws.DEBUG_SET_FLAG = 0;
    } else if (ws.DEBUG_INPUT == 0) {
      ws.DEBUG_TEXT = "OFF";
      ws.DEBUG_MODE = ws.DEBUG_INPUT;
      ws.DEBUG_SET_FLAG = 0;
    }
  }
}

void key_config() {
  ws.KEY_CONFIG_FLAG = 1;
  while (ws.KEY_CONFIG_FLAG != 0) {
    clear_screen();
    rt::print_line("キーコンフィグ(key config) ->"_sj);
    rt::print_line();
    rt::print_line("上設定 -> "_sj, ws.KEY_UP);
    rt::print_line("下設定 -> "_sj, ws.KEY_DOWN);
    rt::print_line("左設定 -> "_sj, ws.KEY_LEFT);
    rt::print_line("右設定 -> "_sj, ws.KEY_RIGHT);
    rt::print_line("  1.設定する"_sj);
    rt::print_line();
    rt::print_line("  他.戻る"_sj);
    blank_lines(14);
    rt::print_line("-> "_sj);
    rt::read_line(ws.KEY_CONFIG_CHOICE);
    if (ws.KEY_CONFIG_CHOICE == 1) {
      // Leaves the flag at 4, not 0: this screen comes back showing the new keys.
      key_set();
    } else {
      ws.KEY_CONFIG_FLAG = 0;
    }
  }
}

// The loop flag of the key configuration doubles as the step: 0 up, 1 down, 2 left, 3 right.
// A key is the first byte of its line, taken as it is: a blank for an empty line, a digit,
// half of a two-byte character, or a byte another direction already uses.
void key_set() {
  for (ws.KEY_CONFIG_FLAG = 0; ws.KEY_CONFIG_FLAG != 4;
       ws.KEY_CONFIG_FLAG = ws.KEY_CONFIG_FLAG + 1) {
    clear_screen();
    rt::print_line("上 -> "_sj, ws.KEY_UP);
    rt::print_line();
    rt::print_line("下 -> "_sj, ws.KEY_DOWN);
    rt::print_line();
    rt::print_line("左 -> "_sj, ws.KEY_LEFT);
    rt::print_line();
    rt::print_line("右 -> "_sj, ws.KEY_RIGHT);
    rt::print_line();
    blank_lines(13);
    if (ws.KEY_CONFIG_FLAG == 0) {
      rt::print_line("up ->"_sj);
      rt::read_line(ws.KEY_UP);
    } else if (ws.KEY_CONFIG_FLAG == 1) {
      rt::print_line("down ->"_sj);
      rt::read_line(ws.KEY_DOWN);
    } else if (ws.KEY_CONFIG_FLAG == 2) {
      rt::print_line("left ->"_sj);
      rt::read_line(ws.KEY_LEFT);
    } else {
      rt::print_line("right ->"_sj);
      rt::read_line(ws.KEY_RIGHT);
    }
  }
}

}  // namespace tavro2d
