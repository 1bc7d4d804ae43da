// The settings screens: the settings menu, the map size and debug mode screens, and the key
// configuration with its four entry steps. An accepted answer goes straight into the global
// settings, which the next game reads; until then a setting keeps its old value. No screen
// prints an error: an unacceptable answer shows the same screen again.
#include <string>
#include <string_view>

#include "console.hpp"
#include "cp932.hpp"
#include "settings.hpp"
#include "tavro.hpp"

namespace tavro {

namespace {

constexpr int kMinSize = 10;
constexpr int kMaxRows = 24;
constexpr int kMaxCols = 60;

// Prints "->" and reads a number from a fresh line. A failed read gives `preset`, which each
// screen chooses so that it matches nothing the screen accepts.
int ask_number(int preset) {
  Console& c = con();
  c.print("->"_sj);
  c.discard_input();
  return c.read_number(preset);
}

void print_on_off() {
  con().print(debug == 1 ? "ON"_sj : "OFF"_sj);
}

// A map size screen, shown until the answer lies between 10 and `most`, both included.
int size_set(std::string_view heading, int& setting, int most) {
  Console& c = con();
  for (;;) {
    c.clear_screen();
    c.print(heading);
    c.print_number(setting);
    c.print("\n"_sj);
    c.print("(10～"_sj);
    c.print_number(most);
    c.print(")"_sj);
    locate(2, 0);
    const int answer = ask_number(0);
    if (answer >= kMinSize && answer <= most) {
      setting = answer;
      return 0;
    }
  }
}

// One step of key_set: shown again until the word typed is a single byte. Only the first word
// of a line counts; the rest of the line is thrown away, so the next step reads a fresh line.
void key_step(std::string_view prompt, char& key) {
  Console& c = con();
  for (;;) {
    c.clear_screen();
    c.print("上 -> "_sj);
    c.print(key_up);
    locate(2, 0);
    c.print("下 -> "_sj);
    c.print(key_down);
    locate(2, 0);
    c.print("左 -> "_sj);
    c.print(key_left);
    locate(2, 0);
    c.print("右 -> "_sj);
    c.print(key_right);
    locate(2, 0);
    c.print(prompt);
    // No discard before the word: the word may come from what is left of the menu's line.
    const Answer word = c.read_word();
    c.discard_input();
    if (word.size == 1) {
      key = word.first();
      return;
    }
  }
}

}  // namespace

int option() {
  Console& c = con();
  for (;;) {
    c.clear_screen();
    c.print("システム設定(system set)…"_sj);
    locate(2, 0);
    c.print("  1.マップの『縦』の長さ設定(map col) -> "_sj);
    c.print_number(map_rows());
    locate(2, 0);
    c.print("  2.マップの『横』の長さ設定(map row) -> "_sj);
    c.print_number(map_cols());
    locate(2, 0);
    c.print("  3.デバッグモードの設定(debug) -> "_sj);
    print_on_off();
    locate(2, 0);
    c.print("  4.キーコンフィグ"_sj);
    locate(2, 0);
    c.print("  5.戻る(return)"_sj);
    locate(2, 0);
    c.print("input 1 ～ 5 ->"_sj);
    c.discard_input();
    switch (c.read_number(0)) {
      case 1:
        col_set();
        break;
      case 2:
        row_set();
        break;
      case 3:
        debug_set();
        break;
      case 4:
        key_config();
        break;
      case 5:
        return 0;
      default:
        break;  // no entry: the menu is drawn again
    }
  }
}

int col_set() {
  return size_set("マップの縦の長さ設定(map col) -> "_sj, global_col, kMaxRows);
}

int row_set() {
  return size_set("マップの横の長さ設定(map row) -> "_sj, global_row, kMaxCols);
}

int debug_set() {
  Console& c = con();
  for (;;) {
    c.clear_screen();
    c.print("デバッグ設定(debug) -> "_sj);
    print_on_off();
    locate(1, 0);
    c.print("(ON -> 1 / OFF -> 0)"_sj);
    locate(2, 0);
    const int answer = ask_number(9);
    if (answer == 1 || answer == 0) {
      debug = answer;
      return 0;
    }
  }
}

int key_config() {
  Console& c = con();
  for (;;) {
    c.clear_screen();
    c.print("キーコンフィグ(key config)"_sj);
    locate(2, 0);
    c.print("上設定 -> "_sj);
    c.print(key_up);
    locate(1, 0);
    c.print("下設定 -> "_sj);
    c.print(key_down);
    locate(1, 0);
    c.print("左設定 -> "_sj);
    c.print(key_left);
    locate(1, 0);
    c.print("右設定 -> "_sj);
    c.print(key_right);
    locate(1, 0);
    c.print("  1.設定する"_sj);
    locate(2, 0);
    c.print("  他.戻る"_sj);
    locate(2, 0);
    if (ask_number(0) != 1) {
      return 0;
    }
    key_set();
  }
}

int key_set() {
  // Always all four, in this order: a step can be neither skipped nor left.
  key_step("up ->"_sj, key_up);
  key_step("down ->"_sj, key_down);
  key_step("left ->"_sj, key_left);
  key_step("right ->"_sj, key_right);
  return 0;
}

}  // namespace tavro
