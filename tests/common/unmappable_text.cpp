// Must not compile: U+301C WAVE DASH looks like the "～" of the screens but has no code page
// 932 bytes, and such a character has to stop the build rather than print garbage.
#include "cp932.hpp"

auto text = "1〜3"_sj;
