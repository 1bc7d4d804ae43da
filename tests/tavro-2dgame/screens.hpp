// The screens of tavro-2dgame as they must appear, byte for byte, for the tests.
#pragma once

#include <string>
#include <vector>

#include "cp932.hpp"

namespace tavro2d::testing {

inline const std::string kClear(25, '\n');

inline std::string title(bool cleared) {
  std::string s = kClear;
  s += "　　　　　　　★☆★　地雷ゲーム　mine game★☆★"_sj;
  s += "\n";
  s += "　　　　　　～画面端まで辿りつけ！ go to the out!～"_sj;
  s += "\n";
  s += "　　　　　　　(クリアするとおまけが出るよ・・・！)"_sj;
  s += "\n\n";
  s += "　　　　　　　　　　　1.ゲーム開始(start)"_sj;
  s += "\n\n";
  s += "　　　　　　　　　　　2.オプション(option)"_sj;
  s += "\n\n";
  s += "　　　　　　　　　　　3.終わる(end)"_sj;
  s += "\n";
  if (cleared) {
    s += "\n";
    s += "　　　　　　　　　　　4.おまけ(omake)"_sj;
    s += "\n";
  }
  return s + std::string(7, '\n');
}

// The title with the menu prompt under it: what the main menu shows before each answer.
inline std::string menu(bool cleared) {
  return title(cleared) + std::string("input 1 ～ "_sj) + (cleared ? "4" : "3") + " ->\n";
}

inline const std::string kMovePrompt = "up -> 8 , down -> k , left -> u , right -> o\n";

// A map screen: the cleared screen, then each row (the shown cells) padded to 60 characters.
inline std::string map_screen(const std::vector<std::string>& rows) {
  std::string s = kClear;
  for (const auto& row : rows) {
    s += row + std::string(60 - row.size(), ' ') + "\n";
  }
  return s;
}

}  // namespace tavro2d::testing
