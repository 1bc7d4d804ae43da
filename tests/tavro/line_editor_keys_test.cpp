// tavro's own line editor in-process, fed by a scripted key source: the terminal's editing
// characters beyond erase and kill, Ctrl+L, and the job keys, which are never text or a key;
// and the bounded record of the screen that Ctrl+L and a return to the foreground draw again.
#include "line_editor.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "console.hpp"
#include "screen_record.hpp"

namespace tavro {
namespace {

#ifdef TAVRO_UTF8_OUTPUT
const std::string kWide = "\xE3\x81\x82";  // あ, two columns
#else
const std::string kWide = "\x82\xA0";  // あ in code page 932, two columns
#endif
const std::string kBack = "\b \b";

// Typed bytes in chunks, one chunk a read; the input ends after the last. What the editor
// shows, draws again and signals is logged in order.
class ScriptedKeys final : public KeySource {
 public:
  explicit ScriptedKeys(std::deque<std::string> chunks) : chunks_(std::move(chunks)) {}

  Wait wait(int /*timeout_ms*/) override { return chunks_.empty() ? Wait::kEnd : Wait::kReady; }
  std::size_t read(char* buffer, std::size_t size) override {
    std::string& chunk = chunks_.front();
    const std::size_t n = chunk.copy(buffer, size);
    chunk.erase(0, n);
    if (chunk.empty()) {
      chunks_.pop_front();
    }
    return n;
  }
  void echo(std::string_view bytes) override { log.append(bytes); }
  void job_key(JobKey key) override {
    log += key == JobKey::kInterrupt ? "<int>" : key == JobKey::kQuit ? "<quit>" : "<susp>";
  }
  void redraw() override { log += "<redraw>"; }

  std::string log;

 private:
  std::deque<std::string> chunks_;
};

// A terminal's usual characters: erase DEL, kill ^U, eof ^D, werase ^W, rprnt ^R, lnext ^V,
// intr ^C, quit ^\, susp ^Z.
constexpr EditingKeys kUsual{0x7F, 0x15, 0x04, 0x17, 0x12, 0x16, 0x03, 0x1C, 0x1A};

struct Edited {
  std::string line;
  std::string log;
};

Edited edit(const std::string& typed, EditingKeys keys = kUsual) {
  ScriptedKeys source({typed});
  LineEditor editor(source, keys);
  std::string line = editor.read_line();
  return {std::move(line), source.log};
}

TEST(TavroLineEditor, WordEraseTakesBlanksThenTheWordBeforeThem) {
  Edited e = edit("ab cd  \x17x\n");
  EXPECT_EQ(e.line, "ab x\n");
  EXPECT_EQ(e.log, "ab cd  " + kBack + kBack + kBack + kBack + "x\n");
  // Whole characters, both columns of a wide one; a tab is a blank; nothing left, nothing shown.
  e = edit(kWide + "\t" + kWide + kWide + "\x17\x17\x17" + "1\n");
  EXPECT_EQ(e.line, "1\n");
  EXPECT_EQ(e.log, kWide + " " + kWide + kWide + kBack + kBack + kBack + kBack + kBack + kBack +
                       kBack + "1\n");
}

TEST(TavroLineEditor, ReprintShowsTheLineAgainOnARowOfItsOwn) {
  const Edited e = edit(
      "ab\x7f"
      "c\x16\x01\x12"
      "d\n");
  EXPECT_EQ(e.line,
            "ac\x01"
            "d\n");
  EXPECT_EQ(e.log, "ab" + kBack + "c^A^R\nac^Ad\n");
}

TEST(TavroLineEditor, LiteralNextTakesAnyByteButALineBreakAsText) {
  // ^A, the suspend character and DEL are text; DEL typed again erases the ^? it shows, both
  // columns; ^V then Enter still ends the line.
  const Edited e = edit("\x16\x01\x16\x1a\x16\x7f\x7f\x16\n");
  EXPECT_EQ(e.line, "\x01\x1a\n");
  EXPECT_EQ(e.log, "^A^Z^?" + kBack + kBack + "\n") << "no job key acted on";
}

TEST(TavroLineEditor, DisabledCharactersDoNothing) {
  const EditingKeys none{0x7F, 0x15, 0x04, -1, -1, -1, -1, -1, -1};
  const Edited e = edit(
      "a \x17\x12\x16\x03\x1c\x1a"
      "b\n",
      none);
  EXPECT_EQ(e.line, "a b\n");
  EXPECT_EQ(e.log, "a b\n");
}

TEST(TavroLineEditor, JobKeysAndCtrlLActWithTheEchoShownFirstAndAreNeverText) {
  const Edited e = edit(
      "1\x1a"
      "2\x0c"
      "3\x03\x1c\n");
  EXPECT_EQ(e.line, "123\n");
  EXPECT_EQ(e.log, "1<susp>2<redraw>3<int><quit>\n");
}

TEST(TavroLineEditor, JobKeysAndCtrlLAreNoKeyPress) {
  ScriptedKeys source({"\x0c", "\x1a\x0cz"});
  LineEditor editor(source, kUsual);
  EXPECT_FALSE(editor.key_waiting(100)) << "Ctrl+L alone: the greeting goes on waiting";
  EXPECT_EQ(source.log, "<redraw>");
  EXPECT_EQ(editor.read_key(), 'z');
  EXPECT_EQ(source.log, "<redraw><susp><redraw>");
  EXPECT_TRUE(editor.key_waiting(100)) << "the end of the input";
  EXPECT_EQ(editor.read_key(), -1);
}

TEST(TavroScreenRecord, KeepsWhatFollowsTheLastClear) {
  ScreenRecord record;
  record.add("greeting");
  record.add("old" + std::string(kClearSequence) + "title\n" + std::string(kClearSequence) +
             "menu ->");
  record.add("12");
  EXPECT_EQ(record.redrawn(), std::string(kClearSequence) + "menu ->12");
}

TEST(TavroScreenRecord, KeepsTheLastPartOfAnyLongOutputAndNoHalfCharacter) {
  ScreenRecord record;
  record.add("number: ");
  const std::string piece(std::size_t{64} * 1024, '7');
  for (int i = 0; i < 64; ++i) {  // 4 MiB of digits, as a long number is echoed
    record.add(piece);
  }
  record.add("\n->");
  EXPECT_LE(record.kept().size(), ScreenRecord::kKept);
  EXPECT_GE(record.kept().size(), ScreenRecord::kKept - 256);
  EXPECT_TRUE(record.kept().ends_with("7777\n->"));

  std::string wide_text;
  while (wide_text.size() < ScreenRecord::kKept + 5) {
    wide_text += kWide;
  }
  record.add(wide_text + "\n");  // no single-byte character until the end
  ASSERT_LE(record.kept().size(), ScreenRecord::kKept);
#ifdef TAVRO_UTF8_OUTPUT
  EXPECT_EQ(record.kept().size() % kWide.size(), 1U) << "whole characters and the line break";
  EXPECT_TRUE(record.kept().starts_with(kWide));
#endif
  record.add("x\n" + wide_text.substr(0, ScreenRecord::kKept - 10 * kWide.size()));
  EXPECT_TRUE(record.kept().starts_with("x\n")) << "after the line break close to the cut";
}

}  // namespace
}  // namespace tavro
