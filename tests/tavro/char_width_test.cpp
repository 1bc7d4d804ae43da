// Character widths from the generated table, and the column a prompt leaves the cursor in.
#include "char_width.hpp"

#include <gtest/gtest.h>

#include <string>

#include "console.hpp"

namespace tavro::testing {
namespace {

TEST(CharWidth, FollowsTheUnicodeData) {
  struct Case {
    char32_t code_point;
    std::size_t columns;            // at a terminal in a Western locale
    std::size_t ambiguous_columns;  // at a Japanese console
  };
  for (const Case& c : {
           Case{U'A', 1, 1},    Case{0x0301, 0, 0},  // combining acute accent (Mn)
           Case{0x0300, 0, 0},   // combining grave accent: ambiguous, but a mark
           Case{0x20DD, 0, 0},   // combining enclosing circle (Me)
           Case{0x3099, 0, 0},   // combining voiced sound mark: wide, but a mark
           Case{0xFE0F, 0, 0},   // variation selector
           Case{0x200B, 0, 0},   // zero width space
           Case{0x200D, 0, 0},   // zero width joiner
           Case{0x2060, 0, 0},   // word joiner
           Case{0xFEFF, 0, 0},   // zero width no-break space
           Case{0x1160, 0, 0},   // Hangul jungseong filler
           Case{0x11A8, 0, 0},   // Hangul jongseong kiyeok
           Case{0x00AD, 1, 2},   // soft hyphen: shown as a hyphen (A)
           Case{0x3042, 2, 2},   // あ
           Case{0xFF21, 2, 2},   // full-width A (F)
           Case{0xFF76, 1, 1},   // half-width katakana
           Case{0x1F680, 2, 2},  // rocket
           Case{0x2705, 2, 2},   // white heavy check mark
           Case{0x2B50, 2, 2},   // white medium star
           Case{0x2FFFD, 2, 2},  // unassigned in plane 2: wide by default
           Case{0x25CB, 1, 2},   // white circle (A)
           Case{0x00A7, 1, 2},   // section sign (A)
       }) {
    EXPECT_EQ(char_width(c.code_point, false), c.columns)
        << std::hex << static_cast<unsigned>(c.code_point);
    EXPECT_EQ(char_width(c.code_point, true), c.ambiguous_columns)
        << std::hex << static_cast<unsigned>(c.code_point);
  }
}

TEST(CharWidth, CursorAfterAPromptCountsItsRows) {
#ifdef TAVRO_UTF8_OUTPUT
  const std::string wide = "\u3042";
  EXPECT_EQ(cursor_after("e\u0301", 10, false).column, 1U);
#else
  const std::string wide = "\x82\xA0";
#endif
  const auto at = [](std::string_view text) {
    const Cursor c = cursor_after(text, 10, false);
    return std::to_string(c.row) + "," + std::to_string(c.column);
  };
  EXPECT_EQ(at("ab\x1b[2C->"), "0,4") << "a sequence takes no column";
  EXPECT_EQ(at("0123456789"), "0,10") << "the wrap is deferred";
  EXPECT_EQ(at("0123456789a"), "1,1");
  EXPECT_EQ(at("abcdefghi" + wide), "1,2") << "wrapped whole";
  EXPECT_EQ(at("abcdefgh" + wide), "0,10");
}

TEST(CharWidth, VisibleShowsEveryByteInColumnsTheTerminalAgreesOn) {
  EXPECT_EQ(visible("a\tb\x01\x7f"), "a b^A^?");
#ifdef TAVRO_UTF8_OUTPUT
  EXPECT_EQ(visible("\xff\xc2\x85\xe6\x97x\xed\xa0\x80\u65e5"),
            "\uFFFD\uFFFD\uFFFD\uFFFDx\uFFFD\uFFFD\uFFFD\u65e5")
      << "a stray byte, a C1 control, a cut character, a surrogate; then a whole one";
  EXPECT_TRUE(incomplete_character("\xe6\x97"));
  EXPECT_FALSE(incomplete_character("\xe6\x97x"));
#else
  EXPECT_EQ(visible("\x80\xb1\x82\xa0\x82"), "?\xb1\x82\xa0?") << "half-width kana, a pair";
  EXPECT_TRUE(incomplete_character("\x82"));
#endif
}

}  // namespace
}  // namespace tavro::testing
