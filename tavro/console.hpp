// The console seam of tavro. Screen routines talk only to a Console: they print into the
// frame being assembled, clear the screen, read numbers, words, lines and single keys, and
// take the time, random numbers and the length of a pause from it. The Console owns the frame
// and the line buffer; what differs between platforms (writing, reading, terminal modes,
// clearing) sits behind the small Host interface, and the clock, the generator and the pause
// behind Clockwork, which tests replace.
//
// Every control sequence and terminal mode in use is listed in terminal_codes.hpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "terminal_codes.hpp"

namespace tavro {

inline constexpr std::string_view kClearSequence = codes::kClear;

// Thrown to end the run: by menu entry 3, and by any read once standard input has ended.
// The process entry turns it into the exit status; a test catches it.
struct EndOfRun {
  int status;
};

// What the platform provides. One real implementation per platform; tests script their own.
class Host {
 public:
  Host() = default;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  Host(Host&&) = delete;
  Host& operator=(Host&&) = delete;
  virtual ~Host() = default;

  // Writes all of `bytes` to standard output.
  virtual void write(std::string_view bytes) = 0;
  // Clears the screen and puts the output at the top left. `frame` is the output not yet
  // written: a host may add a control sequence to it, or write it out first and then clear.
  virtual void clear_screen(std::string& frame) = 0;
  // Reads at most `size` bytes of standard input into `buffer`, blocking until there is at
  // least one; 0 means the input has ended. At a terminal these are whole lines, as the
  // person finished them, with their line break: the same bytes a pipe would bring.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // Whether standard input is a terminal (a person typing) rather than a pipe or a file.
  [[nodiscard]] virtual bool is_terminal() const = 0;
  // Terminal only: one whole key press (an escape sequence or a multi-byte character is one),
  // without echo and without waiting for Enter; its first byte, or -1 at the end.
  virtual int read_key() = 0;
  // Waits up to `timeout_ms` for a key press (terminal), or for input or its end (otherwise),
  // and tells whether one came. Nothing is consumed.
  virtual bool wait_for_input(int timeout_ms) = 0;
};

// The platform's real host for the process's standard input and output.
std::unique_ptr<Host> make_platform_host();

// The clock, the random generator and the counted pauses, the same on every platform. This
// base is the real one; a test derives its own to fix them.
class Clockwork {
 public:
  Clockwork() = default;
  Clockwork(const Clockwork&) = delete;
  Clockwork& operator=(const Clockwork&) = delete;
  Clockwork(Clockwork&&) = delete;
  Clockwork& operator=(Clockwork&&) = delete;
  virtual ~Clockwork() = default;

  // The calendar clock, in milliseconds since the epoch.
  virtual std::int64_t clock_ms();
  // The standard pseudo-random generator.
  virtual void seed_random(unsigned seed);
  virtual int next_random();
  // How many steps a counted pause of `count` steps really counts; only tests shorten it.
  virtual unsigned pause_steps(unsigned count) { return count; }
};

// What the rules look at in a word or a line of any length: its first bytes and its length.
struct Answer {
  static constexpr std::size_t kKept = 8;
  std::string head;      // the first kKept bytes at most
  std::size_t size = 0;  // the whole length

  void add(char byte) {
    if (head.size() < kKept) {
      head.push_back(byte);
    }
    ++size;
  }
  // The first byte; as in C, the terminating NUL of an empty one.
  [[nodiscard]] char first() const { return head.empty() ? '\0' : head.front(); }
  // Whether it is exactly `text`, which has at most kKept bytes.
  [[nodiscard]] bool is(std::string_view text) const { return size == text.size() && head == text; }
  bool operator==(const Answer&) const = default;
};

// The one real Clockwork.
Clockwork& real_clockwork();

class Console {
 public:
  explicit Console(Host& host, Clockwork& clockwork = real_clockwork())
      : host_(host), clockwork_(clockwork) {}

  // The clock, the generator and the pause length.
  std::int64_t clock_ms() { return clockwork_.clock_ms(); }
  void seed_random(unsigned seed) { clockwork_.seed_random(seed); }
  int next_random() { return clockwork_.next_random(); }
  unsigned pause_steps(unsigned count) { return clockwork_.pause_steps(count); }

  // Output: assembled in memory, written in one piece by flush().
  void print(std::string_view bytes) { frame_.append(bytes); }
  void print(char byte) { frame_.push_back(byte); }
  void print_number(long long value);
  void clear_screen() { host_.clear_screen(frame_); }
  void flush();

  // Input. Numbers, words and lines come from the line buffer: the rest of the line last
  // taken from standard input, which is taken when the buffer is used up. The line is read
  // as a stream and only what the rules look at is kept, so that a line of any length costs
  // no more memory than a short one. Every read flushes the output first, and ends the run
  // (EndOfRun{0}) when the input has ended before it found what it reads.

  // Empties the line buffer: the rest of the line last taken, through its line break. Lines
  // not yet taken are kept.
  void discard_input();
  // Like scanf "%d": skips blanks and line breaks, reads an optional sign and digits. When no
  // digit follows, `preset` is returned and the text stays in the line buffer. A value beyond
  // the range of int saturates at its limit.
  int read_number(int preset);
  // Reads like read_number, but prints `before` and then the number as "%d" prints it,
  // however many digits it has: without leading zeros or a plus sign, and "0" for minus
  // zero. Prints nothing and returns false when no digit follows. The digits go out as they
  // are read, so a long number is written in several pieces.
  bool echo_number(std::string_view before);
  // Like scanf "%s": skips blanks and line breaks, then reads up to the next blank or break.
  Answer read_word();
  // The rest of the current line, or the next whole line, without its line break.
  Answer read_line();
  // One key press, bypassing the line buffer: the key comes after the line being read, whose
  // rest is dropped as every answer after a key wait drops it. A scripted player answers
  // with one byte.
  int wait_key();
  // Whether a key press (or piped input, or its end) is waiting beyond the line buffer,
  // waiting at most `timeout_ms` for one. Consumes nothing.
  bool key_hit(int timeout_ms = 0);

  // Ends the run with `status`, writing what is still unwritten.
  [[noreturn]] void end_run(int status);

 private:
  // The next byte of the line buffer, taking a new line when it is used up; -1 at the end of
  // input. take_byte() consumes it.
  int peek_byte();
  void take_byte();
  bool have(std::size_t count);  // whether `count` unread bytes are there, reading for them
  bool fill_raw();  // reads more of standard input, writing the output first; false at its end
  [[noreturn]] void input_ended();
  void skip_blanks();
  // Skips blanks and line breaks and takes an optional sign; tells whether a digit follows.
  bool start_number(bool& negative);

  Host& host_;
  Clockwork& clockwork_;
  std::string frame_;
  std::string raw_;  // read from standard input and not yet consumed
  std::size_t raw_pos_ = 0;
  // Whether the line buffer holds a line: its rest is then raw_ from raw_pos_ through the
  // next line break, part of it perhaps not yet read.
  bool in_line_ = false;
  bool at_end_ = false;
};

// The console of the running program; every screen routine uses this one.
Console& con();
// Installs `console` as the running program's console (the process entry, or a test).
void use_console(Console* console);

}  // namespace tavro
