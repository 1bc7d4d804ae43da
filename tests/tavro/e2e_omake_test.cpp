// The built tavro through pipes: the settings screens, a game won with debug mode on by
// reading the mines off the screen, and every branch of both bonus scripts. The program is
// played one answer at a time and everything it prints before it waits again is compared
// byte for byte, so each key wait is seen where it stops the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "process.hpp"
#include "screens.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;
using namespace bonus;

const std::string kExe = program_under_test("TAVRO_EXE", TAVRO_EXE);

class Player {
 public:
  Player() : child_(Child::piped(kExe)) {}

  // Types `typed` and expects the program to print exactly `shown` before it waits again.
  void step(const std::string& typed, const std::string& shown) {
    if (::testing::Test::HasFailure()) {
      return;  // out of step with the program: every later screen would fail too, slowly
    }
    child_.send(typed);
    child_.read_until([&](std::string_view fresh) { return fresh.size() >= shown.size(); }, 20s);
    if (shown.empty()) {
      // A key wait that prints nothing: the program has to stop here, not run on.
      child_.read_until([](std::string_view fresh) { return !fresh.empty(); }, 200ms);
    }
    EXPECT_EQ(child_.take_new_output(), shown) << "after typing \"" << typed << '"';
  }

  // Types a line of `size` bytes of `fill`, without its line break, a mebibyte at a time, so
  // that neither side ever holds all of it.
  void type_long(std::size_t size, char fill) {
    const std::string piece(std::min<std::size_t>(size, std::size_t{1} << 20), fill);
    for (std::size_t left = size; left > 0 && !::testing::Test::HasFailure();) {
      const std::size_t n = std::min(left, piece.size());
      child_.send(std::string_view(piece).substr(0, n));
      ASSERT_TRUE(child_.drain_input(60s)) << "the program stopped reading its input";
      left -= n;
    }
  }

  // Types `typed` and expects `before`, `size` bytes of `fill`, then `after`.
  void step_long(const std::string& typed, const std::string& before, std::size_t size, char fill,
                 const std::string& after) {
    const std::size_t total = before.size() + size + after.size();
    child_.send(typed);
    child_.read_until([&](std::string_view fresh) { return fresh.size() >= total; }, 60s);
    const std::string shown = child_.take_new_output();
    ASSERT_EQ(shown.size(), total);
    EXPECT_TRUE(shown.starts_with(before));
    const std::string_view middle = std::string_view(shown).substr(before.size(), size);
    EXPECT_EQ(middle.find_first_not_of(fill), std::string_view::npos);
    EXPECT_TRUE(shown.ends_with(after));
  }

  // Starts a game from the title and returns its first drawing, which comes twice: the
  // empty rest of the menu's answer line is the first move.
  std::string start_game(const std::string& keys);

  // Plays games on a `rows` x `cols` map with debug mode on until one is won: the mines are
  // read off the first drawing and the player walks out of the map the shortest safe way.
  // Ends on the title screen after the key that follows the win.
  void win(int rows, int cols, const std::string& keys, bool unlocked);

  // The program's own peak memory so far (see Child::program_peak_rss_kb).
  [[nodiscard]] long program_peak_rss_kb() const { return child_.program_peak_rss_kb(); }

  ExitState end(bool close_input) {
    if (close_input) {
      child_.close_input();
    }
    return child_.wait(30s);
  }

 private:
  Child child_;
};

struct Cell {
  int row;
  int col;
};

// The moves (indices into up, down, left, right) of a shortest way from `start` off the map
// that steps on no mine; empty when the mines close every way.
std::vector<int> way_out(const std::vector<std::string>& map, Cell start) {
  constexpr int kStep[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  const int rows = static_cast<int>(map.size());
  const int cols = static_cast<int>(map[0].size());
  std::vector<int> came_by(static_cast<std::size_t>(rows * cols), -1);
  std::vector<Cell> queue{start};
  came_by[static_cast<std::size_t>(start.row * cols + start.col)] = 4;
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const Cell at = queue[head];
    for (int move = 0; move < 4; ++move) {
      const Cell next{at.row + kStep[move][0], at.col + kStep[move][1]};
      const bool outside = next.row < 0 || next.col < 0 || next.row >= rows || next.col >= cols;
      if (outside) {
        std::vector<int> moves{move};
        for (Cell back = at; came_by[static_cast<std::size_t>(back.row * cols + back.col)] != 4;) {
          const int by = came_by[static_cast<std::size_t>(back.row * cols + back.col)];
          moves.push_back(by);
          back = {back.row - kStep[by][0], back.col - kStep[by][1]};
        }
        std::reverse(moves.begin(), moves.end());
        return moves;
      }
      auto& seen = came_by[static_cast<std::size_t>(next.row * cols + next.col)];
      if (seen < 0 &&
          map[static_cast<std::size_t>(next.row)][static_cast<std::size_t>(next.col)] != '*') {
        seen = move;
        queue.push_back(next);
      }
    }
  }
  return {};
}

std::string drawn(const std::vector<std::string>& map) {
  std::string s(kClear);
  for (const auto& row : map) {
    s += row + "\n";
  }
  return s;
}

std::string Player::start_game(const std::string& keys) {
  child_.send("1\n");
  const std::string prompt = move_prompt(keys);
  EXPECT_TRUE(child_.read_until(
      [&](std::string_view fresh) {
        return fresh.ends_with(prompt) && fresh.find(prompt) + prompt.size() < fresh.size();
      },
      30s));
  const std::string first = child_.take_new_output();
  const std::string screen = first.substr(0, first.size() / 2);
  EXPECT_EQ(screen + screen, first);
  EXPECT_TRUE(screen.starts_with(kClear) && screen.ends_with(prompt));
  return screen;
}

void Player::win(int rows, int cols, const std::string& keys, bool unlocked) {
  for (int game = 0; game < 5; ++game) {
    const std::string prompt = move_prompt(keys);
    const std::string screen = start_game(keys);
    ASSERT_FALSE(::testing::Test::HasFailure());
    std::vector<std::string> map;
    for (std::size_t at = kClear.size(); map.size() < static_cast<std::size_t>(rows);) {
      const std::size_t end = screen.find('\n', at);
      ASSERT_NE(end, std::string::npos);
      map.push_back(screen.substr(at, end - at));
      ASSERT_EQ(map.back().size(), static_cast<std::size_t>(cols));
      at = end + 1;
    }
    ASSERT_EQ(drawn(map) + prompt, screen);
    Cell at{rows / 2, cols / 2};
    std::string cells;
    for (const auto& row : map) {
      cells += row;
    }
    ASSERT_EQ(map[static_cast<std::size_t>(at.row)][static_cast<std::size_t>(at.col)], '#');
    ASSERT_EQ(cells.find_first_not_of("-*#"), std::string::npos);
    ASSERT_EQ(std::count(cells.begin(), cells.end(), '#'), 1);
    ASSERT_GT(std::count(cells.begin(), cells.end(), '*'), 0) << "debug mode shows the mines";

    const std::vector<int> moves = way_out(map, at);
    if (moves.empty()) {
      step("exit\n", title(unlocked));  // walled in: quit, which costs no pause, and retry
      continue;
    }
    for (std::size_t i = 0; i < moves.size(); ++i) {
      constexpr int kStep[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
      const int move = moves[i];
      map[static_cast<std::size_t>(at.row)][static_cast<std::size_t>(at.col)] = 'o';
      at = {at.row + kStep[move][0], at.col + kStep[move][1]};
      if (i + 1 < moves.size()) {
        map[static_cast<std::size_t>(at.row)][static_cast<std::size_t>(at.col)] = '#';
        step(std::string(1, keys[static_cast<std::size_t>(move)]) + "\n", drawn(map) + prompt);
      } else {
        step(std::string(1, keys[static_cast<std::size_t>(move)]) + "\n", drawn(map) + "clear!!\n");
      }
    }
    step("z", title(true));  // the key after the pause: one byte
    return;
  }
  FAIL() << "walled in by mines five times";
}

const std::string kDebugOn = "2\n3\n1\n5\n";

TEST(TavroSettingsPiped, NewSettingsShowInTheMenusAndTheNextGameUsesThem) {
  Player p;
  p.step("2\n", greeting() + title(false) + settings_menu(15, 30, false));
  p.step("1\n", size_screen(true, 15));
  for (const char* rejected : {"9\n", "25\n", "x\n"}) {
    p.step(rejected, size_screen(true, 15));
  }
  p.step("\n12\n", settings_menu(12, 30, false));  // the empty line redraws nothing
  p.step("2\n", size_screen(false, 30));
  for (const char* rejected : {"61\n", "9\n", "\n\n-\n"}) {
    p.step(rejected, size_screen(false, 30));
  }
  p.step("20\n", settings_menu(12, 20, false));
  p.step("3\n", debug_screen(false));
  p.step("x\n", debug_screen(false));
  p.step("2\n", debug_screen(false));
  p.step("1\n", settings_menu(12, 20, true));
  p.step("4\n", key_config_screen("8kuo"));
  p.step("1\n", key_step_screen("8kuo", 0));
  p.step("w x\n", key_step_screen("wkuo", 1));
  p.step("ss\n", key_step_screen("wkuo", 1));
  p.step("\x82\xa0\n", key_step_screen("wkuo", 1));
  p.step("s\n", key_step_screen("wsuo", 2));
  p.step("a\n", key_step_screen("wsao", 3));
  p.step("d\n", key_config_screen("wsad"));
  p.step("0\n", settings_menu(12, 20, true));
  p.step("5\n", title(false));
  p.win(12, 20, "wsad", false);
  p.step("4\n", kMenu);
  p.step("\n", std::string(kClear) + kTake);
  p.step("2\n", kTakenFirst);
  p.step("k", title(true));
  p.step("3\n", "");
  const ExitState exit = p.end(false);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
}

TEST(TavroBonusPiped, WayToSchoolEveryBranch) {
  Player p;
  p.step(kDebugOn, greeting() + title(false) + settings_menu(15, 30, false) + debug_screen(false) +
                       settings_menu(15, 30, true) + title(false));
  p.win(15, 30, "8kuo", false);
  struct Case {
    const char* weather;
    const char* pc;
    const std::string& texts;
  };
  bool first = true;
  for (const Case& k : {Case{"1\n", "1\n", kSunnyWithPc}, Case{"1\n", "2\n", kSunnyNoPc},
                        Case{"2\n", "2\n", kRainNoPc}, Case{"2\n", "1\n", kRainWithPc}}) {
    p.step("4\n", kMenu);
    p.step("0\n", std::string(kClear) + kWakeUp);
    p.step("k", kRaining);
    p.step("k", kWeather);
    if (first) {
      p.step("3\n", kWeather);
      p.step("x\n", kWeather);
    }
    p.step(k.weather, "");
    p.step("k", kPc);
    if (first) {
      p.step("3\n", kPc);
      p.step("0\n", kPc);
    }
    p.step(k.pc, separator() + k.texts + separator());
    p.step("k", title(true));
    first = false;
  }
  // Without a weather after 9999 answers, the script closes after its two key waits.
  p.step("4\n", kMenu);
  p.step("0\n", std::string(kClear) + kWakeUp);
  p.step("k", kRaining);
  p.step("k", kWeather);
  p.step(repeat("3\n", 9998), repeat(kWeather, 9998));
  p.step("x\n", "");
  p.step("k", separator());
  p.step("k", title(true));
  p.step("3\n", "");
  EXPECT_EQ(p.end(false).code, 0);
}

// The telephone up to the "where" question: afternoon, then the caller (9 staff).
void absent_up_to_where(Player& p, const char* caller) {
  const bool staff = std::string(caller) == "9\n";
  p.step("4\n", kMenu);
  p.step("1\n", std::string(kClear) + kTake);
  p.step("1\n", kTime);
  p.step("1\n", kAfternoon + kCaller);
  p.step(caller, (staff ? kStaff : kCustomer) + kAskedFor + kPresent);
  p.step("0\n", kWhere);
}

TEST(TavroBonusPiped, TelephoneEveryBranch) {
  Player p;
  p.step(kDebugOn, greeting() + title(false) + settings_menu(15, 30, false) + debug_screen(false) +
                       settings_menu(15, 30, true) + title(false));
  p.win(15, 30, "8kuo", false);

  for (const char* other : {"2\n", "x\n"}) {
    p.step("4\n", kMenu);
    p.step("\n", std::string(kClear) + kTake);
    p.step(other, kTakenFirst);
    p.step("k", title(true));
  }
  for (int whom = 1; whom <= 3; ++whom) {
    p.step("4\n", kMenu);
    p.step("01\n", std::string(kClear) + kTake);
    p.step("1\n", kTime);
    p.step("0\n", kMorning + kCaller);
    p.step("9\n", kStaff + kAskedFor + kPresent);
    p.step("1\n", kWhom);
    if (whom == 1) {
      p.step("4\n", kWhom);
      p.step("x\n", kWhom);
    }
    p.step(std::to_string(whom) + "\n", kPutThrough[whom - 1]);
    p.step("k", title(true));
  }
  // Every "where", with each kind of caller and each call-back answer.
  struct Away {
    const char* caller;
    const char* where;
    int text;
    const char* ok;
    const std::string& ending;
  };
  for (const Away& k :
       {Away{"9\n", "1\n", 0, "1\n", kStaffOk}, Away{"9\n", "2\n", 1, "2\n", kDeclined},
        Away{"5\n", "3\n", 2, "x\n", kDeclined}, Away{"x\n", "4\n", 3, "0\n", kDeclined},
        Away{"0\n", "x\n", 4, "3\n", kDeclined}}) {
    absent_up_to_where(p, k.caller);
    p.step(k.where, kSorry + kAway[k.text] + kCallBackOffer + kOk);
    p.step(k.ok, k.ending);
    p.step("k", title(true));
  }
  struct Echo {
    const char* typed;
    const char* echoed;
  };
  const Echo echoes[] = {{"0123\n", "123"},
                         {"12-34\n", "12"},
                         {"+81\n", "81"},
                         {"-0\n", "0"},
                         {"09012345678\n", "9012345678"},
                         {"19012345678\n", "19012345678"},
                         {"abc\n", "0"},
                         {"-\n", "0"}};
  // Ten mebibytes of digits come back whole, and the key after them still counts.
  std::string huge(10 * 1024 * 1024, '7');
  huge.front() = '1';
  absent_up_to_where(p, "5\n");
  p.step("2\n", kSorry + kAway[1] + kCallBackOffer + kOk);
  p.step("1\n", kNumberPlease);
  huge.push_back('\n');
  p.step(huge, number_echo(huge.substr(0, huge.size() - 1)));
  p.step("k", title(true));
  for (const Echo& k : echoes) {
    absent_up_to_where(p, "5\n");
    p.step("2\n", kSorry + kAway[1] + kCallBackOffer + kOk);
    p.step("1\n", kNumberPlease);
    p.step(k.typed, number_echo(k.echoed));
    if (&k != &echoes[std::size(echoes) - 1]) {
      p.step("k", title(true));
    }
  }
  // The input ends at the last key wait.
  const ExitState exit = p.end(true);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  if (kMeasuresResources) {
    EXPECT_LT(exit.max_rss_kb, 64 * 1024);
  }
}

// Lines of any length at every kind of prompt: the menu's number, a key's word, a move, the
// bonus menu's line and the telephone number, which comes back whole. What the program keeps
// of a line stays small: its peak memory, taken while it waits at the last prompt, is a
// quarter of one line. Under the sanitizers or another runner memory is not measured, and
// shorter lines still take the program through its reads piece by piece.
TEST(TavroPiped, LinesOf64MebibytesAtEveryKindOfPromptKeepMemorySmall) {
  const char* runner = std::getenv("TAVRO_TEST_RUNNER");
  const bool measured = kMeasuresResources && (runner == nullptr || *runner == 0);
  const std::size_t size = measured ? std::size_t{64} << 20 : std::size_t{4} << 20;
  Player p;
  p.step(kDebugOn, greeting() + title(false) + settings_menu(15, 30, false) + debug_screen(false) +
                       settings_menu(15, 30, true) + title(false));
  p.win(15, 30, "8kuo", false);

  p.type_long(size, 'x');
  p.step("\n", title(true));

  p.step("2\n4\n1\n",
         settings_menu(15, 30, true) + key_config_screen("8kuo") + key_step_screen("8kuo", 0));
  p.type_long(size, 'w');
  p.step("\n", key_step_screen("8kuo", 0));
  p.step("8\nk\nu\no\n0\n5\n", key_step_screen("8kuo", 1) + key_step_screen("8kuo", 2) +
                                   key_step_screen("8kuo", 3) + key_config_screen("8kuo") +
                                   settings_menu(15, 30, true) + title(true));

  const std::string drawing = p.start_game("8kuo");
  p.type_long(size, 'z');
  p.step("\n", drawing);
  p.step("exit\n", title(true));

  p.step("4\n", kMenu);
  p.type_long(size, '0');
  p.step("\n", std::string(kClear) + kTake);
  p.step("1\n", kTime);
  p.step("1\n", kAfternoon + kCaller);
  p.step("5\n", kCustomer + kAskedFor + kPresent);
  p.step("0\n", kWhere);
  p.step("2\n", kSorry + kAway[1] + kCallBackOffer + kOk);
  p.step("1\n", kNumberPlease);
  p.type_long(size, '7');
  const std::string echo = number_echo("");
  const std::string before = sj("\n「"_sj);
  p.step_long("\n", before, size, '7', echo.substr(before.size()));
  p.step("k", title(true));
  const long peak_kb = p.program_peak_rss_kb();
  ::testing::Test::RecordProperty("program_peak_rss_kb", static_cast<int>(peak_kb));
  p.step("3\n", "");
  const ExitState exit = p.end(false);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.code, 0);
  if (measured) {
    EXPECT_GT(peak_kb, 0) << "the program's memory could not be read";
    EXPECT_LT(peak_kb, 16 * 1024);
  }
}

}  // namespace
}  // namespace tavro::testing
