// The bonus: branch practice.
#include "tavro.hpp"

namespace tavro2d {

void mini_omake() {}  // Not built yet: choosing it returns straight to the title screen.

}  // namespace tavro2d
