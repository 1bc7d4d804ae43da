// The routines of tavro-2dgame. None takes an argument or returns a result: they work on the
// working storage (storage.hpp) and talk to the player through the runtime (runtime.hpp).
#pragma once

// The program entry: gives every item its initial value on its first call, seeds the random
// generator from the clock and runs the main menu, which ends the run (rt::EndOfRun). Returns
// the exit status.
extern "C" TAVRO_2DGAME_EXPORT int TAVRO_2DGAME();

namespace tavro2d {

void main_menu();
void title();
void clear_screen();

void seed_from_clock();
void game_main();
void map_print();
void player_move();
void clear_judge();

void option();
void option_print();
void col_set();
void row_set();
void difficulty_set();
void debug_set();
void key_config();
void key_set();

void mini_omake();
void goway();
void tel_res();

// For tests: back to the state before the first call of the program entry.
void reset_program();

}  // namespace tavro2d
