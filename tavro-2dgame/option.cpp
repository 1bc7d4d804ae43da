// The settings menu.
#include "tavro.hpp"

namespace tavro2d {

void option() {}  // Not built yet: choosing it returns straight to the title screen.

}  // namespace tavro2d
