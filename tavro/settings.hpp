// The program-wide settings: plain globals with their initial values, for the life of the
// process. The settings screens write them; the game reads them.
#pragma once

namespace tavro {

extern int global_col;  // number of map rows (labelled "map col"), 10 to 24
extern int global_row;  // number of map columns (labelled "map row"), 10 to 60
extern char key_up;
extern char key_down;
extern char key_left;
extern char key_right;
extern int debug;  // 1: mines are drawn during play
extern int omake;  // 1 once any game has been won: unlocks the bonus

// The map's size, read through these: global_col holds the rows and global_row the columns.
inline int map_rows() {
  return global_col;
}
inline int map_cols() {
  return global_row;
}

// Puts every setting back to its initial value, as at the start of the process.
void reset_settings();

}  // namespace tavro
