// Program A's screens as a player sees them, written out from their description, for the
// in-process and the end-to-end tests alike.
#pragma once

#include <string>

#include "cp932.hpp"

namespace tavro::testing {

inline constexpr std::string_view kClearScreen = "\x1b[H\x1b[2J";

inline std::string blanks(int n) {
  return std::string(static_cast<std::size_t>(n), ' ');
}
inline std::string breaks(int n) {
  return std::string(static_cast<std::size_t>(n), '\n');
}

inline std::string greeting() {
  return std::string(kClearScreen) + breaks(9) + blanks(30) + "Hello Objective-C World\n" + "\n" +
         blanks(30) + "Presented by the tavro project\n" + "\n" + blanks(29) +
         "(C) 2026 tavro developers. All rights reserved.\n";
}

// The title screen and the main menu's prompt.
inline std::string title(bool unlocked) {
  std::string s = std::string(kClearScreen) + breaks(7) + blanks(25) +
                  std::string("★☆★　地雷ゲーム　mine game★☆★\n"_sj) + blanks(25) +
                  std::string("―画面端まで辿りつけ！ go to the out!～"_sj) + "\n" + blanks(25) +
                  std::string("(クリアするとおまけが出るよ・・・！)"_sj) + "\n\n" + blanks(32) +
                  std::string("1.ゲーム開始(start)"_sj) + "\n\n" + blanks(32) +
                  std::string("2.オプション(option)"_sj) + "\n\n" + blanks(32) +
                  std::string("3.終わる(end)"_sj);
  if (unlocked) {
    s += "\n\n" + blanks(32) + std::string("4.おまけ(omake)"_sj);
  }
  s += "\n\n";
  s += std::string(unlocked ? "input 1 ～ 4 ->"_sj : "input 1 ～ 3 ->"_sj);
  return s;
}

inline std::string move_prompt(const std::string& keys = "8kuo") {
  return std::string("up -> ") + keys[0] + " , down -> " + keys[1] + " , left -> " + keys[2] +
         " , right -> " + keys[3] + "\n->";
}

}  // namespace tavro::testing
