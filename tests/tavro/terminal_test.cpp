// The built tavro on a pseudo-terminal, as a person at a terminal meets it: its own line
// editing with echo and the terminal's editing characters, whole key presses at a key wait,
// the greeting's wait, the screen drawn again, the job keys and stops under a job-control
// shell, and the terminal left exactly as it was found.
#include <termios.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
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
  t.c_cc[VWERASE] = 0x17;
  t.c_cc[VREPRINT] = 0x12;
  t.c_cc[VLNEXT] = 0x16;
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

void expect_same_mode(const termios& now, const termios& before) {
  EXPECT_EQ(now.c_iflag, before.c_iflag);
  EXPECT_EQ(now.c_oflag, before.c_oflag);
  EXPECT_EQ(now.c_cflag, before.c_cflag);
  EXPECT_EQ(now.c_lflag, before.c_lflag);
  EXPECT_EQ(std::memcmp(now.c_cc, before.c_cc, sizeof now.c_cc), 0);
}

bool in_programs_mode(const Child& child) {
  return (mode_of(child).c_lflag & (ICANON | ECHO)) == 0;
}

const std::string& greeting_end() {
  static const std::string end = "MIT License.\r\n";  // line breaks arrive as CR LF
  return end;
}

const std::string& menu_prompt() {
  static const std::string prompt(std::string("input 1 ～ 3 ->"_sj));
  return prompt;
}

// Waits for the menu prompt, before or after a win, followed by `echo`.
bool reaches_menu(Child& child, const std::string& echo = "") {
  static const std::string after_a_win(std::string("input 1 ～ 4 ->"_sj));
  return child.read_until(
      [&](std::string_view fresh) {
        return fresh.ends_with(menu_prompt() + echo) || fresh.ends_with(after_a_win + echo);
      },
      5s);
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Started and through the greeting, ended by Enter; that Enter shows at the prompt as an
// empty line, and the output until then is taken.
Child at_menu(const termios& mode, TerminalSetup setup = {}) {
  Child child = Child::on_terminal(kExe, mode, setup);
  EXPECT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  child.send("\r");
  EXPECT_TRUE(child.read_until_ends_with(menu_prompt() + "\r\n", 5s));
  child.take_new_output();
  return child;
}

// Sends `typed` at the menu and tells whether the output then ends with `shown`.
bool shows(Child& child, const std::string& typed, const std::string& shown) {
  child.send(typed);
  return child.read_until_ends_with(shown, 3s);
}

void expect_ends_with_status_0(Child& child, const termios& before) {
  const ExitState exit = child.wait(10s);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  expect_same_mode(mode_of(child), before);
}

// Plays a game from the menu to its end: the key wait follows the pause.
void play_to_the_key_wait(Child& child) {
  child.send("1\r");
  // The first map comes twice (the rest of the answer's line is the first move line); a move
  // sent before the second drawing would be a step ahead.
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
}

TEST(TavroTerminal, GreetingWaitsFourToFiveSecondsInTheProgramsModeWithoutSpinning) {
  const termios before = line_mode();
  const auto start = Clock::now();
  Child child = Child::on_terminal(kExe, before);
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  EXPECT_TRUE(in_programs_mode(child)) << "a single key must end the wait";
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 10s));
  const double waited = seconds_since(start);
  EXPECT_GE(waited, 3.9);
  EXPECT_LE(waited, 5.9);
  EXPECT_TRUE(in_programs_mode(child)) << "one mode for the whole run";
  child.send("3\r");
  const ExitState exit = child.wait(10s);
  EXPECT_EQ(exit.code, 0);
  // The wait blocks: a loop that polled the clock would burn the whole five seconds.
  if (kMeasuresResources) {
    EXPECT_LT(exit.cpu_seconds, 0.05);
  }
  expect_same_mode(mode_of(child), before);
}

TEST(TavroTerminalEditing, GreetingKeyShowsAtThePromptAndCanBeErased) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before);
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  const auto pressed = Clock::now();
  child.send("2");  // no Enter
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt() + "2", 3s)) << "shown after the prompt";
  EXPECT_LT(seconds_since(pressed), 1.0);
  // Erased by writing the line again from the prompt's end, column 15 (～ takes two).
  EXPECT_TRUE(shows(child, "\x7f", "2\r\x1b[15C\x1b[J"));
  EXPECT_TRUE(shows(child, "3\r", "\x1b[J3\r\n")) << "the answer is 3 alone, not 23";
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalEditing, ErasesWholeCharactersAndKillsTheLine) {
  const termios before = line_mode();
#ifdef TAVRO_UTF8_OUTPUT
  const std::string wide = "\xE3\x81\x82";  // あ, two columns
#else
  const std::string wide = "\x82\xA0";  // あ in code page 932, two columns
#endif
  Child child = at_menu(before);
  // One erase takes the whole character and both its columns: a byte left behind would make
  // the answer no number, and the menu would be drawn again instead of the program ending.
  // Each erase writes the line again from its start, the first column of the row.
  const std::string again = "\r\x1b[J";
  EXPECT_TRUE(shows(child, "1" + wide + "2", "1" + wide + "2"));
  EXPECT_TRUE(shows(child, "\x08", again + "1" + wide));
  EXPECT_TRUE(shows(child, "\x7f", again + "1"));
  EXPECT_TRUE(shows(child, "4\x15", "4" + again)) << "Ctrl+U takes 1 and 4";
  child.send("\x7f\x7f");  // nothing left to erase
  EXPECT_TRUE(shows(child, "3\r", "3\r\n"));
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(),
            "1" + wide + "2" + again + "1" + wide + again + "1" + "4" + again + "3\r\n")
      << "the menu was not redrawn, and nothing else was echoed";
}

TEST(TavroTerminalEditing, EraseTakesACombiningMarkWithItsCharacter) {
#ifndef TAVRO_UTF8_OUTPUT
  GTEST_SKIP() << "combining marks come with UTF-8";
#else
  const termios before = line_mode();
  Child child = at_menu(before);
  // e and a combining acute accent show in one column, and one erase takes both: the answer
  // is 3 alone, and the program ends instead of drawing the menu again for "e3".
  EXPECT_TRUE(shows(child, "e\u0301", "e\u0301"));
  child.send(
      "\x7f"
      "3\r");
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(), "e\u0301\r\x1b[J3\r\n");
#endif
}

TEST(TavroTerminalEditing, KeysOtherThanCharactersLeaveNothingInTheLine) {
  const termios before = line_mode();
  Child child = at_menu(before);
  // Up, F5, Home in its other form, Alt+x, Ctrl+A; a tab is kept and shows as a blank.
  child.send("\x1b[A\x1b[15~\x1bOH\x1bx\x01");
  EXPECT_TRUE(shows(child, "\t3\r", " 3\r\n"));
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(), " 3\r\n") << "nothing of the keys is echoed";
}

TEST(TavroTerminalEditing, EnterIsACrALineBreakOrBoth) {
  termios before = line_mode();
  before.c_iflag &= ~static_cast<tcflag_t>(ICRNL);  // CR reaches the program as it is
  Child child = at_menu(before);
  child.send("\r\n");
  child.send("\n3\r");
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(), "\r\n\r\n3\r\n") << "CR LF is one Enter, LF another";
}

TEST(TavroTerminalEditing, LoneEscapeIsSwallowedAlone) {
  const termios before = line_mode();
  Child child = at_menu(before);
  child.send("\x1b");
  ASSERT_FALSE(child.read_until([](std::string_view fresh) { return !fresh.empty(); }, 300ms));
  EXPECT_TRUE(shows(child, "3\r", "3\r\n")) << "the 3 typed later is not part of an Alt+key";
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalEditing, EndOfFileCharacterEndsOnlyAnEmptyLine) {
  const termios before = line_mode();
  Child child = at_menu(before);
  // Inside a line it is ignored: "12" names no entry, so the title comes back.
  child.send("1\x04");
  child.send("2\r");
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 3s));
  EXPECT_TRUE(child.take_new_output().starts_with("12\r\n\x1b[H"));
  child.send("\x04");
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalEditing, OutputPipedToAPagerCarriesTheEchoInOrder) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before, {.output_piped = true});
  ASSERT_TRUE(child.read_until_ends_with("MIT License.\n", 5s));  // a pipe: no CR
  child.send("3");
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt() + "3", 3s)) << "the key typed early";
  child.send("\r");
  expect_ends_with_status_0(child, before);
  EXPECT_TRUE(child.output().ends_with(menu_prompt() + "3\n"));
  EXPECT_EQ(child.terminal_output(), "") << "nothing beside the pipe, where it would come early";
}

TEST(TavroTerminalKeyWait, TakesOneWholeKeyPressUnechoed) {
  const termios before = line_mode();
  // Up, Alt+x, a UTF-8 character (one key in either build) and a code page 932 one, each
  // followed at once by the menu's next answer, which must stay whole.
  for (const std::string key : {"\x1b[A", "\x1bx", "\xE3\x81\x82", "\x82\xA0"}) {
    SCOPED_TRACE(::testing::PrintToString(key));
    Child child = at_menu(before);
    play_to_the_key_wait(child);
    child.take_new_output();
    child.send(key + "3\r");
    ASSERT_TRUE(reaches_menu(child, "3\r\n"));
    expect_ends_with_status_0(child, before);
  }
}

TEST(TavroTerminalKeyWait, ArrowTypedAloneBringsBackAnUntouchedTitle) {
  const termios before = line_mode();
  Child child = at_menu(before);
  play_to_the_key_wait(child);
  child.take_new_output();
  child.send("\x1b[A");
  ASSERT_TRUE(reaches_menu(child));
  child.send("3\r");
  EXPECT_TRUE(reaches_menu(child, "3\r\n")) << "no [A before the answer";
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalEditing, WordEraseReprintAndLiteralNextAreTheTerminalsOwn) {
  termios before = line_mode();
  before.c_cc[VWERASE] = 0x02;  // Ctrl+B; Ctrl+W is then an ignored control byte
  before.c_cc[VLNEXT] = _POSIX_VDISABLE;
  Child child = at_menu(before);
  child.send("2 1\x02\x17\x16\x12");
  ASSERT_TRUE(child.read_until_ends_with("^R\r\n2 ", 3s));
  child.send(
      "\x7f\x7f"
      "3\r");
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(), "2 1\r\x1b[J2 ^R\r\n2 \r\x1b[J2\r\x1b[J3\r\n");
}

// The output since the last clear in `output`, which is what a redraw shows.
std::string since_last_clear(const std::string& output) {
  return output.substr(output.rfind("\x1b[H\x1b[2J"));
}

// Types 1 at the menu; returns the screen that a redraw must show then, the output taken.
std::string typed_at_menu(Child& child) {
  child.send("1");
  EXPECT_TRUE(child.read_until_ends_with("1", 3s));
  std::string screen = since_last_clear(child.output());
  EXPECT_TRUE(screen.ends_with(menu_prompt() + "\r\n1"));
  child.take_new_output();
  return screen;
}

TEST(TavroTerminalRedraw, CtrlLDrawsTheScreenAgainAndIsNeitherAnAnswerNorAKey) {
  const termios before = line_mode();
  Child child = at_menu(before);
  const std::string screen = typed_at_menu(child);
  child.send("\x0c");
  ASSERT_TRUE(child.read_until_ends_with(screen, 3s));
  EXPECT_EQ(child.take_new_output(), screen) << "cleared, then what it showed, once";
  child.send("\x7f");
  play_to_the_key_wait(child);
  const std::string final_map = since_last_clear(child.output());
  child.take_new_output();
  child.send("\x0c");
  ASSERT_TRUE(child.read_until_ends_with(final_map, 3s));
  EXPECT_EQ(child.take_new_output(), final_map) << "still waiting for a key";
  child.send("z");
  ASSERT_TRUE(reaches_menu(child));
  child.send("3\r");
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalJobControl, JobKeysAreTheTerminalsOwnAndActOnlyWhenEnabled) {
  termios before = line_mode();
  before.c_cc[VINTR] = 0x18;  // Ctrl+X
  before.c_cc[VQUIT] = _POSIX_VDISABLE;
  before.c_cc[VSUSP] = _POSIX_VDISABLE;
  Child child = Child::on_terminal(kExe, before, {.job_control = true});
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  // In the greeting's wait: no signal, but keys like any other, which end the wait.
  child.send("\x1c\x1a\x03");
  ASSERT_TRUE(reaches_menu(child));
  child.send("\x18");
  const ExitState exit = child.wait(10s);
  EXPECT_TRUE(exit.signaled);
  EXPECT_EQ(exit.signal, SIGINT);
  EXPECT_EQ(child.output().find(kStoppedMarker), std::string::npos);
  expect_same_mode(mode_of(child), before);
}

TEST(TavroTerminalJobControl, KeysFollowTheSettingsAsFound) {
  // stty -isig -iexten: Ctrl+W and Ctrl+C are no keys of the terminal's, and do nothing.
  termios before = line_mode();
  before.c_lflag &= ~static_cast<tcflag_t>(ISIG | IEXTEN);
  Child child = at_menu(before);
  child.send("3\x17\x03\r");
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminalJobControl, TakesItsModeAgainAndRedrawsWhenItGoesOn) {
  const termios before = line_mode();
  Child child = at_menu(before);
  const std::string screen = typed_at_menu(child);
  // As a shell leaves the terminal after bg and fg: in its own mode, then SIGCONT.
  ASSERT_EQ(tcsetattr(child.terminal_fd(), TCSANOW, &before), 0);
  kill(child.pid(), SIGCONT);
  ASSERT_TRUE(child.read_until_ends_with(screen, 3s));
  EXPECT_TRUE(in_programs_mode(child));
  // Erasing and answering shows each key once: the terminal does not echo as well.
  child.send(
      "\x7f"
      "3\r");
  expect_ends_with_status_0(child, before);
  EXPECT_EQ(child.take_new_output(), screen + "\r\x1b[J3\r\n");
}

TEST(TavroTerminalJobControl, StopSentFromOutsideLeavesTheTerminalAsFound) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before, {.job_control = true});
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  child.send("\r");
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt() + "\r\n", 5s));
  ASSERT_TRUE(child.read_until([&](std::string_view) { return in_programs_mode(child); }, 5s));
  child.take_new_output();
  kill(-tcgetpgrp(child.terminal_fd()), SIGTSTP);  // the job, as `kill -TSTP %1` sends it
  ASSERT_TRUE(child.read_until(
      [](std::string_view fresh) { return fresh.find(kStoppedMarker) != std::string_view::npos; },
      5s));
  expect_same_mode(mode_of(child), before);
  child.send("\n");  // the shell's fg
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt() + "\r\n", 5s)) << "drawn again";
  ASSERT_TRUE(child.read_until([&](std::string_view) { return in_programs_mode(child); }, 5s));
  child.send("3\r");
  expect_ends_with_status_0(child, before);
}

// Ctrl+Z; the terminal as found while stopped; `fg`; the program's mode back.
void suspend_and_resume(Child& child, const termios& before) {
  child.take_new_output();
  child.send("\x1a");
  ASSERT_TRUE(child.read_until(
      [](std::string_view fresh) { return fresh.find(kStoppedMarker) != std::string_view::npos; },
      5s));
  expect_same_mode(mode_of(child), before);
  child.send("\n");  // the shell's fg
  ASSERT_TRUE(child.read_until([&](std::string_view) { return in_programs_mode(child); }, 5s));
}

TEST(TavroTerminalJobControl, StopsWithTheTerminalAsFoundAndGoesOnWhereItWas) {
  const termios before = line_mode();
  Child child = Child::on_terminal(kExe, before, {.job_control = true});
  ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
  ASSERT_TRUE(child.read_until([&](std::string_view) { return in_programs_mode(child); }, 5s));
  suspend_and_resume(child, before);  // in the greeting's wait
  ASSERT_TRUE(child.read_until_ends_with(menu_prompt(), 10s)) << "the greeting's wait ends";
  child.send("1");
  ASSERT_TRUE(child.read_until_ends_with("1", 3s));
  suspend_and_resume(child, before);  // at a prompt, a line being typed
  EXPECT_TRUE(child.read_until_ends_with(menu_prompt(), 3s))
      << "drawn again without the line, which the job key dropped as the terminal would";
  play_to_the_key_wait(child);
  suspend_and_resume(child, before);  // in a key wait
  child.take_new_output();
  child.send("z");
  ASSERT_TRUE(reaches_menu(child));
  child.send("3\r");
  expect_ends_with_status_0(child, before);
}

TEST(TavroTerminal, TerminalIsAsFoundAfterEveryWayOut) {
  const termios before = line_mode();
  for (const std::string key : {"\x03", "\x1c"}) {
    // Ctrl+C and Ctrl+\ typed during the greeting: the signal's own action ends the process.
    Child child = Child::on_terminal(kExe, before);
    ASSERT_TRUE(child.read_until_ends_with(greeting_end(), 5s));
    child.send(key);
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.signaled);
    EXPECT_EQ(exit.signal, key == "\x03" ? SIGINT : SIGQUIT);
    expect_same_mode(mode_of(child), before);
  }
  // Every signal that ends the process, a fault or an abort too: restored, then its own action.
  for (const int signal_number :
       {SIGTERM, SIGHUP, SIGINT, SIGUSR1, SIGALRM, SIGXCPU, SIGSEGV, SIGABRT}) {
    SCOPED_TRACE(signal_number);
    Child child = at_menu(before);
    kill(child.pid(), signal_number);
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.signaled);
    EXPECT_EQ(exit.signal, signal_number);
    expect_same_mode(mode_of(child), before);
  }
  {
    // Nobody reads the screens any more.
    Child child = Child::on_terminal(kExe, before, {.output_piped = true});
    child.close_output();
    const ExitState exit = child.wait(10s);
    EXPECT_TRUE(exit.signaled);
    EXPECT_EQ(exit.signal, SIGPIPE);
    expect_same_mode(mode_of(child), before);
  }
}

}  // namespace
}  // namespace tavro::testing
