// The item types and the console runtime of tavro-2dgame: what an item keeps, how a typed line
// becomes an item's value, and when output is written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support.hpp"

namespace tavro2d::testing {
namespace {

TEST(Items, NumbersKeepTheirDigitsAndPrintAtFullWidth) {
  Unsigned<1> one = 12;
  Signed<2> two = -123;
  Unsigned<2> magnitude = -7;
  Signed<1> computed = 0;
  EXPECT_EQ(one, 2) << "high-order digits are lost";
  EXPECT_EQ(two, -23);
  EXPECT_EQ(magnitude, 7) << "an unsigned item holds no sign";
  computed = 9.99;
  EXPECT_EQ(computed, 9) << "a computed value loses its fraction, no rounding";
  computed = -1.5;
  EXPECT_EQ(computed, -1);
  const Unsigned<9> wait = 9999999;
  EXPECT_EQ(wait, 9999999);
  one = Signed<2>{-23};
  EXPECT_EQ(one, 3) << "an item stored into a narrower unsigned one";

  const auto text = [](const auto& array) { return std::string(array.begin(), array.end()); };
  EXPECT_EQ(text(Unsigned<2>(5).display()), "05");
  EXPECT_EQ(text(Unsigned<1>(3).display()), "3");
  EXPECT_EQ(text(Signed<1>(-4).display()), "-4");
  EXPECT_EQ(text(Signed<2>(7).display()), "+07");
}

TEST(Items, TextsArePaddedAndCut) {
  Text<3> t{"ON"};
  EXPECT_EQ(t, "ON ");
  t = "ABCDEF";
  EXPECT_EQ(t, "ABC");
  t = "";
  EXPECT_EQ(t, "   ");
  EXPECT_FALSE(Line<8>{"exi"}.is("exit"));
}

class Reading : public ProgramTest {
 protected:
  template <typename Item>
  Item read(const std::string& input) {
    host.script(input);
    rt::start(host, host);
    Item item;
    rt::read_line(item);
    return item;
  }
};

TEST_F(Reading, NumberLines) {
  struct Case {
    std::string line;
    int one_signed;
    int two_signed;
    int one_unsigned;
  };
  const Case cases[] = {
      {"5", 5, 5, 5},
      {" -7\t", -7, -7, 0},
      {"+3 ", 3, 3, 3},
      {"12", -9, 12, 0},
      {"05", -9, 5, 0},
      {"-99", -9, -99, 0},
      {"100", -9, -99, 0},
      {"", -9, -99, 0},
      {"   ", -9, -99, 0},
      {"a", -9, -99, 0},
      {"1a", -9, -99, 0},
      {"- 5", -9, -99, 0},
      {"+", -9, -99, 0},
      {"5 5", -9, -99, 0},
      {"4\r", 4, 4, 4},
      {"\xef\xbc\x95", -9, -99, 0},  // a full-width digit is no digit
      {std::string(5000, ' ') + "5", -9, -99, 0},
  };
  for (const Case& c : cases) {
    const std::string input = c.line + "\n";
    EXPECT_EQ(read<Signed<1>>(input), c.one_signed) << '"' << c.line << '"';
    EXPECT_EQ(read<Signed<2>>(input), c.two_signed) << '"' << c.line << '"';
    EXPECT_EQ(read<Unsigned<1>>(input), c.one_unsigned) << '"' << c.line << '"';
  }
}

TEST_F(Reading, TextAndMoveLines) {
  EXPECT_EQ(read<Text<3>>("abcdef\n"), "abc");
  EXPECT_EQ(read<Text<3>>("ab\r\n"), "ab ") << "CR LF ends a line like LF";
  EXPECT_EQ(read<Text<3>>("a\rb\n"), "a\rb") << "a CR inside the line stays";
  EXPECT_EQ(read<Text<1>>("\n"), " ");
  EXPECT_TRUE(read<Line<80>>("exit\r\n").is("exit"));
  EXPECT_FALSE(read<Line<80>>("exit \n").is("exit"));
  const auto long_line = read<Line<80>>(std::string(5000, 'o') + "\n");
  EXPECT_EQ(long_line.length(), 5000U);
  EXPECT_EQ(long_line.first(), 'o');
}

TEST_F(Reading, OutputIsWrittenInOnePieceBeforeEachRead) {
  host.script("1\n2\n");
  rt::print_line("a", Unsigned<2>{7}, Text<3>{"ON"});
  rt::print_line();
  rt::print_line(Signed<1>{-3}, "z");
  EXPECT_TRUE(host.writes.empty());
  Signed<1> item;
  rt::read_line(item);
  rt::read_line(item);
  ASSERT_EQ(host.writes.size(), 1U);
  EXPECT_EQ(host.writes[0], "a07ON \n\n-3z\n");
}

TEST(ProgramEntryDeathTest, StopsWhenTheRuntimeIsNotStarted) {
  rt::release();
  EXPECT_EXIT(TAVRO_2DGAME(), ::testing::ExitedWithCode(EXIT_FAILURE),
              "fatal error: .*console runtime was not started");
}

}  // namespace
}  // namespace tavro2d::testing
