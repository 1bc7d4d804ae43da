// Helpers for writing out expected screens, shared by the tests of both programs.
#pragma once

#include <string>

namespace screen_text {

// `s`, `times` times over: a screen that is drawn again for each rejected answer.
inline std::string repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) {
    out += s;
  }
  return out;
}

}  // namespace screen_text
