// The built tavro-2dgame played through pipes: whole screens byte for byte, and the exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "process.hpp"
#include "screens.hpp"

namespace tavro2d::testing {
namespace {

using namespace std::chrono_literals;
using tavro::testing::Child;
using tavro::testing::Ran;
using tavro::testing::run_piped;

const std::string kExe = TAVRO_2DGAME_EXE;

// The default 15 x 30 map during play, after `steps` moves up from the start at row 7,
// column 15: ground everywhere but the player and the trail below.
std::string playing_map(int steps) {
  std::vector<std::string> rows(15, std::string(29, '-'));
  for (int r = 7 - steps; r <= 7; ++r) {
    rows[static_cast<std::size_t>(r)][14] = r == 7 - steps ? '#' : 'o';
  }
  return map_screen(rows) + kMovePrompt;
}

TEST(PipedB, Entry3EndsTheRunAtTheTitle) {
  for (const char* input : {"3\n", "3\r\n", " 3 \n"}) {
    const Ran ran = run_piped(kExe, input, 10s);
    EXPECT_TRUE(ran.exit.exited);
    EXPECT_EQ(ran.exit.code, 0);
    EXPECT_EQ(ran.output, menu(false)) << '"' << input << '"';
  }
#ifndef TAVRO_UTF8_OUTPUT
  // The console's own bytes: ideographic spaces (81 40), then a star (81 9A) or a wave (81 60).
  const std::string out = run_piped(kExe, "3\n", 10s).output;
  const auto line = [&](int n) {
    std::size_t at = 25;
    for (int i = 0; i < n; ++i) {
      at = out.find('\n', at) + 1;
    }
    return out.substr(at, 16);
  };
  EXPECT_EQ(line(0), "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x9a");
  EXPECT_EQ(line(1).substr(0, 14), "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x60");
#endif
}

TEST(PipedB, MenuAnswersThatNameNoEntryRedrawTheTitle) {
  const Ran ran = run_piped(kExe, "4\n0\n9\nx\n\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  std::string expected;
  for (int i = 0; i < 6; ++i) {
    expected += menu(false);
  }
  EXPECT_EQ(ran.output, expected);
}

TEST(PipedB, ExitLeavesTheGameWithoutAMessageButExitWithABlankDoesNot) {
  const Ran ran = run_piped(kExe, "1\nexit \nexit\n3\n", 10s);
  EXPECT_EQ(ran.exit.code, 0);
  EXPECT_EQ(ran.output, menu(false) + playing_map(0) + playing_map(0) + menu(false));
}

TEST(PipedB, EndOfInputAtEveryPromptEndsWithStatusZero) {
  const std::string menu_prompt = menu(false).substr(title(false).size());
  for (const char* input : {"", "\n", "1\n", "1\n9\n", "1\nexit\n", "1\n8\n"}) {
    const Ran ran = run_piped(kExe, input, 10s);
    EXPECT_TRUE(ran.exit.exited) << '"' << input << '"';
    EXPECT_EQ(ran.exit.code, 0) << '"' << input << '"';
    EXPECT_TRUE(ran.output.ends_with(menu_prompt) || ran.output.ends_with(kMovePrompt))
        << "nothing follows the last prompt: \"" << input << '"';
  }
}

// Plays games walking up from the start until it has seen a win and a loss (the maps are
// random), and checks every screen: the maps during play exactly, the final map against its
// message, and the title with entry 4 from the first win on.
TEST(PipedB, GamesWalkedUpUntilTheyEndAndTheTitleAfterAWin) {
  Child child = Child::piped(kExe);
  ASSERT_TRUE(child.read_until_ends_with(menu(false), 10s));
  ASSERT_EQ(child.take_new_output(), menu(false));
  bool won = false;
  bool lost = false;
  for (int game = 0; game < 400 && !(won && lost); ++game) {
    child.send("1\n");
    ASSERT_TRUE(child.read_until_ends_with(kMovePrompt, 10s));
    ASSERT_EQ(child.take_new_output(), playing_map(0));
    for (int step = 1;; ++step) {
      child.send("8\n");
      ASSERT_TRUE(child.read_until(
          [](std::string_view fresh) {
            return fresh.ends_with(kMovePrompt) || fresh.ends_with(menu(false)) ||
                   fresh.ends_with(menu(true));
          },
          10s));
      const std::string fresh = child.take_new_output();
      if (fresh.ends_with(kMovePrompt)) {
        ASSERT_LT(step, 8) << "row 7 is eight steps from the top edge";
        ASSERT_EQ(fresh, playing_map(step));
        continue;
      }
      // The final map: 15 rows of 60 after 25 empty lines, then the message and the title.
      std::vector<std::string> rows;
      std::size_t at = kClear.size();
      for (int r = 0; r < 15; ++r) {
        const std::size_t end = fresh.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        rows.push_back(fresh.substr(at, std::min<std::size_t>(29, end - at)));
        at = end + 1;
      }
      const bool cleared = step == 8;
      const std::string message = cleared ? "clear!!\n" : "gameover!!\n";
      for (int r = 0; r < 15; ++r) {
        for (int c = 0; c < 29; ++c) {
          const char shown = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
          if (c == 14 && r == 7 - step) {
            EXPECT_EQ(shown, 'X') << "the mine the player stepped on";
          } else if (c == 14 && r > 7 - step && r <= 7) {
            EXPECT_EQ(shown, 'o') << "the path walked";
          } else {
            EXPECT_TRUE(shown == '-' || shown == '*') << r << "," << c << ": " << shown;
          }
        }
      }
      won = won || cleared;
      lost = lost || !cleared;
      ASSERT_EQ(fresh, map_screen(rows) + message + menu(won));
      break;
    }
  }
  EXPECT_TRUE(won && lost);
  child.send("4\n3\n");
  child.close_input();
  const auto exit = child.wait(10s);
  EXPECT_EQ(exit.code, 0);
  EXPECT_EQ(child.take_new_output(), menu(true)) << "4 opens the bonus, still empty";
}

}  // namespace
}  // namespace tavro2d::testing
