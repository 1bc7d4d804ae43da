// The screens of tavro-2dgame as they must appear, byte for byte, for the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cp932.hpp"
#include "screen_text.hpp"

namespace tavro2d::testing {

// What clears the screen: 25 empty lines.
inline const std::string kClear(25, '\n');

using screen_text::repeat;

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

// One line made of `pieces`, with its line end.
template <typename... Pieces>
std::string line(const Pieces&... pieces) {
  return (std::string{} + ... + std::string(pieces)) + "\n";
}
inline std::string blank_lines(int count) {
  return std::string(static_cast<std::size_t>(count), '\n');
}

// The settings menu showing these values, with its prompt.
inline std::string settings_menu(std::string_view rows = "15", std::string_view cols = "30",
                                 std::string_view difficulty = "2",
                                 std::string_view debug = "OFF") {
  return kClear + line("システム設定(system set)…"_sj) + "\n" +
         line("  1.マップの『縦』の長さ設定(map col) -> "_sj, rows) + "\n" +
         line("  2.マップの『横』の長さ設定(map row) -> "_sj, cols) + "\n" +
         line("  3.難易度設定(difficulty) -> "_sj, difficulty) + "\n" +
         line("  4.デバッグモードの設定(debug) -> "_sj, debug) + "\n" +
         line("  5.キーコンフィグ"_sj) + "\n" + line("  6.戻る(return)"_sj) + blank_lines(10) +
         line("input 1 ～ 6 ->"_sj);
}

// A setting screen: its heading with the current value, the range line and the prompt.
inline std::string setting_screen(std::string_view heading, std::string_view value,
                                  std::string_view range) {
  return kClear + line(heading, value) + line(range) + blank_lines(20) + "-> \n";
}
inline std::string rows_screen(std::string_view value) {
  return setting_screen("マップの縦の長さ設定(map col) -> "_sj, value, "(10～24)"_sj);
}
inline std::string cols_screen(std::string_view value) {
  return setting_screen("マップの横の長さ設定(map row) -> "_sj, value, "(10～60)"_sj);
}
inline std::string difficulty_screen(std::string_view value) {
  return setting_screen("難易度設定(difficulty) -> "_sj, value, "1～3"_sj);
}
inline std::string debug_screen(std::string_view value) {
  return setting_screen("デバッグ設定(debug) -> "_sj, value, "(ON -> 1 / OFF -> 0)"_sj);
}

// The key configuration screen and a key entry screen for the keys up, down, left, right.
inline std::string key_config_screen(std::string_view k) {
  return kClear + line("キーコンフィグ(key config) ->"_sj) + "\n" +
         line("上設定 -> "_sj, k.substr(0, 1)) + line("下設定 -> "_sj, k.substr(1, 1)) +
         line("左設定 -> "_sj, k.substr(2, 1)) + line("右設定 -> "_sj, k.substr(3, 1)) +
         line("  1.設定する"_sj) + "\n" + line("  他.戻る"_sj) + blank_lines(14) + "-> \n";
}
inline std::string key_entry_screen(std::string_view k, std::string_view prompt) {
  return kClear + line("上 -> "_sj, k.substr(0, 1)) + "\n" + line("下 -> "_sj, k.substr(1, 1)) +
         "\n" + line("左 -> "_sj, k.substr(2, 1)) + "\n" + line("右 -> "_sj, k.substr(3, 1)) +
         "\n" + blank_lines(13) + line(prompt);
}

inline const std::string kBonusMenu = kClear + line("分岐練習"_sj) + line("  0.学校への行き方"_sj) +
                                      line("  他.電話対応"_sj) + blank_lines(20) + "-> \n";

// The way-to-school script up to its outcome block, with the weather and computer questions
// asked `weather_asks` and `pc_asks` times.
inline std::string school_script(int weather_asks, int pc_asks) {
  std::string s = kClear + line("朝起きた。さて、どうやって学校へ行こう。"_sj) + "\n" +
                  line("雨降ってる？"_sj) + "\n";
  for (int i = 0; i < weather_asks; ++i) {
    s += line("晴れ=1、雨=2　＞"_sj);
  }
  s += "\n";  // appended, not prepended: GCC 12 misreports "\n" + string at -O3 (-Wrestrict)
  s += line("今日はパソコンの必要な授業はある？"_sj) + "\n";
  for (int i = 0; i < pc_asks; ++i) {
    s += line("PC必要=1、PC無し=2　＞"_sj);
  }
  return s + "\n";
}
inline const std::string kRuler = line("―――――――――――――――――――――――――"_sj);
inline const std::string kByCar = kRuler + "\n" + line("車で行こう！(⊂^∀^)⊃ブーン"_sj) + "\n\n";
inline const std::string kFineWithPc =
    kByCar + line("鞄はリュックと肩掛けだぜ！"_sj) + "\n" + kRuler;
inline const std::string kFineNoPc = kByCar + line("鞄は肩掛けのみだぜ！"_sj) + "\n" + kRuler;
inline const std::string kRainWithPc = kRuler + "\n" + line("電車で行こう(´・ω・｀)"_sj) + "\n" +
                                       line("電車代がショボーン(お金ないのに)"_sj) + "\n" +
                                       line("鞄はリュックと肩掛け。"_sj) + "\n" +
                                       line("帰りは徒歩だよ。"_sj) + "\n" + kRuler;
inline const std::string kRainNoPc = kRuler + "\n" + line("歩いて行こう！ε≡「(*^ー^)」^^^"_sj) +
                                     "\n\n" + line("鞄はリュックだぜ！"_sj) + "\n" + kRuler;

// The telephone script's lines, grouped as they come.
namespace tel {
inline const std::string kRing = line("電話キター！(;ﾟДﾟ)"_sj) + line("電話取る？→1 or 他　"_sj);
inline const std::string kTaken = line("誰かに先に取られた"_sj);
inline const std::string kTime = line("何時？→午前＝0、午後＝他　"_sj);
inline const std::string kMorning = line("「おはようございます。株式会社です。」"_sj);
inline const std::string kAfternoon = line("「ありがとうございます。株式会社です。」"_sj);
inline const std::string kWho = line("誰？→客＝他、社員＝9　"_sj);
inline const std::string kStaff = line("「お疲れ様です。」"_sj);
inline const std::string kCustomer = line("「お世話になっております。」"_sj);
inline const std::string kAsked = line("「誰々居ませんか」"_sj) +
                                  line("「少々お待ち下さい。」"_sj) +
                                  line("居る？→居る＝1、居ない＝他　"_sj);
inline const std::string kBoss = line("誰？→社長＝1、部長＝2、課長＝3　"_sj);
inline const std::string kPresident = line("「社長、何処々の誰々様からお電話です。」"_sj);
inline const std::string kDirector = line("「部長、何処々の誰々様からお電話です。」"_sj);
inline const std::string kChief = line("「課長、何処々の誰々様からお電話です。」"_sj);
inline const std::string kWhere = line("どこ？→外出＝1、会議＝2、来客接待＝3、"_sj) +
                                  line("別の電話対応＝4、席を外している＝他"_sj) +
                                  line("「お待たせしました。申し訳御座いません。"_sj);
inline const std::string kOut =
    line("誰々は只今外出しておりまして、"_sj) + line("何時に戻る予定となっております。"_sj);
inline const std::string kMeeting = line("誰々は只今会議中でして、終わり次第、"_sj);
inline const std::string kVisitor = line("誰々は只今来客接待中でして、終わり次第、"_sj);
inline const std::string kOtherCall =
    line("誰々は只今別の電話対応中でして、"_sj) + line("終わり次第、"_sj);
inline const std::string kAway = line("誰々は只今席を外しております。戻り次第、"_sj);
inline const std::string kCallBack =
    line("こちらから折り返しお電話させましょうか？」"_sj) + line("ＯＫ？→OK＝1、NO＝他　"_sj);
inline const std::string kThanks = line("　ありがとうございました。失礼致します。」"_sj);
inline const std::string kDeclined =
    line("「はい、了解しました。申し訳ございません。"_sj) + kThanks;
inline const std::string kStaffNoted =
    line("「了解しました。伝えておきます。"_sj) + line("　お疲れ様でした。」"_sj);
// A customer's number: asked, echoed as the 13 bytes given, and noted.
inline std::string number_noted(std::string_view echoed) {
  return line("「ご連絡先をお伺いしてもよろしいでしょうか？"_sj) + line("番号→"_sj) +
         line(echoed, "、何処々の何々様ですね。"_sj) + line("了解しました。伝えておきます。"_sj) +
         kThanks;
}
}  // namespace tel

}  // namespace tavro2d::testing
