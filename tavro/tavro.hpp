// The screens and steps of tavro: free functions without arguments over the global settings,
// each printing through the running console (con()).
#pragma once

#include <span>

namespace tavro {

class Console;

// Start-up, greeting, title and main menu (tavro.cpp).
int run(Console& console);  // the whole program on `console`; returns the exit status
int locate(int lines, int blanks);
void delay_wait(unsigned count);
int objc_hello();
int title();
[[noreturn]] void main_menu();

// The greeting: a class with one operation, created once at start-up.
class Test {
 public:
  void Hello();  // capitalised: the operation's given name
};

// The game (game.cpp): 1 won, -1 lost, -9 quit by "exit".
int game_main();
int map_print(std::span<char> map, int row, int col, int reveal);
int clear_judge(std::span<const char> map, int row, int col);
void lay_mines(std::span<char> map, int start_cell);

// The settings screens (option.cpp): the settings menu, the map rows, the map columns, the
// debug mode, the key configuration menu and the entry of the four keys.
int option();
int col_set();
int row_set();
int debug_set();
int key_config();
int key_set();

// The bonus (omake.cpp): its menu, the way to school and the telephone.
int mini_omake();
int goway();
int tel_res();

}  // namespace tavro
