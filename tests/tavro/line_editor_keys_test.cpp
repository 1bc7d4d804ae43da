// tavro's line editor and Terminal in-process, typed at through a scripted port: the terminal's
// editing characters beyond erase and kill, Ctrl+L, the job keys (never text or a key, and the
// keys read after them dropped), bytes that are no character, a resize, and the bounded record
// of the screen that Ctrl+L and a return to the foreground draw again.
#include <gtest/gtest.h>

#include <string>

#include "console.hpp"
#include "line_editor.hpp"
#include "scripted_port.hpp"

namespace tavro::testing {
namespace {

#ifdef TAVRO_UTF8_OUTPUT
const std::string kWide = "\xE3\x81\x82";  // あ, two columns
#else
const std::string kWide = "\x82\xA0";  // あ in code page 932, two columns
#endif
// The line written again from its start, at the first column of a row.
const std::string kRewrite = "\r\x1b[J";

// A terminal's usual characters: erase DEL, kill ^U, eof ^D, werase ^W, rprnt ^R, lnext ^V,
// intr ^C, quit ^\, susp ^Z.
constexpr EditingKeys kUsual{0x7F, 0x15, 0x04, 0x17, 0x12, 0x16, 0x03, 0x1C, 0x1A};

struct Edited {
  std::string line;
  std::string log;
};

Edited edit(std::deque<std::string> chunks, const EditingKeys& keys = kUsual) {
  ScriptedPort port(std::move(chunks));
  Terminal terminal(port, false);
  LineEditor editor(terminal, keys);
  std::string line = editor.read_line();
  return {std::move(line), port.log};
}

TEST(TavroLineEditor, WordEraseTakesBlanksThenTheWordBeforeThem) {
  Edited e = edit({"ab cd  \x17x\n"});
  EXPECT_EQ(e.line, "ab x\n");
  EXPECT_EQ(e.log, "ab cd  " + kRewrite + "ab x\n");
  // Whole characters; a tab is a blank; nothing left, nothing shown.
  e = edit({kWide + "\t" + kWide + kWide + "\x17\x17\x17" + "1\n"});
  EXPECT_EQ(e.line, "1\n");
  EXPECT_EQ(e.log, kWide + " " + kWide + kWide + kRewrite + kWide + " " + kRewrite + "1\n");
}

TEST(TavroLineEditor, ReprintAndLiteralNext) {
  Edited e =
      edit({"ab\x7f"
            "c\x16\x01\x12"
            "d\n"});
  EXPECT_EQ(e.line,
            "ac\x01"
            "d\n");
  EXPECT_EQ(e.log, "ab" + kRewrite + "ac^A^R\nac^Ad\n");
  // ^A, the suspend character and DEL are text; DEL typed again erases the ^? whole; ^V then
  // Enter still ends the line.
  e = edit({"\x16\x01\x16\x1a\x16\x7f\x7f\x16\n"});
  EXPECT_EQ(e.line, "\x01\x1a\n");
  EXPECT_EQ(e.log, "^A^Z^?" + kRewrite + "^A^Z\n") << "no job key acted on";
}

TEST(TavroLineEditor, DisabledCharactersDoNothing) {
  const EditingKeys none{0x7F, 0x15, 0x04, -1, -1, -1, -1, -1, -1};
  const Edited e = edit({"a \x17\x12\x16\x03\x1c\x1a"
                         "b\n"},
                        none);
  EXPECT_EQ(e.line, "a b\n");
  EXPECT_EQ(e.log, "a b\n");
}

TEST(TavroLineEditor, JobKeyDropsTheLineAndTheKeysReadAfterIt) {
  // ^Z with "2" behind it in the same read; ^L draws the screen again with the line; ^C.
  Edited e =
      edit({"1\x1a"
            "2",
            "3\x0c", "\x03", "4\n"});
  EXPECT_EQ(e.line, "4\n");
  EXPECT_EQ(e.log,
            "1" + kRewrite + "<susp>" + std::string(kClearSequence) + "3" + kRewrite + "<int>4\n");
  // Two ^Z read together stop once; "fg" typed behind one is the shell's, never an answer.
  e = edit({"\x1a\x1a",
            "\x1a"
            "fg\r",
            "3\r"});
  EXPECT_EQ(e.line, "3\n");
  EXPECT_EQ(e.log, "<susp><susp>3\n");
  // With noflsh the line stays; what came behind the key is still dropped.
  EditingKeys keep = kUsual;
  keep.flush_on_job_key = false;
  e = edit({"1\x1a"
            "2",
            "3\n"},
           keep);
  EXPECT_EQ(e.line, "13\n");
  EXPECT_EQ(e.log, "1<susp>3\n");
}

TEST(TavroLineEditor, JobKeysAndCtrlLAreNoKeyPress) {
  ScriptedPort port({"\x0c", "\x1a", "z"});
  Terminal terminal(port, false);
  LineEditor editor(terminal, kUsual);
  EXPECT_FALSE(editor.key_waiting(100)) << "Ctrl+L alone: the greeting goes on waiting";
  EXPECT_EQ(editor.read_key(), 'z');
  EXPECT_EQ(port.log, std::string(kClearSequence) + "<susp>");
  EXPECT_TRUE(editor.key_waiting(100)) << "the end of the input";
  EXPECT_EQ(editor.read_key(), -1);
}

#ifdef TAVRO_UTF8_OUTPUT
TEST(TavroLineEditor, BytesThatAreNoCharacterShowAsReplacementsAndEraseOneByOne) {
  // A stray byte, a C1 control and a cut 日 before "x": one replacement each byte (the control
  // whole), kept in the line as typed.
  ScriptedPort port({"a\xff\xc2\x85\xe6\x97x\x7f\x7f\x7f\n"});
  Terminal terminal(port, false);
  LineEditor editor(terminal, kUsual);
  EXPECT_EQ(editor.read_line(), "a\xff\xc2\x85\n");
  EXPECT_EQ(port.screen.rows(), std::vector<std::string>{"a\uFFFD\uFFFD"});
}
#endif

TEST(TavroTerminal, EraseAfterAResizeDrawsTheScreenForTheWidthNow) {
  ScriptedPort port({"abcdefghij", "\x7f\n"}, 10);
  Terminal terminal(port, false);
  (void)terminal.write("title\n->");
  LineEditor editor(terminal, kUsual);
  port.width_now = 20;  // between the two reads: the window grew
  EXPECT_EQ(editor.read_line(), "abcdefghi\n");
  EXPECT_TRUE(port.log.ends_with(std::string(kClearSequence) + "title\n->abcdefghi\n"));
}

TEST(TavroTerminal, KeepsWhatFollowsTheLastClear) {
  ScriptedPort port({});
  Terminal terminal(port, false);
  (void)terminal.write("greeting");
  (void)terminal.write("old" + std::string(kClearSequence) + "title\n" +
                       std::string(kClearSequence) + "menu ->");
  (void)terminal.write("12");
  terminal.redraw();
  EXPECT_TRUE(port.log.ends_with("12" + std::string(kClearSequence) + "menu ->12"));
}

TEST(TavroTerminal, KeepsTheLastPartOfAnyLongOutputAndNoHalfCharacter) {
  ScriptedPort port({});
  Terminal terminal(port, false);
  (void)terminal.write("number: ");
  const std::string piece(std::size_t{64} * 1024, '7');
  for (int i = 0; i < 64; ++i) {  // 4 MiB of digits, as a long number is echoed
    (void)terminal.write(piece);
  }
  (void)terminal.write("\n->");
  EXPECT_LE(terminal.shown().size(), Terminal::kKept);
  EXPECT_GE(terminal.shown().size(), Terminal::kKept - 256);
  EXPECT_TRUE(terminal.shown().ends_with("7777\n->"));

  std::string wide_text;
  while (wide_text.size() < Terminal::kKept + 5) {
    wide_text += kWide;
  }
  (void)terminal.write(wide_text + "\n");  // no single-byte character until the end
  ASSERT_LE(terminal.shown().size(), Terminal::kKept);
#ifdef TAVRO_UTF8_OUTPUT
  EXPECT_EQ(terminal.shown().size() % kWide.size(), 1U) << "whole characters and the line break";
  EXPECT_TRUE(terminal.shown().starts_with(kWide));
#endif
  (void)terminal.write("x\n" + wide_text.substr(0, Terminal::kKept - 10 * kWide.size()));
  EXPECT_TRUE(terminal.shown().starts_with("x\n")) << "after the line break close to the cut";
}

}  // namespace
}  // namespace tavro::testing
