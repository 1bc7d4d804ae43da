// The built tavro on a pseudo-terminal, as a person at a terminal meets it: single keys
// without Enter, the greeting's wait, and the terminal left exactly as it was found.
#include <termios.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>

#include "cp932.hpp"
#include "process.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kExe = TAVRO_EXE;

// A terminal in its usual line mode, as a shell hands it over.
termios line_mode() {
  termios t{};
  t.c_iflag = ICRNL | IXON | IUTF8;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = CS8 | CREAD | CLOCAL;
  t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
  t.c_cc[VINTR] = 0x03;
  t.c_cc[VQUIT] = 0x1C;
  t.c_cc[VERASE] = 0x7F;
  t.c_cc[VKILL] = 0x15;
  t.c_cc[VEOF] = 0x04;
  t.c_cc[VSUSP] = 0x1A;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B38400);
  cfsetospeed(&t, B38400);
  return t;
}

termios mode_of(const Child& child) {
  termios now{};
  tcgetattr(child.terminal_fd(), &now);  // a master reports its terminal's mode
  return now;
}

void expect_same_mode(const termios& a, const termios& b) {
  EXPECT_EQ(a.c_iflag, b.c_iflag);
  EXPECT_EQ(a.c_oflag, b.c_oflag);
  EXPECT_EQ(a.c_lflag, b.c_lflag);
  EXPECT_EQ(a.c_cc[VMIN], b.c_cc[VMIN]);
  EXPECT_EQ(a.c_cc[VTIME], b.c_cc[VTIME]);
  EXPECT_EQ(a.c_cc[VINTR], b.c_cc[VINTR]);
}

const std::string& greeting_end() {
  static const std::string end = "All rights reserved.\r\n";  // line breaks arrive as CR LF
  return end;
}

const std::string& menu_prompt() {
  static const std::string prompt(std::string("input 1 ～ 3 ->"_sj));
  return prompt;
}

// Waits until the program has put its terminal in line mode (or taken it out of it).
bool wait_for_line_mode(Child& child, bool line_mode_on) {
  return child.read_until(
      [&](std::string_view) { return ((mode_of(child).c_lflag & ICANON) != 0) == line_mode_on; },
      30s);
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(TavroTerminal, GreetingStaysFourToFiveSecondsWithoutAKey) {
  const termios before = line_mode();
  const auto start = Clock::now();
  Child child = Child::on_terminal(kExe, before);
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  EXPECT_TRUE(wait_for_line_mode(child, false)) << "a single key must end the wait";
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 10s));
  const double waited = seconds_since(start);
  EXPECT_GE(waited, 3.9);
  EXPECT_LE(waited, 5.9);
  child.send("3\r");
  const ExitState exit = child.wait(10s);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  // The wait blocks: a loop that polled the clock would burn the whole five seconds.
  if (kMeasuresResources) {
    EXPECT_LT(exit.cpu_seconds, 0.05);
  }
  expect_same_mode(mode_of(child), before);
}

TEST(TavroTerminal, KeyEndsTheGreetingAtOnceAndIsKeptForTheMenu) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before);
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  child.take_new_output();
  const auto pressed = Clock::now();
  child.send("3");  // no Enter
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 3s));
  EXPECT_LT(seconds_since(pressed), 1.0);
  EXPECT_EQ(mode_of(child).c_lflag & ICANON, ICANON) << "line mode for the menu's answer";
  child.send("\r");  // the 3 typed during the greeting is the answer
  const ExitState exit = child.wait(10s);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  expect_same_mode(mode_of(child), before);
}

TEST(TavroTerminal, KeyWaitAfterAGameTakesOneKeyWithoutEnter) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before);
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  child.send("1");
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 3s));
  child.take_new_output();
  child.send("\r");
  // The first map comes twice (the rest of the answer's line is the first move line); a move
  // sent before the second drawing would be a step ahead and answer the key wait later.
  ASSERT_TRUE(child.read_until(
      [](std::string_view fresh) {
        std::size_t prompts = 0;
        for (std::size_t at = fresh.find("\r\n->"); at != std::string_view::npos;
             at = fresh.find("\r\n->", at + 1)) {
          ++prompts;
        }
        return prompts == 2 && fresh.ends_with("\r\n->");
      },
      5s));
  bool ended = false;
  for (int step = 0; step < 9 && !ended; ++step) {
    child.take_new_output();
    child.send("8\r");
    ASSERT_TRUE(child.read_until(
        [](std::string_view fresh) {
          return fresh.ends_with("\r\n->") || fresh.ends_with("clear!!\r\n") ||
                 fresh.ends_with("gameover!!\r\n");
        },
        5s));
    ended = !child.take_new_output().ends_with("\r\n->");
  }
  ASSERT_TRUE(ended) << "eight steps up leave the map, unless a mine ends the game first";
  // The pause counts, then the key wait: one key, no Enter, brings the title back.
  ASSERT_TRUE(wait_for_line_mode(child, false)) << "the key wait reads in single-key mode";
  child.send("z");
  ASSERT_TRUE(child.read_until(
      [](std::string_view fresh) { return fresh.find(" ->") != std::string_view::npos; }, 10s));
  child.send("3\r");
  const ExitState exit = child.wait(10s);
  EXPECT_EQ(exit.code, 0);
  expect_same_mode(mode_of(child), before);
}

TEST(TavroTerminal, TerminalIsRestoredOnEveryWayOut) {
  const termios before = line_mode();
  {
    // Ctrl+C typed during the greeting, while the terminal is in single-key mode.
    Child child = Child::on_terminal(kExe, before);
    ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
    ASSERT_TRUE(wait_for_line_mode(child, false));
    child.send("\x03");
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.signaled);
    EXPECT_EQ(exit.signal, SIGINT) << "the signal's own action ends the process";
    expect_same_mode(mode_of(child), before);
  }
  for (const int signal_number : {SIGTERM, SIGHUP}) {
    Child child = Child::on_terminal(kExe, before);
    ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
    ASSERT_TRUE(wait_for_line_mode(child, false));
    kill(child.pid(), signal_number);
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.signaled);
    EXPECT_EQ(exit.signal, signal_number);
    expect_same_mode(mode_of(child), before);
  }
  {
    // End of input (Ctrl+D on an empty line) at the menu.
    Child child = Child::on_terminal(kExe, before);
    ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
    child.send("\r");
    ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 3s));
    child.send("\x04");
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.exited);
    EXPECT_EQ(exit.code, 0);
    expect_same_mode(mode_of(child), before);
  }
}

}  // namespace
}  // namespace tavro::testing
