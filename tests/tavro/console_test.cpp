// The input reader and output buffer of tavro's console, driven by a scripted host.
#include "console.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "fake_host.hpp"

namespace tavro {
namespace {

using testing::FakeHost;

// What a read keeps of `text`.
Answer kept(std::string_view text) {
  Answer answer;
  for (const char byte : text) {
    answer.add(byte);
  }
  return answer;
}

// The number echo_number prints after "=", or nothing when it reads none; then the frame.
std::optional<std::string> echoed(Console& c, FakeHost& host) {
  const std::size_t before = host.output.size();
  const bool read = c.echo_number("=");
  c.flush();
  if (!read) {
    EXPECT_EQ(host.output.size(), before) << "a failed read prints nothing";
    return std::nullopt;
  }
  const std::string out = host.output.substr(before);
  EXPECT_TRUE(out.starts_with('=')) << out;
  return out.substr(1);
}

// Runs `body` and tells whether it ended the run with status 0.
template <typename Body>
bool ends_run(Body body) {
  try {
    body();
  } catch (const EndOfRun& end) {
    return end.status == 0;
  }
  return false;
}

TEST(ConsoleNumber, ReadsLikePercentD) {
  FakeHost host("  \n\n  42\n-7\n+8\n007\n-0\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), 42);  // blanks and empty lines are skipped
  EXPECT_EQ(c.read_number(0), -7);
  EXPECT_EQ(c.read_number(0), 8);
  EXPECT_EQ(c.read_number(0), 7);  // leading zeros keep the value
  EXPECT_EQ(c.read_number(5), 0);
}

TEST(ConsoleNumber, FailedReadKeepsPresetAndLeavesTextUntilDiscard) {
  FakeHost host("abc\n12abc\n3\n");
  Console c(host);
  EXPECT_EQ(c.read_number(9), 9);
  EXPECT_EQ(c.read_number(9), 9) << "the letters are still there";
  c.discard_input();
  EXPECT_EQ(c.read_number(0), 12);
  EXPECT_EQ(c.read_line(), kept("abc")) << "the rest of the line stays until a discard";
  c.discard_input();
  EXPECT_EQ(c.read_number(0), 3);
}

TEST(ConsoleNumber, LoneSignFails) {
  FakeHost host("-\n+x\n");
  Console c(host);
  EXPECT_EQ(c.read_number(4), 4);
  c.discard_input();
  EXPECT_EQ(c.read_number(4), 4);
}

TEST(ConsoleNumber, SaturatesInsteadOfWrapping) {
  FakeHost host(
      "2147483647\n2147483648\n-2147483648\n-2147483649\n"
      "99999999999999999999999999999999999999999999999999\n4294967297\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), INT_MAX);
  EXPECT_EQ(c.read_number(0), INT_MAX);
  EXPECT_EQ(c.read_number(0), INT_MIN);
  EXPECT_EQ(c.read_number(0), INT_MIN);
  EXPECT_EQ(c.read_number(0), INT_MAX);
  EXPECT_EQ(c.read_number(0), INT_MAX) << "2^32 + 1 must not wrap round to 1";
}

TEST(ConsoleNumberEcho, PrintsTheNumberAsPercentDPrintsItWithoutOverflow) {
  FakeHost host(
      "0123\n12-34\n+81\n-0\n000\n-0042\n\n  09012345678\n"
      "123456789012345678901234567890\n-98765432109876543210\n");
  Console c(host);
  for (const char* expected : {"123", "12", "81", "0", "0", "-42", "9012345678",
                               "123456789012345678901234567890", "-98765432109876543210"}) {
    c.discard_input();
    EXPECT_EQ(echoed(c, host), expected);
  }
}

TEST(ConsoleNumberEcho, ALongNumberComesBackWholeInPiecesOfAtMostSixtyFourKibibytes) {
  const std::string digits = "9" + std::string(300000, '0');
  FakeHost host("-000" + digits + " 5\n");
  host.read_chunk = 1000;
  Console c(host);
  EXPECT_EQ(echoed(c, host), "-" + digits);
  EXPECT_EQ(c.read_number(0), 5) << "the number ends at its last digit";
  EXPECT_GT(host.writes.size(), 4U);
  for (const std::string& piece : host.writes) {
    EXPECT_LE(piece.size(), std::size_t{64} * 1024);
  }
}

TEST(ConsoleNumberEcho, FailedReadPrintsNothingAndLeavesTheText) {
  FakeHost host("abc\n-\n+x\n7\n");
  Console c(host);
  EXPECT_EQ(echoed(c, host), std::nullopt);
  EXPECT_EQ(c.read_word(), kept("abc"));
  for (int i = 0; i < 2; ++i) {
    c.discard_input();
    EXPECT_EQ(echoed(c, host), std::nullopt) << "a lone sign";
  }
  c.discard_input();
  EXPECT_EQ(echoed(c, host), "7");
  EXPECT_TRUE(ends_run([&] { c.echo_number("="); }));
}

TEST(ConsoleDiscard, DropsOnlyTheRestOfTheCurrentLine) {
  FakeHost host("1 2 3\n4\n5\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), 1);
  c.discard_input();
  EXPECT_EQ(c.read_number(0), 4) << "lines typed ahead are kept";
  c.discard_input();
  c.discard_input();  // nothing taken since: nothing more is lost
  EXPECT_EQ(c.read_number(0), 5);
}

TEST(ConsoleLine, ReadsWholeLinesOfAnyLength) {
  const std::string long_line(200000, 'x');
  FakeHost host("first\r\n\n" + long_line + "\nlast");
  host.read_chunk = 1000;
  Console c(host);
  EXPECT_EQ(c.read_line(), kept("first")) << "CR LF ends at the LF without the CR";
  EXPECT_EQ(c.read_line(), kept(""));
  EXPECT_EQ(c.read_line(), kept(long_line));
  EXPECT_EQ(c.read_line(), kept("last")) << "a last line without a line break still counts";
  EXPECT_TRUE(ends_run([&] { c.read_line(); }));
}

TEST(ConsoleLine, AfterANumberTheRestOfItsLineComesFirst) {
  FakeHost host("1\n8\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), 1);
  EXPECT_EQ(c.read_line(), kept("")) << "as with stdio, the empty rest of the answer's line";
  EXPECT_EQ(c.read_line(), kept("8"));
}

TEST(ConsoleLine, LoneCarriageReturnStaysInTheLineHoweverTheInputIsSplit) {
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{1} << 20}) {
    FakeHost host("a\rb\r\nexit\r\n\r");
    host.read_chunk = chunk;
    Console c(host);
    EXPECT_EQ(c.read_line(), kept("a\rb")) << chunk;
    EXPECT_TRUE(c.read_line().is("exit")) << chunk;
    EXPECT_EQ(c.read_line(), kept("\r")) << chunk;
  }
}

TEST(ConsoleLine, KeepsTheFirstBytesAndTheWholeLength) {
  FakeHost host("exit\nexit!\n" + std::string(100000, '0') + "\n");
  host.read_chunk = 1000;
  Console c(host);
  EXPECT_TRUE(c.read_line().is("exit"));
  const Answer longer = c.read_line();
  EXPECT_FALSE(longer.is("exit"));
  EXPECT_EQ(longer.first(), 'e');
  const Answer zeros = c.read_line();
  EXPECT_EQ(zeros.size, 100000U);
  EXPECT_FALSE(zeros.is("0"));
}

TEST(ConsoleWord, ReadsOneWordAcrossLines) {
  FakeHost host("\n\n  a b\n  longword\n");
  Console c(host);
  EXPECT_EQ(c.read_word(), kept("a"));
  EXPECT_EQ(c.read_word(), kept("b"));
  c.discard_input();
  EXPECT_EQ(c.read_word(), kept("longword"));
}

TEST(ConsoleKey, BypassesTheLineBuffer) {
  FakeHost host("12abc\nxy\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), 12);
  c.discard_input();
  EXPECT_EQ(c.wait_key(), 'x') << "the rest of the answer's line is never the key";
  EXPECT_EQ(c.wait_key(), 'y');
  EXPECT_EQ(c.wait_key(), '\n') << "a line break counts as a key";
  EXPECT_TRUE(ends_run([&] { c.wait_key(); }));
}

TEST(ConsoleKey, ComesAfterTheLineBeingRead) {
  FakeHost host("12abc\nxy\n");
  Console c(host);
  EXPECT_EQ(c.read_number(0), 12);
  EXPECT_EQ(c.wait_key(), 'x') << "the rest of the answer's line is dropped, not the key";
  EXPECT_EQ(c.read_line(), kept("y"));
}

TEST(ConsoleKey, OnATerminalComesFromTheKeyboard) {
  FakeHost host("k");
  host.terminal = true;
  Console c(host);
  EXPECT_EQ(c.wait_key(), 'k');
  EXPECT_TRUE(ends_run([&] { c.wait_key(); }));
}

TEST(ConsoleKey, KeyHitConsumesNothing) {
  FakeHost host("7\n");
  host.input_arrives_ms = host.now_ms + 300;
  Console c(host);
  EXPECT_FALSE(c.key_hit(100));
  EXPECT_TRUE(c.key_hit(1000));
  EXPECT_EQ(host.now_ms, host.input_arrives_ms) << "the wait ends when the input comes";
  EXPECT_EQ(c.read_number(0), 7);
  EXPECT_TRUE(c.key_hit()) << "the end of input counts as waiting input";
}

TEST(ConsoleOutput, WritesEachScreenOnceBeforeWaiting) {
  FakeHost host("1\n");
  Console c(host);
  c.clear_screen();
  c.print("screen ");
  c.print_number(-42);
  c.print('!');
  EXPECT_TRUE(host.writes.empty()) << "nothing is written before the program waits";
  c.read_number(0);
  ASSERT_EQ(host.writes.size(), 1U);
  EXPECT_EQ(host.writes[0], std::string(testing::kClear) + "screen -42!");
  c.flush();
  EXPECT_EQ(host.writes.size(), 1U) << "an empty frame is not written";
}

TEST(ConsoleOutput, EndingTheRunWritesWhatIsLeft) {
  FakeHost host;
  Console c(host);
  c.print("bye");
  try {
    c.end_run(3);
    FAIL() << "end_run returned";
  } catch (const EndOfRun& end) {
    EXPECT_EQ(end.status, 3);
  }
  EXPECT_EQ(host.output, "bye");
}

}  // namespace
}  // namespace tavro
