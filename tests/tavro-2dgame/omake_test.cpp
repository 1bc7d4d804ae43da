// The bonus in-process: its menu and every branch of both scripts, byte for byte. Lines typed at
// the pauses hold answers that would change the branch if a pause were missing or misplaced.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

namespace tavro2d::testing {
namespace {

struct Case {
  std::string_view input;  // the typed lines with '|' between them, the menu answer first
  std::string shown;       // what follows the bonus menu
};

class Bonus : public ProgramTest {
 protected:
  void expect_runs(const Case& c) {
    std::string lines = typed(c.input);
    host.output.clear();
    EXPECT_EQ(run(mini_omake, lines), -1) << c.input;
    EXPECT_EQ(host.output, kBonusMenu + c.shown) << c.input;
    // The last line is the final pause's: without it the run ends there, everything shown.
    lines.erase(lines.rfind('\n', lines.size() - 2) + 1);
    host.output.clear();
    EXPECT_EQ(run(mini_omake, lines), 0) << c.input;
    EXPECT_EQ(host.output, kBonusMenu + c.shown) << c.input;
  }
};

TEST_F(Bonus, SchoolScriptAsksUntilAnsweredAndPrintsOneBlockPerCombination) {
  const Case cases[] = {
      {"0|2|2|9|1|2|0|1|2", school_script(2, 2) + kFineWithPc},
      {"0|||1|1|2|", school_script(1, 1) + kFineNoPc},
      {"0|1|1|-1|2|2|1|1", school_script(2, 1) + kRainWithPc},
      {"0|x|x|2|1|3|x|2|x", school_script(1, 3) + kRainNoPc},
  };
  for (const Case& c : cases) {
    expect_runs(c);
  }
}

#ifndef TAVRO_UTF8_OUTPUT
TEST(BonusBytes, RulerAndHalfWidthMarksAreTheConsoleBytes) {
  EXPECT_EQ(kRuler, repeat("\x81\x5c", 25) + "\n");
  EXPECT_EQ(tel::kRing.substr(0, tel::kRing.find('\n')).substr(12), "(;\xdf\x84\x44\xdf)");
}
#endif

TEST_F(Bonus, TelephoneScriptTakesEveryBranch) {
  using namespace tel;
  const auto call = [](const std::string& greetings) {
    return kClear + kRing + kTime + greetings + kAsked;
  };
  // Reads: pause, take, time, pause, caller, three pauses, present, then either the superior
  // until named, or where, three pauses, OK and perhaps the number; the final pause.
  const Case cases[] = {
      {"1|1|0|1", kClear + kRing + kTaken},
      {"9|x||1", kClear + kRing + kTaken},
      {"2|x|1|0|x|9|1|1|1|1|0|4|9|1|x",
       call(kMorning + kWho + kStaff) + kBoss + kBoss + kBoss + kBoss + kPresident},
      {"3|x|1|5|9|0|2|2|2|1|2|1", call(kAfternoon + kWho + kCustomer) + kBoss + kDirector},
      {"4|x|1|9|1|8|1|1|1|1|3|x", call(kAfternoon + kWho + kCustomer) + kBoss + kChief},
      {"5|x|1|0|x|0|x|x|x|0|1|1|1|1|0|x",
       call(kMorning + kWho + kCustomer) + kWhere + kOut + kCallBack + kDeclined},
      {"6|x|1|0|x|9|x|x|x|2|2|x|x|x|1|x",
       call(kMorning + kWho + kStaff) + kWhere + kMeeting + kCallBack + kStaffNoted},
      {"7|x|1|0|x|0|x|x|x|0|3|x|x|x|1|012|x", call(kMorning + kWho + kCustomer) + kWhere +
                                                  kVisitor + kCallBack +
                                                  number_noted("012          ")},
      {"8|x|1|0|x|0|x|x|x|0|4|x|x|x|1||x", call(kMorning + kWho + kCustomer) + kWhere + kOtherCall +
                                               kCallBack + number_noted(std::string(13, ' '))},
      {"x|x|1|0|x|0|x|x|x|0|5|x|x|x|1|12345678901234567890|x", call(kMorning + kWho + kCustomer) +
                                                                   kWhere + kAway + kCallBack +
                                                                   number_noted("1234567890123")},
      {"-1|x|1|0|x|9|x|x|x|0|0|1|1|1|x|x",
       call(kMorning + kWho + kStaff) + kWhere + kAway + kCallBack + kDeclined},
      {"|x|1|0|x|0|x|x|x|0|9|x|x|x|1|(03)1234-56 7|x", call(kMorning + kWho + kCustomer) + kWhere +
                                                           kAway + kCallBack +
                                                           number_noted("(03)1234-56 7")},
  };
  for (const Case& c : cases) {
    expect_runs(c);
  }
}

}  // namespace
}  // namespace tavro2d::testing
