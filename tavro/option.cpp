// The settings screens. Not built yet: main-menu entry 2 returns to the title at once.
#include "tavro.hpp"

namespace tavro {

int option() {
  return 0;
}

}  // namespace tavro
