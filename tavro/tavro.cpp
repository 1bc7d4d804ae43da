// tavro: start-up with the greeting, the title screen, the main menu loop and the outcome of a
// game, with the two console routines every screen shares, locate and delay_wait.
#include "tavro.hpp"

#include <cstdint>

#include "console.hpp"
#include "cp932.hpp"
#include "settings.hpp"

namespace tavro {

namespace {

constexpr unsigned kPauseCount = 499999999;
constexpr std::int64_t kGreetingSeconds = 5;

// What main does with a game's result: the message under the final map, the pause in which
// it can be read, and a key press before the title returns. A quit returns at once.
void game_outcome(int result) {
  Console& c = con();
  if (result == 1) {
    c.print("clear!!\n"_sj);
    omake = 1;
  } else if (result == -1) {
    c.print("gameover!!\n"_sj);
  } else {
    return;
  }
  delay_wait(kPauseCount);
  c.discard_input();
  c.wait_key();
}

}  // namespace

int locate(int lines, int blanks) {
  Console& c = con();
  for (int i = 0; i < lines; ++i) {
    c.print('\n');
  }
  for (int i = 0; i < blanks; ++i) {
    c.print(' ');
  }
  return 0;
}

void delay_wait(unsigned count) {
  con().flush();  // the screen has to be readable while the program counts
  // The pause is nothing but counting, so the counter is volatile: each step is then an
  // observable access that the optimiser may not remove or fold into one.
  const unsigned steps = con().pause_steps(count);
  volatile unsigned counter = 0;
  while (counter < steps) {
    counter = counter + 1;
  }
}

// The greeting is the one operation of its object (tavro.hpp), so it stays a member.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
void Test::Hello() {
  Console& c = con();
  c.print("Hello Objective-C World\n"_sj);
  locate(1, 30);
  c.print("Presented by the tavro project\n"_sj);
  locate(1, 29);
  c.print("(C) 2026 tavro developers. MIT License.\n"_sj);

  // Stays until the whole-second clock reads five seconds past its first reading, or until a
  // key is pressed. A key is only noticed, not read: it is left for the menu. The wait blocks
  // until the next whole second or a key rather than polling the clock in a busy loop.
  const std::int64_t start = c.clock_ms() / 1000;
  for (;;) {
    const std::int64_t now = c.clock_ms();
    if (now / 1000 - start >= kGreetingSeconds) {
      return;
    }
    if (c.key_hit(static_cast<int>(1000 - now % 1000))) {
      c.discard_input();
      c.flush();
      return;
    }
  }
}

int objc_hello() {
  static Test greeter;  // the one greeter, kept until the process ends
  greeter.Hello();
  return 0;
}

int title() {
  Console& c = con();
  c.clear_screen();
  locate(7, 25);
  c.print("★☆★　地雷ゲーム　mine game★☆★\n"_sj);
  locate(0, 25);
  c.print("―画面端まで辿りつけ！ go to the out!～"_sj);
  locate(1, 25);
  c.print("(クリアするとおまけが出るよ・・・！)"_sj);
  locate(2, 32);
  c.print("1.ゲーム開始(start)"_sj);
  locate(2, 32);
  c.print("2.オプション(option)"_sj);
  locate(2, 32);
  c.print("3.終わる(end)"_sj);
  if (omake == 1) {
    locate(2, 32);
    c.print("4.おまけ(omake)"_sj);
  }
  locate(2, 0);
  return 0;
}

void main_menu() {
  Console& c = con();
  for (;;) {
    title();
    int choice = 0;
    c.print("input 1 ～ "_sj);
    c.print_number(omake + 3);
    c.print(" ->"_sj);
    c.discard_input();
    choice = c.read_number(choice);
    if (choice == 1) {
      game_outcome(game_main());
    } else if (choice == 2) {
      option();
    } else if (choice == 3) {
      c.end_run(0);
    } else if (omake == 1 && choice == 4) {
      mini_omake();
    }
  }
}

int run(Console& console) {
  use_console(&console);
  int status = 0;
  try {
    console.clear_screen();
    locate(9, 30);
    objc_hello();
    main_menu();
  } catch (const EndOfRun& end) {
    console.flush();
    status = end.status;
  }
  use_console(nullptr);  // the console belongs to the caller and may go once this returns
  return status;
}

}  // namespace tavro
