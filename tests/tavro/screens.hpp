// tavro's screens as a player sees them, written out from their description, for the
// in-process and the end-to-end tests alike.
#pragma once

#include <string>
#include <string_view>

#include "cp932.hpp"
#include "screen_text.hpp"

namespace tavro::testing {

// What clears the screen: cursor home, then erase the whole display.
inline constexpr std::string_view kClear = "\x1b[H\x1b[2J";

using screen_text::repeat;

inline std::string blanks(int n) {
  return repeat(" ", n);
}
inline std::string breaks(int n) {
  return repeat("\n", n);
}

inline std::string greeting() {
  return std::string(kClear) + breaks(9) + blanks(30) + "Hello Objective-C World\n" + "\n" +
         blanks(30) + "Presented by the tavro project\n" + "\n" + blanks(29) +
         "(C) 2026 tavro developers. MIT License.\n";
}

// The title screen and the main menu's prompt.
inline std::string title(bool unlocked) {
  std::string s = std::string(kClear) + breaks(7) + blanks(25) +
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

inline std::string sj(std::string_view cp932_bytes) {
  return std::string(cp932_bytes);
}

// The settings menu with its three values, and its prompt.
inline std::string settings_menu(int rows, int cols, bool debug_on) {
  return std::string(kClear) + sj("システム設定(system set)…"_sj) + "\n\n" +
         sj("  1.マップの『縦』の長さ設定(map col) -> "_sj) + std::to_string(rows) + "\n\n" +
         sj("  2.マップの『横』の長さ設定(map row) -> "_sj) + std::to_string(cols) + "\n\n" +
         sj("  3.デバッグモードの設定(debug) -> "_sj) + (debug_on ? "ON" : "OFF") + "\n\n" +
         sj("  4.キーコンフィグ"_sj) + "\n\n" + sj("  5.戻る(return)"_sj) + "\n\n" +
         sj("input 1 ～ 5 ->"_sj);
}

// The screen for the map's rows (true) or columns (false), showing the current value.
inline std::string size_screen(bool rows, int current) {
  return std::string(kClear) +
         sj(rows ? "マップの縦の長さ設定(map col) -> "_sj
                 : "マップの横の長さ設定(map row) -> "_sj) +
         std::to_string(current) + "\n" + sj("(10～"_sj) + (rows ? "24" : "60") + sj(")"_sj) +
         "\n\n->";
}

inline std::string debug_screen(bool on) {
  return std::string(kClear) + sj("デバッグ設定(debug) -> "_sj) + (on ? "ON" : "OFF") + "\n" +
         sj("(ON -> 1 / OFF -> 0)"_sj) + "\n\n->";
}

// The key configuration menu showing `keys` (up, down, left, right).
inline std::string key_config_screen(const std::string& keys) {
  return std::string(kClear) + sj("キーコンフィグ(key config)"_sj) + "\n\n" + sj("上設定 -> "_sj) +
         keys[0] + "\n" + sj("下設定 -> "_sj) + keys[1] + "\n" + sj("左設定 -> "_sj) + keys[2] +
         "\n" + sj("右設定 -> "_sj) + keys[3] + "\n" + sj("  1.設定する"_sj) + "\n\n" +
         sj("  他.戻る"_sj) + "\n\n->";
}

// Step `step` (0 up, 1 down, 2 left, 3 right) of entering the keys, showing `keys`.
inline std::string key_step_screen(const std::string& keys, int step) {
  static const char* const kPrompts[] = {"up ->", "down ->", "left ->", "right ->"};
  return std::string(kClear) + sj("上 -> "_sj) + keys[0] + "\n\n" + sj("下 -> "_sj) + keys[1] +
         "\n\n" + sj("左 -> "_sj) + keys[2] + "\n\n" + sj("右 -> "_sj) + keys[3] + "\n\n" +
         kPrompts[step];
}

// The bonus: its menu, and the texts of its two scripts.
namespace bonus {

inline const std::string kMenu = std::string(kClear) + sj("分岐練習\n"_sj) +
                                 sj("0.学校への行き方\n"_sj) + sj("他.電話対応\n"_sj);

inline std::string separator() {
  std::string line;
  for (int i = 0; i < 29; ++i) {
    line += sj("―"_sj);
  }
  return line + "\n";
}

inline const std::string kWakeUp = sj("\n朝起きた。さて、どうやって学校へ行こう。\n\n"_sj);
inline const std::string kRaining = sj("\n雨降ってる？\n\n"_sj);
inline const std::string kWeather = sj("\n晴れ=1、雨=2　＞"_sj);
inline const std::string kPc = sj("\nPC必要=1、PC無し=2　＞"_sj);
inline const std::string kSunnyWithPc =
    sj("\n車で行こう！(⊂^∀^)⊃ブーン\n\n"_sj) + sj("\n鞄はリュックと肩掛けだぜ！\n\n"_sj);
inline const std::string kSunnyNoPc =
    sj("\n車で行こう！(⊂^∀^)⊃ブーン\n\n"_sj) + sj("\n鞄は肩掛けのみだぜ！\n\n"_sj);
inline const std::string kRainNoPc =
    sj("\n歩いて行こう！ε≡「(*^ー^)」^^^\n\n"_sj) + sj("\n鞄はリュックだぜ！\n\n"_sj);
inline const std::string kRainWithPc =
    sj("\n電車で行こう(´・ω・｀)電車代がショボーン(お金ないのに)\n\n"_sj) +
    sj("\n鞄はリュックと肩掛け。\n\n"_sj) + sj("\n帰りは徒歩だよ。\n\n"_sj);

inline const std::string kTake = sj("電話取る？→1 or 他　"_sj);
inline const std::string kTakenFirst = sj("誰かに先に取られた\n"_sj);
inline const std::string kTime = sj("何時？→午前＝0、午後＝他　"_sj);
inline const std::string kMorning = sj("\n「おはようございます。株式会社です。」\n\n"_sj);
inline const std::string kAfternoon = sj("\n「ありがとうございます。株式会社です。」\n\n"_sj);
inline const std::string kCaller = sj("誰？→客＝他、社員＝9　"_sj);
inline const std::string kStaff = sj("\n「お疲れ様です。」\n\n"_sj);
inline const std::string kCustomer = sj("\n「お世話になっております。」\n\n"_sj);
inline const std::string kAskedFor =
    sj("誰々居ませんか\n"_sj) + sj("\n「少々お待ち下さい。」\n\n"_sj);
inline const std::string kPresent = sj("居る？→居る＝1、居ない＝他　"_sj);
inline const std::string kWhom = sj("誰？→社長＝1、部長＝2、課長＝3　"_sj);
inline const std::string kPutThrough[] = {sj("「社長、何処々の誰々様からお電話です。」\n\n"_sj),
                                          sj("「部長、何処々の誰々様からお電話です。」\n\n"_sj),
                                          sj("「課長、何処々の誰々様からお電話です。」\n\n"_sj)};
inline const std::string kWhere =
    sj("どこ？→外出＝1、会議＝2、来客接待＝3、別の電話対応＝4、席を外している＝他\n"_sj);
// The apology around where the person is: before, and after the matching text.
inline const std::string kSorry =
    sj("\n「お待たせしました。申し訳御座いません。\n"_sj) + sj("　誰々は只今"_sj);
inline const std::string kCallBackOffer = sj("　こちらから折り返しお電話させましょうか？」\n\n"_sj);
inline const std::string kAway[] = {
    sj("外出しておりまして、何時に戻る予定となっております。\n"_sj),
    sj("会議中でして、終わり次第、\n"_sj), sj("来客接待中でして、終わり次第、\n"_sj),
    sj("別の電話対応中でして、終わり次第、\n"_sj), sj("席を外しております。戻り次第、\n"_sj)};
inline const std::string kOk = sj("ＯＫ？→OK＝1、NO＝他　"_sj);
inline const std::string kStaffOk =
    sj("\n「了解しました。伝えておきます。\n"_sj) + sj("　お疲れ様でした。」\n\n"_sj);
inline const std::string kDeclined = sj("\n「はい、了解しました。申し訳ございません。\n"_sj) +
                                     sj("　ありがとうございました。失礼致します。」\n\n"_sj);
inline const std::string kNumberPlease =
    sj("\n「ご連絡先をお伺いしてもよろしいでしょうか？\n番号→"_sj);
inline std::string number_echo(const std::string& number) {
  return sj("\n「"_sj) + number +
         sj("、何処々の何々様ですね。了解しました。伝えておきます。\n"_sj) +
         sj("　ありがとうございました。失礼致します。」\n\n"_sj);
}

}  // namespace bonus

}  // namespace tavro::testing
