// The program's own line editing at a terminal. The terminal runs without its own line
// editing, echo and signal characters for the whole run (console_posix.cpp, and the web
// page's terminal when program A switches its line mode off); this editor takes the typed
// bytes, echoes them, erases, kills and ends lines, and swallows what keys other than
// characters send. A finished line is handed over with its line break, exactly as a pipe would
// deliver it, so every input rule of the console stays the same at a terminal. Key waits take
// one whole key press from the same bytes.
//
// Wherever it takes typed bytes (a line, a key wait, the test for a key), the editor acts on
// the terminal's interrupt, quit and suspend characters and on Ctrl+L (draw the screen again)
// and passes them on to its source; none of them is ever text or a key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "char_width.hpp"

namespace tavro {

// Where the editor's typed bytes come from and its echo goes: a POSIX terminal's file
// descriptors, or the web page's keys and screen. The editor asks nothing else of a terminal.
class KeySource {
 public:
  KeySource() = default;
  KeySource(const KeySource&) = delete;
  KeySource& operator=(const KeySource&) = delete;
  KeySource(KeySource&&) = delete;
  KeySource& operator=(KeySource&&) = delete;
  virtual ~KeySource() = default;

  enum class Wait { kReady, kTimeout, kEnd };
  // Waits at most `timeout_ms` (-1: without limit) for typed bytes. A limited wait may end
  // early (kTimeout), as one that a signal interrupts does; kEnd once the input has ended.
  virtual Wait wait(int timeout_ms) = 0;
  // Takes at most `size` typed bytes after a wait said kReady; 0 when there were none after
  // all (the caller waits again), and kEnded once the input has ended.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // Shows echoed bytes on the terminal; bytes that cannot be shown are lost.
  virtual void echo(std::string_view bytes) = 0;
  // The terminal's width in columns, asked before each erase; 0 when it is not known.
  virtual std::size_t width() { return kDefaultTerminalWidth; }

  enum class JobKey { kInterrupt, kQuit, kSuspend };
  // The terminal's interrupt, quit or suspend character was typed: the terminal goes back to
  // its own mode and the program's whole job gets the signal, as the terminal would send it.
  // Returns when the program goes on (continued, or the signal ignored). A source without
  // jobs does nothing.
  virtual void job_key(JobKey key) { (void)key; }
  // Ctrl+L: draws the screen again as it stands, with what has been typed of the line and the
  // cursor after it. A source that keeps no record of its screen does nothing.
  virtual void redraw() {}

  static constexpr std::size_t kEnded = static_cast<std::size_t>(-1);
};

// The terminal's own editing characters, from its settings as found at start-up; -1 when the
// terminal has the character disabled.
struct EditingKeys {
  int erase = -1;
  int kill = -1;
  int end_of_file = -1;
  int word_erase = -1;
  int reprint = -1;
  int literal_next = -1;
  int interrupt = -1;
  int quit = -1;
  int suspend = -1;
};

// How the terminal shows what the editor echoes.
struct EchoSettings {
  // East Asian ambiguous characters take two columns (a Japanese console) instead of one (a
  // UTF-8 terminal in a Western locale).
  bool ambiguous_wide = false;
};

class LineEditor {
 public:
  // Bytes typed so far beyond this many in one line are neither stored nor echoed.
  static constexpr std::size_t kMaxLine = std::size_t{64} * 1024;

  LineEditor(KeySource& source, EditingKeys keys, EchoSettings settings = {})
      : source_(source), keys_(keys), settings_(settings) {}

  // One edited line with its line break. At the end of the input: what was typed of a line
  // without a line break, or nothing when the line was empty.
  std::string read_line();
  // The edited lines as a read of standard input brings them: at most `size` bytes of the line
  // being handed out, editing the next one once it is all taken; 0 at the end of the input.
  std::size_t read(char* buffer, std::size_t size);
  // One whole key press, not echoed: its first byte, or -1 at the end of the input.
  int read_key();
  // Whether bytes have been taken from the terminal, or a finished line given out only in
  // part, and not yet used.
  [[nodiscard]] bool has_pending() const {
    return pos_ < pending_.size() || finished_pos_ < finished_.size();
  }
  // The line being typed, or the next one, begins at `column` of the cursor's row: where the
  // host's prompt left the cursor, or 0 once the line is shown again on a row of its own. From
  // 0 to the terminal's width, the width itself when the prompt filled its row. After a line
  // the editor counts from 0, where its line break left the cursor.
  void line_starts_at(std::size_t column);
  // The host has shown `bytes` of its screens on the terminal the editor echoes to: the next
  // line read through read() starts where they left the cursor.
  void screen_shown(std::string_view bytes);
  // Whether a key press (or the end of the input) is waiting, waiting at most `timeout_ms` for
  // one; consumes nothing but the job keys and Ctrl+L, which it acts on. May end early when
  // one of those came.
  bool key_waiting(int timeout_ms);

 private:
  // The next typed byte, waiting at most `timeout_ms` (-1: without limit); kNone when none
  // came in time, kEnd at the end of the input. The job keys and Ctrl+L are acted on here
  // and never returned; a limited wait then ends early with kNone.
  int next_byte(int timeout_ms);
  int next_raw_byte(int timeout_ms);  // the same, acting on nothing
  bool act_on_control_key(int c);     // whether `c` was a job key or Ctrl+L, now acted on
  void unread() { --pos_; }           // gives back the byte next_byte has just returned
  bool fill(int timeout_ms);
  void echo(std::string_view bytes);
  void flush_echo();  // writes what has been echoed so far

  void take_line_feed_after_cr();
  void swallow_escape_sequence();
  void take_rest_of_character(int first);
  // Takes back the last `count` characters of `line`, each with the combining marks after it,
  // from the line and from the screen.
  void erase_characters(std::string& line, std::size_t count);

  // Where a character of the line shows, as the terminal placed its echo. A combining mark
  // belongs to the character before it.
  struct Placed {
    std::size_t start;    // its first byte in the line
    std::size_t row;      // rows below the line's first
    std::size_t column;   // its first column
    std::size_t columns;  // with its marks
  };
  struct Position {
    std::size_t row;
    std::size_t column;  // the row's width when it is full, the wrap deferred
  };
  void place_line(std::string_view line);
  [[nodiscard]] Position line_end() const;
  void take_back(const Placed& erased, std::string_view line);
  void move_right(std::size_t columns);

  void erase_word(std::string& line);
  void take_literal(std::string& line);
  void reprint(const std::string& line);
  void add_character(std::string& line, int c);
  void echo_shown(int c);  // one byte of the line as it shows
  static constexpr int kNone = -2;
  static constexpr int kEnd = -1;

  KeySource& source_;
  EditingKeys keys_;
  EchoSettings settings_;
  std::string pending_;  // taken from the terminal, not yet used
  std::size_t pos_ = 0;
  std::string echo_;      // echoed, not yet written
  std::string finished_;  // an edited line, not yet all read
  std::size_t finished_pos_ = 0;
  bool at_end_ = false;
  // The line's characters as they show, up to byte placed_bytes_ of the line; brought up to
  // date before an erase, for the terminal width of width_ columns.
  std::vector<Placed> placed_;
  std::size_t placed_bytes_ = 0;
  std::size_t start_column_ = 0;
  std::size_t width_ = kDefaultTerminalWidth;
  std::size_t screen_column_ = 0;  // where the host's screens left the cursor
};

}  // namespace tavro
