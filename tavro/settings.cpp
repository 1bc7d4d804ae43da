#include "settings.hpp"

namespace tavro {

int global_col = 15;
int global_row = 30;
char key_up = '8';
char key_down = 'k';
char key_left = 'u';
char key_right = 'o';
int debug = 0;
int omake = 0;

void reset_settings() {
  global_col = 15;
  global_row = 30;
  key_up = '8';
  key_down = 'k';
  key_left = 'u';
  key_right = 'o';
  debug = 0;
  omake = 0;
}

}  // namespace tavro
