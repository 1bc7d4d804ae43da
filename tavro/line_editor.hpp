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

class LineEditor {
 public:
  // Bytes typed so far beyond this many in one line are neither stored nor echoed.
  static constexpr std::size_t kMaxLine = std::size_t{64} * 1024;

  LineEditor(KeySource& source, EditingKeys keys) : source_(source), keys_(keys) {}

  // One edited line with its line break. At the end of the input: what was typed of a line
  // without a line break, or nothing when the line was empty.
  std::string read_line();
  // One whole key press, not echoed: its first byte, or -1 at the end of the input.
  int read_key();
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
  void erase_characters(std::string& line, std::size_t count);
  void erase_word(std::string& line);
  void take_literal(std::string& line);
  void reprint(const std::string& line);
  void add_character(std::string& line, int c);
  void echo_shown(int c);  // one byte of the line as it shows
  static constexpr int kNone = -2;
  static constexpr int kEnd = -1;

  KeySource& source_;
  EditingKeys keys_;
  std::string pending_;  // taken from the terminal, not yet used
  std::size_t pos_ = 0;
  std::string echo_;  // echoed, not yet written
  bool at_end_ = false;
};

}  // namespace tavro
