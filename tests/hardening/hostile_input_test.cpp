// Both built programs fed hostile input through pipes: overlong lines, NUL and invalid bytes,
// fifty-digit numbers at every numeric prompt, input that stops mid-line, and an output
// pipe whose reader goes away. Each run must end normally, keep the lines that follow, and
// stay small in memory.
#include <gtest/gtest.h>

#include <string>

#include "cp932.hpp"
#include "process.hpp"

namespace tavro::testing {
namespace {

using namespace std::chrono_literals;

struct Program {
  const char* name;
  std::string path;
  std::string move_prompt;  // what every drawing of a game ends with
  std::string menu_prompt;
};

const Program kA{"tavro", program_under_test("TAVRO_EXE", TAVRO_EXE),
                 "up -> 8 , down -> k , left -> u , right -> o\n->",
                 std::string("input 1 ～ 3 ->"_sj)};
const Program kB{"tavro-2dgame", program_under_test("TAVRO_2DGAME_EXE", TAVRO_2DGAME_EXE),
                 "up -> 8 , down -> k , left -> u , right -> o\n",
                 std::string("input 1 ～ 3 ->\n"_sj)};

constexpr long kMemoryLimitKb = 64 * 1024;
const std::string kHugeLine(10 * 1024 * 1024, 'x');
const std::string kFiftyDigits(50, '9');

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// Runs `program` on `input` and checks that it ended normally, small, with its output ending
// on the title's prompt after exactly `games` games were started.
void expect_normal_run(const Program& program, const std::string& input, std::size_t drawings) {
  const Ran ran = run_piped(program.path, input, 60s);
  EXPECT_TRUE(ran.exit.exited) << program.name;
  EXPECT_EQ(ran.exit.code, 0) << program.name;
  if (kMeasuresResources) {
    EXPECT_LT(ran.exit.max_rss_kb, kMemoryLimitKb) << program.name;
  }
  EXPECT_EQ(count(ran.output, program.move_prompt), drawings) << program.name;
  EXPECT_TRUE(ran.output.ends_with(program.menu_prompt)) << program.name;
}

TEST(HostileInput, TenMebibyteLineAtTheMenuAndTheMovePrompt) {
  // The lines after the long one are kept: the game starts and "exit" ends it.
  expect_normal_run(kA, kHugeLine + "\n1\nexit\n3\n", 2);
  expect_normal_run(kB, kHugeLine + "\n1\nexit\n3\n", 1);
  expect_normal_run(kA, "1\n" + kHugeLine + "\nexit\n3\n", 3);
  expect_normal_run(kB, "1\n" + kHugeLine + "\nexit\n3\n", 2);
}

TEST(HostileInput, NulAndInvalidBytes) {
  const std::string junk("\x00\xff\xfe\x81\x1b[2J\r\x00", 10);
  expect_normal_run(kA, junk + "\n1\n" + junk + "\nexit\n3\n", 3);
  expect_normal_run(kB, junk + "\n1\n" + junk + "\nexit\n3\n", 2);
}

TEST(HostileInput, FiftyDigitsAtEveryNumericPrompt) {
  const std::string n = kFiftyDigits + "\n";
  // Menu; settings menu; rows, columns and debug screens (each then answered properly); the
  // key configuration menu, where a number that is not 1 returns.
  expect_normal_run(kA,
                    n + "-" + n + "2\n" + n + "1\n" + n + "12\n2\n" + n + "20\n3\n" + n + "0\n4\n" +
                        n + "5\n1\nexit\n3\n",
                    2);
  // The same screens of tavro-2dgame, with its difficulty screen; its menu returns on 6.
  expect_normal_run(kB,
                    n + "-" + n + "2\n" + n + "1\n" + n + "12\n2\n" + n + "20\n3\n" + n + "2\n4\n" +
                        n + "0\n5\n" + n + "6\n1\nexit\n3\n",
                    1);
}

TEST(HostileInput, InputEndingMidLineEndsTheRunNormally) {
  for (const Program* program : {&kA, &kB}) {
    for (const char* input : {"3", "1\nexi", "2\n1\n1", "\x81"}) {
      const Ran ran = run_piped(program->path, input, 30s);
      EXPECT_TRUE(ran.exit.exited) << program->name << " " << input;
      EXPECT_EQ(ran.exit.code, 0) << program->name << " " << input;
    }
  }
}

TEST(HostileInput, OutputClosedEarlyEndsTheProgramAtOnce) {
  // Redraws for nobody: a hundred thousand lines, each drawing a map.
  std::string redraws = "1\n";
  for (int i = 0; i < 100000; ++i) {
    redraws += "x\n";
  }
  for (const Program* program : {&kA, &kB}) {
    Child child = Child::piped(program->path);
    child.send(redraws);
    child.close_input();
    ASSERT_TRUE(child.read_until([](std::string_view fresh) { return fresh.size() > 1000; }, 10s));
    child.close_output();
    const ExitState exit = child.wait(10s);
    EXPECT_FALSE(exit.timed_out) << program->name;
    EXPECT_TRUE(exit.signaled || (exit.exited && exit.code != 0)) << program->name;
    if (kMeasuresResources) {
      EXPECT_LT(exit.cpu_seconds, 1.0) << program->name << " kept drawing";
    }
  }
}

}  // namespace
}  // namespace tavro::testing
