// The bonus, unlocked by the first win: a branch-practice menu and its two canned scripts, the
// way to school and answering the office telephone. Each visit runs one script to its end.
#include <initializer_list>
#include <string_view>

#include "cp932.hpp"
#include "runtime.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace tavro2d {

namespace {

constexpr std::string_view kRuler = "―――――――――――――――――――――――――"_sj;

// Each text on a line of its own; an empty one is an empty line.
void print_lines(std::initializer_list<std::string_view> lines) {
  for (const std::string_view line : lines) {
    rt::print_line(line);
  }
}

// A pause waits for Enter: the line is read into the script's own item and never looked at,
// so even a valid answer typed there changes nothing.
void school_pause() {
  rt::read_line(ws.GOWAY_FLAG);
}
void telephone_pause() {
  rt::read_line(ws.TEL_PAUSE);
}

// Asks `prompt` until the answer is 1 or 2.
void ask_one_or_two(std::string_view prompt, Signed<1>& answer) {
  ws.GOWAY_FLAG = 1;
  while (ws.GOWAY_FLAG != 0) {
    rt::print_line(prompt);
    rt::read_line(answer);
    if (answer == 1 || answer == 2) {
      ws.GOWAY_FLAG = 0;
    }
  }
}

// The wanted person is in: asks which superior until one of the three is named.
void put_through() {
  ws.BOSS_FLAG = 1;
  while (ws.BOSS_FLAG != 0) {
    rt::print_line("誰？→社長＝1、部長＝2、課長＝3　"_sj);
    rt::read_line(ws.BOSS_ANSWER);
    if (ws.BOSS_ANSWER == 1) {
      rt::print_line("「社長、何処々の誰々様からお電話です。」"_sj);
      ws.BOSS_FLAG = 0;
    } else if (ws.BOSS_ANSWER == 2) {
      rt::print_line("「部長、何処々の誰々様からお電話です。」"_sj);
      ws.BOSS_FLAG = 0;
    } else if (ws.BOSS_ANSWER == 3) {
      rt::print_line("「課長、何処々の誰々様からお電話です。」"_sj);
      ws.BOSS_FLAG = 0;
    }
  }
}

// The wanted person is out: says where, offers a call back and closes the call.
void take_message() {
  print_lines(
      {"どこ？→外出＝1、会議＝2、来客接待＝3、"_sj, "別の電話対応＝4、席を外している＝他"_sj});
  rt::read_line(ws.WHERE_ANSWER);
  rt::print_line("「お待たせしました。申し訳御座いません。"_sj);
  telephone_pause();
  if (ws.WHERE_ANSWER == 1) {
    print_lines({"誰々は只今外出しておりまして、"_sj, "何時に戻る予定となっております。"_sj});
  } else if (ws.WHERE_ANSWER == 2) {
    rt::print_line("誰々は只今会議中でして、終わり次第、"_sj);
  } else if (ws.WHERE_ANSWER == 3) {
    rt::print_line("誰々は只今来客接待中でして、終わり次第、"_sj);
  } else if (ws.WHERE_ANSWER == 4) {
    print_lines({"誰々は只今別の電話対応中でして、"_sj, "終わり次第、"_sj});
  } else {
    rt::print_line("誰々は只今席を外しております。戻り次第、"_sj);
  }
  telephone_pause();
  rt::print_line("こちらから折り返しお電話させましょうか？」"_sj);
  telephone_pause();

  rt::print_line("ＯＫ？→OK＝1、NO＝他　"_sj);
  rt::read_line(ws.OK_ANSWER);
  if (ws.OK_ANSWER != 1) {
    print_lines({"「はい、了解しました。申し訳ございません。"_sj,
                 "　ありがとうございました。失礼致します。」"_sj});
  } else if (ws.CALLER_ANSWER == 9) {
    print_lines({"「了解しました。伝えておきます。"_sj, "　お疲れ様でした。」"_sj});
  } else {
    print_lines({"「ご連絡先をお伺いしてもよろしいでしょうか？"_sj, "番号→"_sj});
    // The number is text: echoed in all its 13 bytes, leading zeros and trailing blanks kept.
    rt::read_line(ws.TEL_NUMBER);
    rt::print_line(ws.TEL_NUMBER, "、何処々の何々様ですね。"_sj);
    print_lines(
        {"了解しました。伝えておきます。"_sj, "　ありがとうございました。失礼致します。」"_sj});
  }
}

}  // namespace

void mini_omake() {
  clear_screen();
  print_lines({"分岐練習"_sj, "  0.学校への行き方"_sj, "  他.電話対応"_sj});
  for (int i = 0; i < 20; ++i) {
    rt::print_line();
  }
  rt::print_line("-> "_sj);
  rt::read_line(ws.OMAKE_CHOICE);
  if (ws.OMAKE_CHOICE == 0) {
    goway();
  } else {
    tel_res();
  }
}

void goway() {
  clear_screen();
  print_lines({"朝起きた。さて、どうやって学校へ行こう。"_sj, {}});
  school_pause();
  print_lines({"雨降ってる？"_sj, {}});
  school_pause();
  ask_one_or_two("晴れ=1、雨=2　＞"_sj, ws.WEATHER_ANSWER);
  print_lines({{}, "今日はパソコンの必要な授業はある？"_sj, {}});
  school_pause();
  ask_one_or_two("PC必要=1、PC無し=2　＞"_sj, ws.PC_ANSWER);
  rt::print_line();
  // Fine weather means the car whatever the lessons; in the rain the computer decides.
  if (ws.WEATHER_ANSWER == 1 && ws.PC_ANSWER == 1) {
    print_lines({kRuler,
                 {},
                 "車で行こう！(⊂^∀^)⊃ブーン"_sj,
                 {},
                 {},
                 "鞄はリュックと肩掛けだぜ！"_sj,
                 {},
                 kRuler});
  } else if (ws.WEATHER_ANSWER == 1) {
    print_lines({kRuler,
                 {},
                 "車で行こう！(⊂^∀^)⊃ブーン"_sj,
                 {},
                 {},
                 "鞄は肩掛けのみだぜ！"_sj,
                 {},
                 kRuler});
  } else if (ws.PC_ANSWER == 1) {
    print_lines({kRuler,
                 {},
                 "電車で行こう(´・ω・｀)"_sj,
                 {},
                 "電車代がショボーン(お金ないのに)"_sj,
                 {},
                 "鞄はリュックと肩掛け。"_sj,
                 {},
                 "帰りは徒歩だよ。"_sj,
                 {},
                 kRuler});
  } else {
    print_lines({kRuler,
                 {},
                 "歩いて行こう！ε≡「(*^ー^)」^^^"_sj,
                 {},
                 {},
                 "鞄はリュックだぜ！"_sj,
                 {},
                 kRuler});
  }
  school_pause();
}

// Prints no empty lines at all, unlike the other screens.
void tel_res() {
  clear_screen();
  rt::print_line("電話キター！(;ﾟДﾟ)"_sj);
  telephone_pause();
  rt::print_line("電話取る？→1 or 他　"_sj);
  rt::read_line(ws.TAKE_ANSWER);
  if (ws.TAKE_ANSWER != 1) {
    rt::print_line("誰かに先に取られた"_sj);
  } else {
    rt::print_line("何時？→午前＝0、午後＝他　"_sj);
    rt::read_line(ws.TIME_ANSWER);
    rt::print_line(ws.TIME_ANSWER == 0 ? "「おはようございます。株式会社です。」"_sj
                                       : "「ありがとうございます。株式会社です。」"_sj);
    telephone_pause();
    rt::print_line("誰？→客＝他、社員＝9　"_sj);
    rt::read_line(ws.CALLER_ANSWER);
    rt::print_line(ws.CALLER_ANSWER == 9 ? "「お疲れ様です。」"_sj
                                         : "「お世話になっております。」"_sj);
    telephone_pause();
    rt::print_line("「誰々居ませんか」"_sj);
    telephone_pause();
    rt::print_line("「少々お待ち下さい。」"_sj);
    telephone_pause();
    rt::print_line("居る？→居る＝1、居ない＝他　"_sj);
    rt::read_line(ws.PRESENT_ANSWER);
    if (ws.PRESENT_ANSWER == 1) {
      put_through();
    } else {
      take_message();
    }
  }
  telephone_pause();
}

}  // namespace tavro2d
