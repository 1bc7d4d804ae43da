// The bonus of tavro in-process: its menu and every branch of both scripts, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro {
namespace {

using namespace testing::bonus;
using testing::FakeHost;
using testing::kClear;
using testing::repeat;

struct Played {
  std::string output;
  bool returned = false;  // false: the input ended first
  std::size_t unread = 0;
};

// Runs the bonus menu on `input`.
Played play_bonus(const std::string& input) {
  FakeHost host(input);
  Console console(host, host);
  use_console(&console);
  Played played;
  try {
    mini_omake();
    played.returned = true;
  } catch (const EndOfRun& end) {
    EXPECT_EQ(end.status, 0);
  }
  console.flush();
  use_console(nullptr);
  played.output = host.output;
  played.unread = host.unread();
  return played;
}

// The way to school up to the weather question; its answers follow.
const std::string kCommuteStart = kMenu + std::string(kClear) + kWakeUp + kRaining;

// Expects the whole script to run on `input` and print `expected` after the menu.
void expect_script(const std::string& input, const std::string& expected) {
  const Played played = play_bonus(input);
  EXPECT_TRUE(played.returned) << input;
  EXPECT_EQ(played.unread, 0U) << input;
  EXPECT_EQ(played.output, expected) << input;
}

TEST(BonusMenu, OnlyTheLineZeroRunsTheWayToSchool) {
  for (const char* line : {"0", "0\r"}) {
    EXPECT_EQ(play_bonus(std::string(line) + "\n").output, kMenu + std::string(kClear) + kWakeUp);
  }
  for (const char* line : {"00", " 0", "0 ", "1", "", "x"}) {
    EXPECT_EQ(play_bonus(std::string(line) + "\n").output, kMenu + std::string(kClear) + kTake)
        << '"' << line << '"';
  }
}

TEST(SchoolCommute, EveryRowOfTheDecisionTable) {
  struct Case {
    const char* weather;
    const char* pc;
    const std::string& texts;
  };
  for (const Case& k : {Case{"1", "1", kSunnyWithPc}, Case{"1", "2", kSunnyNoPc},
                        Case{"2", "2", kRainNoPc}, Case{"2", "1", kRainWithPc}}) {
    // One byte for each of the four key waits.
    expect_script(std::string("0\nab") + k.weather + "\nc" + k.pc + "\nd",
                  kCommuteStart + kWeather + kPc + separator() + k.texts + separator());
  }
}

TEST(SchoolCommute, WeatherAndPcQuestionsRepeatUntilAnswered) {
  // Weather: 3, letters (the earlier 3 stays), an empty line (no new question), -2, then 2.
  // PC: 3, letters, 0, then 1. The weather is not asked again.
  expect_script("0\nab3\nx\n\n-2\n2\nc3\nabc\n0\n1\nd", kCommuteStart + repeat(kWeather, 4) +
                                                            repeat(kPc, 4) + separator() +
                                                            kRainWithPc + separator());
}

TEST(SchoolCommute, GivesUpTheWeatherAfter9999FailedAnswers) {
  std::string failed;
  for (int i = 0; i < 9999; ++i) {
    failed += i % 2 == 0 ? "3\n" : "x\n";
  }
  // The key wait after the weather, then straight to the closing line and its key wait.
  expect_script("0\nab" + failed + "cd", kCommuteStart + repeat(kWeather, 9999) + separator());
  // One answer fewer, and the last one counts.
  failed.resize(failed.size() - 2);
  expect_script("0\nab" + failed + "1\nc2\nd", kCommuteStart + repeat(kWeather, 9999) + kPc +
                                                   separator() + kSunnyNoPc + separator());
}

TEST(Telephone, AnyAnswerButOneLetsSomebodyElseTakeIt) {
  for (const char* answer : {"2", "0", "x", "-1"}) {
    expect_script(std::string("1\n") + answer + "\nk",
                  kMenu + std::string(kClear) + kTake + kTakenFirst);
  }
}

const std::string kTelephoneStart = kMenu + std::string(kClear) + kTake;

TEST(Telephone, PutThroughAsksWhomUntilOneTwoOrThree) {
  for (int whom = 1; whom <= 3; ++whom) {
    // Morning, staff, present; whom: 4, 0, letters, then the answer.
    expect_script("\n1\n0\n9\n1\n4\n0\nx\n" + std::to_string(whom) + "\nk",
                  kTelephoneStart + kTime + kMorning + kCaller + kStaff + kAskedFor + kPresent +
                      repeat(kWhom, 4) + kPutThrough[whom - 1]);
  }
}

TEST(Telephone, AbsentWithEveryWhereAndEveryCallBack) {
  struct Case {
    const char* answers;  // time, caller, present, where, call back
    std::string expected;
  };
  const auto away = [](int where) { return kSorry + kAway[where] + kCallBackOffer + kOk; };
  const Case cases[] = {
      {"0\n9\n0\n1\n1\n",
       kMorning + kCaller + kStaff + kAskedFor + kPresent + kWhere + away(0) + kStaffOk},
      {"5\n9\n2\n2\n0\n",
       kAfternoon + kCaller + kStaff + kAskedFor + kPresent + kWhere + away(1) + kDeclined},
      {"1\n5\nx\n3\n2\n",
       kAfternoon + kCaller + kCustomer + kAskedFor + kPresent + kWhere + away(2) + kDeclined},
      {"1\n0\n0\n4\nx\n",
       kAfternoon + kCaller + kCustomer + kAskedFor + kPresent + kWhere + away(3) + kDeclined},
      {"0\n1\n0\n5\n0\n",
       kMorning + kCaller + kCustomer + kAskedFor + kPresent + kWhere + away(4) + kDeclined},
      {"0\n1\n0\n0\n0\n",
       kMorning + kCaller + kCustomer + kAskedFor + kPresent + kWhere + away(4) + kDeclined},
      // Every answer but the first not a number: each takes its other branch.
      {"x\nx\nx\nx\nx\n",
       kAfternoon + kCaller + kCustomer + kAskedFor + kPresent + kWhere + away(4) + kDeclined},
  };
  for (const Case& k : cases) {
    expect_script(std::string("\n1\n") + k.answers + "k", kTelephoneStart + kTime + k.expected);
  }
}

TEST(Telephone, CustomerCallBackEchoesTheNumberAsRead) {
  struct Case {
    const char* typed;
    const char* echoed;
  };
  for (const Case& k :
       {Case{"0123", "123"}, Case{"12-34", "12"}, Case{"+81", "81"}, Case{"-0", "0"},
        Case{"-42", "-42"}, Case{"09012345678", "9012345678"}, Case{"19012345678", "19012345678"},
        Case{"  4294967297 x", "4294967297"}, Case{"abc", "0"}, Case{"-", "0"}, Case{"", "0"}}) {
    // Afternoon, customer, absent, in a meeting, call back; an empty line is skipped.
    const std::string typed = *k.typed == '\0' ? "\n7" : k.typed;
    const std::string echoed = *k.typed == '\0' ? "7" : k.echoed;
    expect_script(std::string("\n1\n1\n1\n0\n2\n1\n") + typed + "\nk",
                  kTelephoneStart + kTime + kAfternoon + kCaller + kCustomer + kAskedFor +
                      kPresent + kWhere + kSorry + kAway[1] + kCallBackOffer + kOk + kNumberPlease +
                      number_echo(echoed));
  }
}

}  // namespace
}  // namespace tavro
