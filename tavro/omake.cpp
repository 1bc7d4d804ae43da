// The bonus, unlocked by the first win: a menu of two branching text scripts, the way to
// school and answering the office telephone. The scripts print one text after another on the
// screen the menu cleared, ask numbered questions and choose their next texts by the answers.
#include <array>
#include <string>
#include <string_view>

#include "console.hpp"
#include "cp932.hpp"
#include "tavro.hpp"

namespace tavro {

namespace {

// The weather question gives up after this many answers that are neither sunny nor rain.
constexpr int kWeatherTries = 9999;
constexpr int kSeparatorBars = 29;

// How to get to school for one pair of answers, weather and PC; rows are tried in order.
struct Commute {
  int weather = 0;
  int pc = 0;
  std::array<std::string_view, 3> texts;  // an empty text prints nothing
};

constexpr std::array<Commute, 4> kCommutes{{
    {1, 1, {"\n車で行こう！(⊂^∀^)⊃ブーン\n\n"_sj, "\n鞄はリュックと肩掛けだぜ！\n\n"_sj, {}}},
    {1, 2, {"\n車で行こう！(⊂^∀^)⊃ブーン\n\n"_sj, "\n鞄は肩掛けのみだぜ！\n\n"_sj, {}}},
    {2, 2, {"\n歩いて行こう！ε≡「(*^ー^)」^^^\n\n"_sj, "\n鞄はリュックだぜ！\n\n"_sj, {}}},
    {2,
     1,
     {"\n電車で行こう(´・ω・｀)電車代がショボーン(お金ないのに)\n\n"_sj,
      "\n鞄はリュックと肩掛け。\n\n"_sj, "\n帰りは徒歩だよ。\n\n"_sj}},
}};

void print_separator() {
  Console& c = con();
  for (int i = 0; i < kSeparatorBars; ++i) {
    c.print("―"_sj);
  }
  c.print('\n');
}

const Commute* find_commute(int weather, int pc) {
  for (const Commute& row : kCommutes) {
    if (row.weather == weather && row.pc == pc) {
      return &row;
    }
  }
  return nullptr;
}

// A telephone answer that is not a number matches none of the listed answers, so it takes a
// question's other branch, or asks the question again where there is none.
constexpr int kNotANumber = -1;

int ask(std::string_view question) {
  Console& c = con();
  c.print(question);
  c.discard_input();
  return c.read_number(kNotANumber);
}

}  // namespace

int mini_omake() {
  Console& c = con();
  c.clear_screen();
  c.print("分岐練習\n"_sj);
  c.print("0.学校への行き方\n"_sj);
  c.print("他.電話対応\n"_sj);
  c.discard_input();
  const Answer line = c.read_line();
  c.clear_screen();
  if (line.is("0")) {
    goway();
  } else {
    tel_res();
  }
  return 0;
}

int goway() {
  Console& c = con();
  int weather = 0;  // a failed read leaves an answer as it was
  int pc = 0;
  c.print("\n朝起きた。さて、どうやって学校へ行こう。\n\n"_sj);
  c.wait_key();
  c.print("\n雨降ってる？\n\n"_sj);
  c.wait_key();
  for (int tries = 0; tries < kWeatherTries && weather != 1 && weather != 2; ++tries) {
    c.print("\n晴れ=1、雨=2　＞"_sj);
    c.discard_input();
    weather = c.read_number(weather);
  }
  c.wait_key();
  // Without a weather no row can match, and the PC question would be asked for ever: the
  // script then goes straight to its closing line.
  if (weather == 1 || weather == 2) {
    for (;;) {
      c.print("\nPC必要=1、PC無し=2　＞"_sj);
      c.discard_input();
      pc = c.read_number(pc);
      if (const Commute* row = find_commute(weather, pc)) {
        print_separator();
        for (const std::string_view text : row->texts) {
          c.print(text);
        }
        break;
      }
    }
  }
  print_separator();
  c.wait_key();
  return 0;
}

int tel_res() {
  Console& c = con();
  if (ask("電話取る？→1 or 他　"_sj) != 1) {
    c.print("誰かに先に取られた\n"_sj);
    c.wait_key();
    return 0;
  }
  c.print(ask("何時？→午前＝0、午後＝他　"_sj) == 0
              ? "\n「おはようございます。株式会社です。」\n\n"_sj
              : "\n「ありがとうございます。株式会社です。」\n\n"_sj);
  const bool staff = ask("誰？→客＝他、社員＝9　"_sj) == 9;
  c.print(staff ? "\n「お疲れ様です。」\n\n"_sj : "\n「お世話になっております。」\n\n"_sj);
  c.print("誰々居ませんか\n"_sj);
  c.print("\n「少々お待ち下さい。」\n\n"_sj);

  if (ask("居る？→居る＝1、居ない＝他　"_sj) == 1) {
    constexpr std::array<std::string_view, 3> kPutThrough{
        "「社長、何処々の誰々様からお電話です。」\n\n"_sj,
        "「部長、何処々の誰々様からお電話です。」\n\n"_sj,
        "「課長、何処々の誰々様からお電話です。」\n\n"_sj};
    int whom = 0;
    while (whom < 1 || whom > 3) {
      whom = ask("誰？→社長＝1、部長＝2、課長＝3　"_sj);
    }
    c.print(kPutThrough[static_cast<std::size_t>(whom - 1)]);
    c.wait_key();
    return 0;
  }

  constexpr std::array<std::string_view, 5> kAway{
      "外出しておりまして、何時に戻る予定となっております。\n"_sj,
      "会議中でして、終わり次第、\n"_sj, "来客接待中でして、終わり次第、\n"_sj,
      "別の電話対応中でして、終わり次第、\n"_sj, "席を外しております。戻り次第、\n"_sj};
  const int where =
      ask("どこ？→外出＝1、会議＝2、来客接待＝3、別の電話対応＝4、席を外している＝他\n"_sj);
  c.print("\n「お待たせしました。申し訳御座いません。\n"_sj);
  c.print("　誰々は只今"_sj);
  c.print(kAway[where >= 1 && where <= 4 ? static_cast<std::size_t>(where - 1) : 4]);
  c.print("　こちらから折り返しお電話させましょうか？」\n\n"_sj);

  const bool call_back = ask("ＯＫ？→OK＝1、NO＝他　"_sj) == 1;
  if (staff && call_back) {
    c.print("\n「了解しました。伝えておきます。\n"_sj);
    c.print("　お疲れ様でした。」\n\n"_sj);
  } else if (call_back) {
    c.print("\n「ご連絡先をお伺いしてもよろしいでしょうか？\n番号→"_sj);
    c.discard_input();
    // The number is echoed as it was read, however long: a mobile number does not fit an int.
    // A failed read echoes the 0 an answer is preset to.
    if (!c.echo_number("\n「"_sj)) {
      c.print("\n「0"_sj);
    }
    c.print("、何処々の何々様ですね。了解しました。伝えておきます。\n"_sj);
    c.print("　ありがとうございました。失礼致します。」\n\n"_sj);
  } else {
    c.print("\n「はい、了解しました。申し訳ございません。\n"_sj);
    c.print("　ありがとうございました。失礼致します。」\n\n"_sj);
  }
  c.wait_key();
  return 0;
}

}  // namespace tavro
