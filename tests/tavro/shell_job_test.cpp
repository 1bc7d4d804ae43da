// The built tavro under an interactive shell (dash -i) in a terminal that tmux keeps, as one
// of several processes of a job: `sh -c 'tavro; echo done'`. Ctrl+Z, Ctrl+\, bg, fg and a
// start in the background, with the terminal's mode read from outside (stty -F) each time:
// the shell always gets its terminal back in its own mode, and tavro has its mode whenever it
// is in the foreground, whatever way it got there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tmux_terminal.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kExe = TAVRO_EXE;

enum class Mode { shell, program, other };

std::ostream& operator<<(std::ostream& out, Mode mode) {
  return out << (mode == Mode::shell     ? "the shell's line mode"
                 : mode == Mode::program ? "tavro's mode"
                                         : "a mode of neither");
}

// The last line with anything on it.
std::string last_line(const Screen& screen) {
  const auto line = std::find_if(screen.rbegin(), screen.rend(),
                                 [](const std::string& text) { return !text.empty(); });
  return line == screen.rend() ? "" : *line;
}

class ShellJob : public ::testing::Test {
 protected:
  void SetUp() override {
    if (run_command({"dash", "-c", "true"}, Output::discard).status != 0) {
      GTEST_SKIP() << "no dash";
    }
    // A fixed prompt and no start-up file of the user's.
    terminal_ = std::make_unique<TmuxTerminal>(
        std::vector<std::string>{"env", "ENV=", "PS1=$ ", "dash", "-i"}, 80, 25);
    ASSERT_TRUE(terminal_->started());
    device_ = terminal_->device();
    ASSERT_FALSE(device_.empty());
    ASSERT_TRUE(shows(at_prompt()));
  }

  // The terminal's mode as `stty -a` prints it: the shell's line mode, tavro's, or neither.
  [[nodiscard]] Mode mode() const {
    std::istringstream words(run_command({"stty", "-a", "-F", device_}).output);
    int line_mode = 0;
    int programs_mode = 0;
    for (std::string word; words >> word;) {
      if (word.ends_with(';')) {
        word.pop_back();
      }
      line_mode += static_cast<int>(word == "icanon" || word == "echo" || word == "isig");
      programs_mode += static_cast<int>(word == "-icanon" || word == "-echo" || word == "-isig");
    }
    return line_mode == 3 ? Mode::shell : programs_mode == 3 ? Mode::program : Mode::other;
  }

  // Waits until the terminal's mode is `expected`.
  [[nodiscard]] bool reaches(Mode expected) const {
    const auto deadline = Clock::now() + 3s;
    while (mode() != expected) {
      if (Clock::now() >= deadline) {
        return false;
      }
      std::this_thread::sleep_for(20ms);
    }
    return true;
  }

  // Waits until `holds` is true of the screen.
  bool shows(const std::function<bool(const Screen&)>& holds) {
    const auto deadline = Clock::now() + 5s;
    for (;;) {
      seen_ = terminal_->screen();
      if (holds(seen_)) {
        return true;
      }
      if (Clock::now() >= deadline) {
        ADD_FAILURE() << "the screen at the timeout:\n" << ::testing::PrintToString(seen_);
        return false;
      }
      std::this_thread::sleep_for(20ms);
    }
  }

  static std::function<bool(const Screen&)> has_line(std::function<bool(const std::string&)> is) {
    return [is = std::move(is)](const Screen& screen) {
      return std::any_of(screen.begin(), screen.end(), is);
    };
  }
  static std::function<bool(const Screen&)> has(const std::string& text) {
    return has_line(
        [text](const std::string& line) { return line.find(text) != std::string::npos; });
  }
  // The shell's prompt on the last line shown, after `text`.
  static std::function<bool(const Screen&)> at_prompt(const std::string& text = "") {
    return [text](const Screen& screen) {
      return last_line(screen) == "$" && (text.empty() || has(text)(screen));
    };
  }

  void command(const std::string& line) const {
    terminal_->type(line);
    terminal_->press_enter();
  }

  // Starts tavro under a wrapper shell and waits for the greeting.
  void start_wrapped() {
    command("clear; sh -c '" + kExe + "; echo done'");
    ASSERT_TRUE(shows(has("MIT License.")));
  }

  std::unique_ptr<TmuxTerminal> terminal_;
  std::string device_;
  Screen seen_;
};

// The menu, with "12" typed on the line below its prompt (the Enter that ended the greeting
// is an empty first line).
bool menu_with_12(const Screen& screen) {
  for (std::size_t i = 1; i < screen.size(); ++i) {
    if (screen[i] == "12" && screen[i - 1].find("input 1") != std::string::npos) {
      return true;
    }
  }
  return false;
}

// The menu with nothing typed on the line below its prompt: a job key dropped the line.
bool menu_with_empty_line(const Screen& screen) {
  for (std::size_t i = 1; i < screen.size(); ++i) {
    if (screen[i - 1].find("input 1") != std::string::npos) {
      return screen[i].empty() &&
             std::all_of(screen.begin() + static_cast<std::ptrdiff_t>(i), screen.end(),
                         [](const std::string& line) { return line.empty(); });
    }
  }
  return false;
}

TEST_F(ShellJob, StopsAgainAndAgainAndGoesOnInItsModeAfterFgAndAfterBg) {
  start_wrapped();
  terminal_->press_enter();
  ASSERT_TRUE(shows(has("input 1")));
  terminal_->type("12");
  ASSERT_TRUE(shows(menu_with_12));
  constexpr int kStops = 20;
  for (int stop = 0; stop < kStops; ++stop) {
    SCOPED_TRACE("stop " + std::to_string(stop + 1));
    terminal_->press("C-z");
    ASSERT_TRUE(shows(at_prompt("Stopped")));
    EXPECT_EQ(mode(), Mode::shell) << "the shell has its terminal back as it left it";
    // fg, after an emptied screen every other time; the last time bg first, after which tavro,
    // needing the terminal, stops again at once.
    if (stop == kStops - 1) {
      command("bg");
      ASSERT_TRUE(shows(at_prompt("sh -c")));
      EXPECT_EQ(mode(), Mode::shell) << "in the background, tavro leaves the terminal alone";
      command("");
      ASSERT_TRUE(shows(at_prompt("(tty output)")));
    }
    command(stop % 2 == 0 ? "fg" : "clear; fg");
    ASSERT_TRUE(shows([](const Screen& screen) {
      return menu_with_empty_line(screen) && !has("Stopped")(screen);
    })) << "drawn again on a cleared screen, without the line the job key dropped";
    EXPECT_TRUE(reaches(Mode::program));
  }
  // Edited in the program's mode: each key shows once.
  terminal_->type("1");
  terminal_->press_enter();
  ASSERT_TRUE(shows([](const Screen& screen) { return last_line(screen) == "->"; }));
  for (int step = 0; step < 12; ++step) {
    const Screen before = terminal_->screen();
    if (has("clear!!")(before) || has("gameover!!")(before)) {
      break;
    }
    terminal_->type("8");
    terminal_->press_enter();
    ASSERT_TRUE(shows([&](const Screen& screen) {
      return screen != before &&
             (last_line(screen) == "->" || has("clear!!")(screen) || has("gameover!!")(screen));
    }));
  }
  ASSERT_TRUE(shows(has("!!")));
  terminal_->type("z");  // the key wait takes a key without Enter
  ASSERT_TRUE(shows(has("input 1")));
  terminal_->type("3");
  terminal_->press_enter();
  ASSERT_TRUE(shows(at_prompt("done")));
  EXPECT_TRUE(has_line([](const std::string& line) { return line.ends_with("->3"); })(seen_))
      << "the answer shown once";
  EXPECT_EQ(mode(), Mode::shell);
}

TEST_F(ShellJob, QuitEndsTheWholeJobAndAStartInTheBackgroundWaitsForFg) {
  for (int quit = 0; quit < 3; ++quit) {
    SCOPED_TRACE("quit " + std::to_string(quit + 1));
    start_wrapped();
    terminal_->press("C-\\");  // in the greeting's wait
    ASSERT_TRUE(shows(at_prompt()));
    EXPECT_FALSE(has("done")(seen_)) << "the wrapper shell ended too";
    EXPECT_EQ(mode(), Mode::shell);
  }
  // Started in the background, tavro stops before it writes, as full-screen programs do; a
  // line typed for the shell meanwhile is the shell's.
  command("clear; " + kExe + " &");
  std::this_thread::sleep_for(300ms);
  command("echo typed");
  ASSERT_TRUE(shows(at_prompt("typed")));
  ASSERT_TRUE(shows(has("(tty output)")));
  EXPECT_FALSE(has("MIT License.")(seen_)) << "nothing drawn over the shell";
  EXPECT_EQ(mode(), Mode::shell) << "in the background, tavro does not take the terminal";
  command("fg");
  ASSERT_TRUE(reaches(Mode::program));
  ASSERT_TRUE(shows([](const Screen& screen) {
    return has("MIT License.")(screen) || has("input 1")(screen);
  })) << "its screen drawn again";
  EXPECT_FALSE(has("fg")(seen_)) << "on a cleared screen";
  terminal_->press_enter();  // ends the greeting, if it is still up
  ASSERT_TRUE(shows(has("input 1")));
  terminal_->type("3");
  terminal_->press_enter();
  ASSERT_TRUE(shows(at_prompt()));
  EXPECT_EQ(mode(), Mode::shell);
}

}  // namespace
}  // namespace tavro::testing
