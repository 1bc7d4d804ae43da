// The line editor in-process, typed at through a scripted key source whose echo goes to a
// screen model (screen_model.hpp) that, like xterm, does not wrap back on a BS at a row's
// start: what an erase leaves on the screen, whole, and where it leaves the cursor.
#include "line_editor.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "screen_model.hpp"

namespace tavro::testing {
namespace {

constexpr char kErase = 0x7F;
constexpr char kKill = 0x15;
constexpr std::size_t kHeight = 6;

#ifdef TAVRO_UTF8_OUTPUT
const std::string kWide = "\u3042";  // あ
#else
const std::string kWide = "\x82\xA0";  // あ in code page 932
#endif

// Keys typed all at once, the echo shown on a terminal `width` columns wide.
class ScriptedTerminal final : public KeySource {
 public:
  ScriptedTerminal(std::string keys, std::size_t width, bool ambiguous_wide)
      : screen(width, kHeight, ambiguous_wide), keys_(std::move(keys)), width_(width) {}

  ScreenModel screen;

  Wait wait(int /*timeout_ms*/) override { return read_ ? Wait::kEnd : Wait::kReady; }
  std::size_t read(char* buffer, std::size_t size) override {
    read_ = true;
    return keys_.copy(buffer, size);
  }
  void echo(std::string_view bytes) override { screen.feed(bytes); }
  std::size_t width() override { return width_; }

 private:
  std::string keys_;
  std::size_t width_;
  bool read_ = false;
};

struct Typed {
  std::string line;    // what the editor hands over
  std::string screen;  // the whole screen and the cursor
};

// `keys` typed after `prompt`, whose column the editor is told, as the host tells it.
Typed type_at_prompt(std::string_view prompt, std::string keys, std::size_t width = 80,
                     bool ambiguous_wide = false) {
  ScriptedTerminal terminal(std::move(keys), width, ambiguous_wide);
  terminal.screen.feed(prompt);
  LineEditor editor(terminal, EditingKeys{kErase, kKill, 0x04}, EchoSettings{ambiguous_wide});
  editor.line_starts_at(column_after(prompt, 0, width, ambiguous_wide));
  std::string line = editor.read_line();
  return {line, terminal.screen.dump()};
}

// What the terminal shows when `text` is written to it as it is.
std::string shown(std::string_view text, std::size_t width = 80, bool ambiguous_wide = false) {
  ScreenModel screen(width, kHeight, ambiguous_wide);
  screen.feed(text);
  return screen.dump();
}

std::string erases(std::size_t count) {
  return {std::string(count, kErase)};
}

#ifdef TAVRO_UTF8_OUTPUT
TEST(LineEditorErase, CombiningMarksGoWithTheCharacterBeforeThem) {
  struct Case {
    std::string keys;
    std::string line;
  };
  // e and an acute accent; a and a diaeresis, then Enter; が as か and the voiced sound mark,
  // erased twice: the second erase finds nothing and leaves the prompt alone.
  for (const Case& c :
       {Case{"e\u0301" + erases(1) + "1", "1"}, Case{"a\u0308" + erases(1) + "8\r", "8\n"},
        Case{"\u304B\u3099" + erases(2) + "3", "3"}}) {
    SCOPED_TRACE(c.keys);
    const Typed typed = type_at_prompt("input 1 ~ 3 ->", c.keys);
    EXPECT_EQ(typed.line, c.line);
    EXPECT_EQ(typed.screen, shown("input 1 ~ 3 ->" + c.line));
  }
}
#endif

TEST(LineEditorErase, WideCharactersTakeBackBothColumns) {
#ifdef TAVRO_UTF8_OUTPUT
  // Beyond the ideographs: a rocket, a check mark and a star are wide too.
  for (const std::string& wide :
       {kWide, std::string("\U0001F680"), std::string("\u2705"), std::string("\u2B50")}) {
#else
  for (const std::string& wide : {kWide}) {
#endif
    SCOPED_TRACE(wide);
    const Typed typed = type_at_prompt("->", "x" + wide + erases(1) + "y");
    EXPECT_EQ(typed.line, "xy");
    EXPECT_EQ(typed.screen, shown("->xy"));
  }
#ifdef TAVRO_UTF8_OUTPUT
  // An ambiguous character (a white circle) takes the columns the terminal gives it.
  for (const bool ambiguous_wide : {false, true}) {
    const Typed typed = type_at_prompt("->", "x\u25CB" + erases(1) + "y", 80, ambiguous_wide);
    EXPECT_EQ(typed.screen, shown("->xy", 80, ambiguous_wide)) << ambiguous_wide;
  }
#endif
}

// Rows 10 columns wide: "->" and seven characters leave one column free.
TEST(LineEditorRows, WideCharacterThatWrappedWholeIsErasedBackToTheRowAbove) {
  EXPECT_EQ(type_at_prompt("->", "abcdefg" + kWide + erases(1), 10).screen, shown("->abcdefg", 10))
      << "the cursor is back in the last column, where the wide character did not fit";
  const Typed typed = type_at_prompt("->", "abcdefg" + kWide + erases(1) + "hi", 10);
  EXPECT_EQ(typed.line, "abcdefghi");
  EXPECT_EQ(typed.screen, shown("->abcdefghi", 10));
}

TEST(LineEditorRows, CharacterAfterAFilledRowIsErasedBackToTheDeferredWrap) {
  // "h" fills the row; "i" and the wide character go to the next.
  EXPECT_EQ(type_at_prompt("->", "abcdefghi" + kWide + erases(2), 10).screen,
            shown("->abcdefgh", 10));
  // The character that filled the row erased, the wide character no longer fits there.
  EXPECT_EQ(type_at_prompt("->", "abcdefgh" + erases(1) + kWide, 10).screen,
            shown("->abcdefg" + kWide, 10));
  // A prompt that filled its row: the line starts on the next.
  EXPECT_EQ(type_at_prompt("0123456789", "ab" + erases(2) + "c", 10).screen,
            shown("0123456789c", 10));
}

TEST(LineEditorRows, EraseAndKillTakeBackEveryRowOfTheLine) {
  // Three rows: the first ends in a column left empty, the second is full.
  const std::string keys = "a" + kWide + "bcde" + kWide + kWide + "fghijl" + kWide + "k";
  for (const std::string& erase_all : {std::string(1, kKill), erases(16)}) {
    const Typed typed = type_at_prompt("->", keys + erase_all + "z", 10);
    EXPECT_EQ(typed.line, "z");
    EXPECT_EQ(typed.screen, shown("->z", 10));
  }
}

}  // namespace
}  // namespace tavro::testing
