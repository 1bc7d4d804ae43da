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

// The UTF-8 bytes of `code_point` (one of the Basic Multilingual Plane, as every character of
// code page 932 is): how a UTF-8 terminal receives it.
inline std::string utf8_of(char32_t code_point) {
  std::string s;
  if (code_point < 0x80) {
    s += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    s += static_cast<char>(0xC0 | (code_point >> 6));
    s += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (code_point >> 12));
    s += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (code_point & 0x3F));
  }
  return s;
}

}  // namespace screen_text
