// The program's own line editing at a terminal, which runs without its own line editing, echo
// and signal characters. A finished line is handed over with its line break, exactly as a pipe
// would deliver it, so every input rule of the console stays the same at a terminal; key waits
// take one whole key press from the same bytes. The editor never undoes its echo step by step:
// after every change other than typing at the end the Terminal writes the line again from its
// start, placed for the width now, in its visible form (char_width.hpp).
//
// Wherever it takes typed bytes, the editor acts on the terminal's interrupt, quit and suspend
// characters and on Ctrl+L (draw the screen again); none of them is ever text or a key. A job
// key drops the line typed so far and the keys read after it, which the terminal's next
// reader (the shell) was meant to get, as the terminal's line mode does unless noflsh is set.
#pragma once

#include <cstddef>
#include <string>

#include "terminal.hpp"

namespace tavro {

// The terminal's own editing characters, from its settings as found at start-up; -1 when the
// terminal has the character disabled (or its group: isig, iexten, switched off).
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
  bool flush_on_job_key = true;  // noflsh not set
};

class LineEditor {
 public:
  // Bytes typed so far beyond this many in one line are neither stored nor shown.
  static constexpr std::size_t kMaxLine = std::size_t{64} * 1024;

  LineEditor(Terminal& terminal, const EditingKeys& keys) : terminal_(terminal), keys_(keys) {}

  // One edited line with its line break. At the end of the input: what was typed of a line
  // without a line break, or nothing when the line was empty.
  std::string read_line();
  // The edited lines as a read of standard input brings them: at most `size` bytes of the line
  // being handed out, editing the next one once it is all taken; 0 at the end of the input.
  std::size_t read(char* buffer, std::size_t size);
  // One whole key press, not shown: its first byte, or -1 at the end of the input.
  int read_key();
  // Whether bytes taken from the terminal, or a finished line given out in part, wait unused.
  [[nodiscard]] bool has_pending() const {
    return pos_ < pending_.size() || finished_pos_ < finished_.size();
  }
  // Whether a key press (or the end of the input) is waiting, waiting at most `timeout_ms` for
  // one; consumes nothing but the job keys and Ctrl+L, which it acts on, ending early then.
  bool key_waiting(int timeout_ms);

 private:
  // The next typed byte, waiting at most `timeout_ms` (-1: without limit); kNone when none
  // came in time or a limited wait took a job key or Ctrl+L, which are acted on here and never
  // returned; kEnd at the end of the input.
  int next_byte(int timeout_ms);
  int next_raw_byte(int timeout_ms);  // the same, acting on nothing
  bool act_on_control_key(int c);     // whether `c` was a job key or Ctrl+L, now acted on
  void unread() { --pos_; }           // gives back the byte next_byte has just returned

  std::string end_line(bool with_break);
  void take_line_feed_after_cr();
  void swallow_escape_sequence();
  void take_rest_of_character(int first);

  void add_byte(int c);
  void keep_only(std::size_t bytes);  // the line cut to its first `bytes`, and shown so
  [[nodiscard]] std::size_t last_character_start() const;
  void erase_word();
  void take_literal();

  static constexpr int kNone = -2;
  static constexpr int kEnd = -1;

  Terminal& terminal_;
  EditingKeys keys_;
  std::string pending_;  // taken from the terminal, not yet used
  std::size_t pos_ = 0;
  std::string finished_;  // an edited line, not yet all read
  std::size_t finished_pos_ = 0;
  bool at_end_ = false;
  std::string line_;         // the line being typed
  std::size_t settled_ = 0;  // its bytes that form whole characters, and are shown
  std::string shown_;        // how they show: visible(line_ up to settled_)
};

}  // namespace tavro
