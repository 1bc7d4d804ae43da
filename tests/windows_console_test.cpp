// Both Windows executables under wine at a console in a terminal of 80 x 25, as a person meets
// them: the screens as the terminal shows them, keys typed one at a time, and the greeting's
// and key waits' timing. The executables are named by TAVRO_EXE and TAVRO_2DGAME_EXE; without
// them, tmux or wine, every case fails rather than passing unseen.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "cp932.hpp"
#include "screen_text.hpp"
#include "tavro-2dgame/screens.hpp"
#include "tavro/screens.hpp"
#include "tmux_terminal.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kColumns = 80;
constexpr int kRows = 25;
// wine's first start of a console program in a session can take several seconds.
constexpr auto kStartTimeout = 30s;
// A screen that follows a typed answer at once.
constexpr auto kAnswerTimeout = 5s;

// The console's bytes as the terminal receives them: wine turns the executables' code page 932
// into the terminal's UTF-8. (A UTF-8 build of these tests has its expected texts in UTF-8.)
#ifdef TAVRO_UTF8_OUTPUT
std::string terminal_text(std::string_view console_bytes) {
  return std::string(console_bytes);
}
#else
std::string terminal_text(std::string_view console_bytes) {
  static const auto decoded = [] {
    std::unordered_map<std::uint16_t, char32_t> map;
    for (const auto& mapping : cp932::kTable) {
      map.emplace(mapping.bytes, mapping.code_point);
    }
    return map;
  }();
  std::string out;
  for (std::size_t i = 0; i < console_bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(console_bytes[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      continue;
    }
    auto bytes = static_cast<std::uint16_t>(lead);
    const bool double_byte = (lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0;
    if (double_byte && i + 1 < console_bytes.size()) {
      bytes =
          static_cast<std::uint16_t>(lead << 8U | static_cast<unsigned char>(console_bytes[++i]));
    }
    const auto found = decoded.find(bytes);
    out += screen_text::utf8_of(found == decoded.end() ? U'\uFFFD' : found->second);
  }
  return out;
}
#endif

std::string trimmed(std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

// What the terminal shows once a program has printed `console_bytes` since its start or its
// last clearing, and `typed` has been echoed at the cursor: line after line from the top,
// scrolled up when there are more lines than rows.
Screen rendered(std::string_view console_bytes, std::string_view typed = "") {
  std::string text = terminal_text(console_bytes);
  if (const std::size_t clear = text.rfind(kClear); clear != std::string::npos) {
    text.erase(0, clear + kClear.size());
  }
  text += typed;
  Screen lines;
  std::size_t at = 0;
  for (std::size_t end = 0; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(trimmed(text.substr(at, end - at)));
  }
  lines.push_back(trimmed(text.substr(at)));  // the cursor's line
  if (lines.size() > kRows) {
    lines.erase(lines.begin(), lines.end() - kRows);
  }
  lines.resize(kRows);
  return lines;
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

// A game of the default 15 x 30 map in debug mode, where the first drawing shows every mine:
// from it, every later drawing is known.
class Minefield {
 public:
  static constexpr int kMapRows = 15;
  static constexpr int kMapColumns = 30;
  // A direction of movement, with its default key.
  struct Way {
    int rows;
    int columns;
    char key;
  };
  static constexpr std::array<Way, 4> kWays = {
      {{-1, 0, '8'}, {1, 0, 'k'}, {0, -1, 'u'}, {0, 1, 'o'}}};

  // The map as the first drawing shows it; false when `screen` is no such drawing.
  bool read(const Screen& screen) {
    if (screen.size() < kMapRows) {
      return false;
    }
    cells_.assign(screen.begin(), screen.begin() + kMapRows);
    for (const std::string& row : cells_) {
      if (row.size() != kMapColumns || row.find_first_not_of("-*#") != std::string::npos) {
        return false;
      }
    }
    row_ = kMapRows / 2;
    column_ = kMapColumns / 2;
    if (cell(row_, column_) != '#') {
      return false;
    }
    cell(row_, column_) = 'o';
    return true;
  }

  // The straight way (up, down, left, right) that leaves the map without a mine on it; up,
  // onto a mine, when every way has one.
  [[nodiscard]] Way free_way() const {
    for (const Way& way : kWays) {
      int r = row_ + way.rows;
      int c = column_ + way.columns;
      while (inside(r, c) && shown_cell(r, c) != '*') {
        r += way.rows;
        c += way.columns;
      }
      if (!inside(r, c)) {
        return way;
      }
    }
    return kWays[0];
  }

  // Moves one cell; the console's output for the drawing that follows, with the outcome's
  // message once the game has ended.
  std::string step(const Way& way) {
    row_ += way.rows;
    column_ += way.columns;
    std::string drawing(kClear);
    for (int r = 0; r < kMapRows; ++r) {
      std::string row = cells_.at(static_cast<std::size_t>(r));
      if (r == row_ && inside(row_, column_)) {
        row.at(static_cast<std::size_t>(column_)) = cell(row_, column_) == '*' ? 'X' : '#';
      }
      drawing += row + "\n";
    }
    if (!inside(row_, column_)) {
      result_ = 1;
      return drawing + "clear!!\n";
    }
    if (cell(row_, column_) == '*') {
      result_ = -1;
      return drawing + "gameover!!\n";
    }
    cell(row_, column_) = 'o';
    return drawing + move_prompt();
  }

  [[nodiscard]] int result() const { return result_; }

 private:
  static bool inside(int r, int c) { return r >= 0 && r < kMapRows && c >= 0 && c < kMapColumns; }
  [[nodiscard]] char shown_cell(int r, int c) const {
    return cells_.at(static_cast<std::size_t>(r)).at(static_cast<std::size_t>(c));
  }
  char& cell(int r, int c) {
    return cells_.at(static_cast<std::size_t>(r)).at(static_cast<std::size_t>(c));
  }

  std::vector<std::string> cells_;
  int row_ = 0;
  int column_ = 0;
  int result_ = 0;
};

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
    setenv("LC_ALL", "C.UTF-8", 1);  // NOLINT(concurrency-mt-unsafe): before any thread
  }

  static std::string exe(const char* name) {
    const char* path = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): no thread writes it
    return path == nullptr ? std::string() : std::string(path);
  }

  void start(const char* name) {
    terminal_ = std::make_unique<TmuxTerminal>(std::vector<std::string>{"wine", exe(name)},
                                               kColumns, kRows);
    ASSERT_TRUE(terminal().started()) << "tmux could not start " << exe(name);
  }

  void expect_screen(const Screen& expected, std::chrono::milliseconds timeout) const {
    Screen seen;
    ASSERT_TRUE(terminal().wait_for_screen(expected, timeout, seen))
        << "expected:\n"
        << shown(expected) << "shown:\n"
        << shown(seen);
  }

  // Types `answer` and Enter, then waits for the screen that answers it.
  void answer(std::string_view text, const Screen& expected) const {
    terminal().type(text);
    terminal().press_enter();
    expect_screen(expected, kAnswerTimeout);
  }

  // Entry 3 at tavro's `title`: echoed after the prompt, then Enter ends the program.
  void choose_end(const std::string& title) const {
    terminal().type("3");
    ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(title, "3"), kAnswerTimeout));
    terminal().press_enter();
    expect_exit_status_zero();
  }

  void expect_exit_status_zero() const {
    const std::optional<int> status = terminal().wait_for_exit(10s);
    ASSERT_TRUE(status.has_value()) << "still running:\n" << shown(terminal().screen());
    EXPECT_EQ(*status, 0);
  }

  [[nodiscard]] const TmuxTerminal& terminal() const { return *terminal_; }

 private:
  std::unique_ptr<TmuxTerminal> terminal_;
};

// The greeting stays five seconds without a key; then the title, on a console cleared of it.
TEST_F(WindowsConsole, GreetingWaitsFiveSecondsThenTheTitleAndEntry3EndsWithStatus0) {
  ASSERT_NO_FATAL_FAILURE(start("TAVRO_EXE"));
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(greeting()), kStartTimeout));
  const auto shown_at = Clock::now();
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(title(false)), 10s));
  // The clock counts whole seconds, so the wait is 4 to 5 s; each screen is seen up to one
  // poll (50 ms) after it is drawn, hence the margin below 4.
  const double waited = seconds_since(shown_at);
  EXPECT_GE(waited, 3.9);
  EXPECT_LE(waited, 6.0);
  RecordProperty("greeting_seconds", std::to_string(waited));
  ASSERT_NO_FATAL_FAILURE(choose_end(title(false)));
}

// One key without Enter ends the greeting and starts the menu's answer. Debug mode, through the
// settings, shows the mines; a straight walk ends the game; one key then ends the wait after it.
TEST_F(WindowsConsole, OneKeyEndsTheGreetingAndAGameIsPlayedToItsEndAndItsKeyWait) {
  ASSERT_NO_FATAL_FAILURE(start("TAVRO_EXE"));
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(greeting()), kStartTimeout));
  const auto pressed = Clock::now();
  terminal().type("2");
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(title(false), "2"), 3s));
  EXPECT_LT(seconds_since(pressed), 1.5) << "the key did not end the greeting at once";
  terminal().press_enter();
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(settings_menu(15, 30, false)), kAnswerTimeout));
  ASSERT_NO_FATAL_FAILURE(answer("3", rendered(debug_screen(false))));
  ASSERT_NO_FATAL_FAILURE(answer("1", rendered(settings_menu(15, 30, true))));
  ASSERT_NO_FATAL_FAILURE(answer("5", rendered(title(false))));

  terminal().type("1");
  terminal().press_enter();
  Minefield field;
  const auto deadline = Clock::now() + kAnswerTimeout;
  Screen first = terminal().screen();
  while (!field.read(first) && Clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
    first = terminal().screen();
  }
  ASSERT_TRUE(field.read(first)) << "no map in debug mode:\n" << shown(first);
  const Minefield::Way way = field.free_way();
  std::string drawing;
  for (int moves = 0; field.result() == 0 && moves < Minefield::kMapColumns; ++moves) {
    drawing = field.step(way);
    ASSERT_NO_FATAL_FAILURE(answer(std::string(1, way.key), rendered(drawing)));
  }
  ASSERT_NE(field.result(), 0);

  // The pause and the key wait hold the final drawing; one key, without Enter, ends them.
  std::this_thread::sleep_for(2s);
  EXPECT_EQ(terminal().screen(), rendered(drawing)) << "the key wait did not wait";
  terminal().type("z");
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(title(field.result() == 1)), 10s));
  ASSERT_NO_FATAL_FAILURE(choose_end(title(field.result() == 1)));
}

// tavro-2dgame clears by printing empty lines, so its title sits low on the terminal, and its
// answers are typed on the line below the prompt.
TEST_F(WindowsConsole, TwoDGameShowsItsTitleAndEntry3EndsWithStatus0) {
  ASSERT_NO_FATAL_FAILURE(start("TAVRO_2DGAME_EXE"));
  const std::string menu = tavro2d::testing::menu(false);
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(menu), kStartTimeout));
  terminal().type("3");
  ASSERT_NO_FATAL_FAILURE(expect_screen(rendered(menu, "3"), kAnswerTimeout));
  terminal().press_enter();
  expect_exit_status_zero();
}

}  // namespace
}  // namespace tavro::testing
