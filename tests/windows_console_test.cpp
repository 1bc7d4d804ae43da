// Both Windows executables under wine at a console in a terminal of 80 x 25, as a person meets
// them: the screens as the terminal shows them, keys typed one at a time, and the greeting's
// and key waits' timing. The executables are named by TAVRO_EXE and TAVRO_2DGAME_EXE; without
// them, tmux or wine, every case fails rather than passing unseen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tmux_terminal.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kColumns = 80;
constexpr int kRows = 25;
// wine's first start of a console program can take several seconds.
constexpr auto kStartTimeout = 30s;

std::string indent(int n) {
  return std::string(static_cast<std::size_t>(n), ' ');
}

// A whole screen: `lines` from `first_row` on, every other row blank.
Screen screen_with(int first_row, const std::vector<std::string>& lines) {
  Screen s(kRows);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    s.at(static_cast<std::size_t>(first_row) + i) = lines[i];
  }
  return s;
}

Screen greeting() {
  return screen_with(
      9, {indent(30) + "Hello Objective-C World", "", indent(30) + "Presented by the tavro project",
          "", indent(29) + "(C) 2026 tavro developers. All rights reserved."});
}

// tavro's title and menu, with whatever the console echoes after its prompt.
Screen title(const std::string& after_prompt = "") {
  return screen_with(
      7, {indent(25) + "★☆★　地雷ゲーム　mine game★☆★",
          indent(25) + "―画面端まで辿りつけ！ go to the out!～",
          indent(25) + "(クリアするとおまけが出るよ・・・！)", "",
          indent(32) + "1.ゲーム開始(start)", "", indent(32) + "2.オプション(option)", "",
          indent(32) + "3.終わる(end)", "", "input 1 ～ 3 ->" + after_prompt});
}

// tavro-2dgame clears by scrolling its text away, so its title sits at the bottom.
Screen title_2d(const std::string& echoed = "") {
  const std::string pad = "　　　　　　　　　　　";
  return screen_with(
      7, {"　　　　　　　★☆★　地雷ゲーム　mine game★☆★",
          "　　　　　　～画面端まで辿りつけ！ go to the out!～",
          "　　　　　　　(クリアするとおまけが出るよ・・・！)", "", pad + "1.ゲーム開始(start)", "",
          pad + "2.オプション(option)", "", pad + "3.終わる(end)", "", "", "", "", "", "", "",
          "input 1 ～ 3 ->", echoed});
}

std::string shown(const Screen& screen) {
  std::string text;
  for (const auto& line : screen) {
    text += "|" + line + "\n";
  }
  return text;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool contains(const Screen& screen, const std::string& text) {
  for (const auto& line : screen) {
    if (line.find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
}

class WindowsConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"tmux", "wine"}) {
      ASSERT_EQ(run_command({"sh", "-c", std::string("command -v ") + tool}).status, 0)
          << tool << " is needed to run the Windows executables at a terminal";
    }
    ASSERT_FALSE(exe("TAVRO_EXE").empty()) << "TAVRO_EXE must name tavro.exe";
    ASSERT_FALSE(exe("TAVRO_2DGAME_EXE").empty()) << "TAVRO_2DGAME_EXE must name tavro-2dgame.exe";
    // Text reaches the terminal as UTF-8 whatever the caller's locale.
    setenv("LC_ALL", "C.UTF-8", 1);
  }

  static std::string exe(const char* name) {
    const char* path = std::getenv(name);
    return path == nullptr ? std::string() : std::string(path);
  }

  static std::unique_ptr<TmuxTerminal> start(const char* name) {
    auto terminal = std::make_unique<TmuxTerminal>(std::vector<std::string>{"wine", exe(name)},
                                                   kColumns, kRows);
    EXPECT_TRUE(terminal->started()) << "tmux could not start " << exe(name);
    return terminal;
  }

  static void expect_screen(const TmuxTerminal& terminal, const Screen& expected,
                            std::chrono::milliseconds timeout) {
    Screen seen;
    ASSERT_TRUE(terminal.wait_for_screen(expected, timeout, seen)) << "expected:\n"
                                                                   << shown(expected) << "shown:\n"
                                                                   << shown(seen);
  }

  static void expect_exit_status_zero(const TmuxTerminal& terminal) {
    const std::optional<int> status = terminal.wait_for_exit(10s);
    ASSERT_TRUE(status.has_value()) << "still running:\n" << shown(terminal.screen());
    EXPECT_EQ(*status, 0);
  }
};

TEST_F(WindowsConsole, GreetingStaysFourToSixSecondsWithoutAKeyThenEntry3Ends) {
  const auto terminal = start("TAVRO_EXE");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, greeting(), kStartTimeout));
  const auto shown_at = Clock::now();
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title(), 10s));
  const double waited = seconds_since(shown_at);
  EXPECT_GE(waited, 4.0);
  EXPECT_LE(waited, 6.0);
  terminal->type("3");
  terminal->press_enter();
  expect_exit_status_zero(*terminal);
}

TEST_F(WindowsConsole, OneKeyWithoutEnterEndsTheGreetingAndAnswersTheMenu) {
  const auto terminal = start("TAVRO_EXE");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, greeting(), kStartTimeout));
  const auto pressed = Clock::now();
  terminal->type("3");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title("3"), 3s));
  EXPECT_LT(seconds_since(pressed), 1.5);
  terminal->press_enter();
  expect_exit_status_zero(*terminal);
}

// Walks up from the start until the game ends; then one key, without Enter, brings back the
// title on a console cleared of the map.
TEST_F(WindowsConsole, GamePlaysToItsEndAndOneKeyBringsBackTheTitle) {
  const auto terminal = start("TAVRO_EXE");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, greeting(), kStartTimeout));
  terminal->press_enter();
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title(), 3s));
  terminal->type("1");
  terminal->press_enter();
  const auto ended = [](const Screen& s) {
    return contains(s, "clear!!") || contains(s, "gameover!!");
  };
  Screen before = terminal->screen();
  for (int step = 0; step < 12 && !ended(before); ++step) {
    // Each move once the last one has been drawn, so that none is a step ahead.
    const auto deadline = Clock::now() + 5s;
    Screen now = terminal->screen();
    while (!(contains(now, "up -> 8 , down -> k") && now != before) && !ended(now) &&
           Clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
      now = terminal->screen();
    }
    if (ended(now)) {
      before = now;
      break;
    }
    terminal->type("8");
    terminal->press_enter();
    before = now;
  }
  const auto deadline = Clock::now() + 5s;
  while (!ended(before) && Clock::now() < deadline) {
    std::this_thread::sleep_for(100ms);
    before = terminal->screen();
  }
  ASSERT_TRUE(ended(before)) << "walking up leaves the map unless a mine ends it:\n"
                             << shown(before);
  terminal->type("z");  // kept through the pause for the key wait that follows it
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title(), 20s));
  terminal->type("3");
  terminal->press_enter();
  expect_exit_status_zero(*terminal);
}

TEST_F(WindowsConsole, TwoDGameShowsItsTitleAndEntry3Ends) {
  const auto terminal = start("TAVRO_2DGAME_EXE");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title_2d(), kStartTimeout));
  terminal->type("3");
  ASSERT_NO_FATAL_FAILURE(expect_screen(*terminal, title_2d("3"), 3s));
  terminal->press_enter();
  expect_exit_status_zero(*terminal);
}

}  // namespace
}  // namespace tavro::testing
