// tavro-2dgame: the program entry, the working storage of the run, the title screen and the
// main menu loop.
#include "tavro.hpp"

#include "cp932.hpp"
#include "runtime.hpp"
#include "storage.hpp"

namespace tavro2d {

Storage ws;

namespace {

bool first_call = true;

constexpr int kClearLines = 25;

}  // namespace

void reset_program() {
  ws = Storage{};
  first_call = true;
}

void clear_screen() {
  for (int i = 0; i < kClearLines; ++i) {
    rt::print_line();
  }
}

void title() {
  clear_screen();
  rt::print_line("　　　　　　　★☆★　地雷ゲーム　mine game★☆★"_sj);
  rt::print_line("　　　　　　～画面端まで辿りつけ！ go to the out!～"_sj);
  rt::print_line("　　　　　　　(クリアするとおまけが出るよ・・・！)"_sj);
  rt::print_line();
  rt::print_line("　　　　　　　　　　　1.ゲーム開始(start)"_sj);
  rt::print_line();
  rt::print_line("　　　　　　　　　　　2.オプション(option)"_sj);
  rt::print_line();
  rt::print_line("　　　　　　　　　　　3.終わる(end)"_sj);
  if (ws.CLEARED_FLAG == ws.ON_VALUE) {
    rt::print_line();
    rt::print_line("　　　　　　　　　　　4.おまけ(omake)"_sj);
  }
  for (int i = 0; i < 7; ++i) {
    rt::print_line();
  }
}

void main_menu() {
  while (ws.RUN_FLAG != 0) {
    title();
    ws.MENU_MAX = 3 + ws.CLEARED_FLAG;
    rt::print_line("input 1 ～ "_sj, ws.MENU_MAX, " ->"_sj);
    rt::read_line(ws.MENU_CHOICE);
    if (ws.MENU_CHOICE == 1) {
      game_main();
    } else if (ws.MENU_CHOICE == 2) {
      option();
    } else if (ws.MENU_CHOICE == 3) {
      ws.RUN_FLAG = 0;
    } else if (ws.MENU_CHOICE == 4 && ws.CLEARED_FLAG == 1) {
      mini_omake();
    }
  }
  rt::stop(ws.EXIT_STATUS);
}

}  // namespace tavro2d

extern "C" TAVRO_2DGAME_EXPORT int TAVRO_2DGAME() {
  using namespace tavro2d;
  if (!rt::started()) {
    rt::fatal("TAVRO_2DGAME was called, but the console runtime was not started");
  }
  if (first_call) {
    ws = Storage{};
    first_call = false;
  }
  seed_from_clock();
  main_menu();
  return ws.EXIT_STATUS;
}
