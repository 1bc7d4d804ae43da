// Program A at a terminal: the one model of what the screen shows. Every byte bound for the
// screen passes through the Terminal, screens and the line editor's echo alike, so it alone
// knows what the screen holds (the bytes written since the last clear, at most kKept of them),
// where the cursor is, and how wide the window is now: it reads the width whenever it places
// anything, and draws the whole screen again after a change of width. A POSIX terminal and
// the web page differ only in the byte transport, the TerminalPort.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "console.hpp"

namespace tavro {

// The bytes to and from a terminal, and what a job-control system adds to them.
class TerminalPort {
 public:
  TerminalPort() = default;
  TerminalPort(const TerminalPort&) = delete;
  TerminalPort& operator=(const TerminalPort&) = delete;
  TerminalPort(TerminalPort&&) = delete;
  TerminalPort& operator=(TerminalPort&&) = delete;
  virtual ~TerminalPort() = default;

  enum class Wait { kReady, kTimeout, kEnd };
  // Waits at most `timeout_ms` (-1: without limit) for typed bytes; kTimeout also when a
  // signal ended the wait early, kEnd once the input has ended.
  virtual Wait wait(int timeout_ms) = 0;
  // Takes at most `size` typed bytes after kReady; 0 when there were none after all, kEnded
  // once the input has ended.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // Writes all of `bytes` to the terminal; false when it cannot.
  virtual bool write(std::string_view bytes) = 0;
  // The window's width in columns now; 0 when it tells none.
  virtual std::size_t width() = 0;
  // Before the program writes or waits for keys: in the background it stops until brought to
  // the foreground, then the terminal is put into the program's mode. True when the program
  // was stopped or continued since it last asked: the screen is then drawn again.
  virtual bool take_terminal() { return false; }

  enum class JobKey { kInterrupt, kQuit, kSuspend };
  // The interrupt, quit or suspend character was typed: the terminal gets its own mode back
  // and the program's whole job the signal. Returns when the program goes on.
  virtual void job_key(JobKey key) { (void)key; }

  // The program starts (true) or ends (false) waiting for any one key: a page on a touch
  // screen lets a tap answer it.
  virtual void key_wait(bool on) { (void)on; }
  // Whether the screens go to this terminal (else to a file, write_screen).
  [[nodiscard]] virtual bool screens_on_terminal() const { return true; }
  virtual bool write_screen(std::string_view bytes) { return write(bytes); }

  static constexpr std::size_t kEnded = static_cast<std::size_t>(-1);
};

class Terminal {
 public:
  static constexpr std::size_t kKept = std::size_t{64} * 1024;

  Terminal(TerminalPort& port, bool ambiguous_wide)
      : port_(port), ambiguous_wide_(ambiguous_wide) {}

  [[nodiscard]] TerminalPort& port() { return port_; }
  [[nodiscard]] bool ambiguous_wide() const { return ambiguous_wide_; }

  // Shows `bytes` at once, after any echo; false when the terminal cannot be written.
  bool write(std::string_view bytes) {
    echo(bytes);
    return flush();
  }
  // Notes `bytes` as shown and shows them with the next write, rewrite or flush, or before the
  // next read: a paste costs one write, not one a key.
  void echo(std::string_view bytes);
  // Shows what was echoed; false when the terminal cannot be written.
  bool flush();
  // The last `old_size` bytes shown (the line being edited) become `text`: the cursor goes
  // back to where they started, placed for the width now, and the line is written again.
  void rewrite_tail(std::size_t old_size, std::string_view text);
  // Clears the screen and shows again what it held.
  void redraw();
  // Takes at most `size` typed bytes, waiting at most `timeout_ms` (-1: without limit): how
  // many, 0 when none came in time or a signal ended a limited wait, TerminalPort::kEnded at
  // the end of the input.
  std::size_t read(char* buffer, std::size_t size, int timeout_ms);

  // What the screen shows since the last clear, the last kKept bytes of it.
  [[nodiscard]] const std::string& shown() const { return shown_; }

 private:
  std::size_t width();
  void note(std::string_view bytes);

  TerminalPort& port_;
  bool ambiguous_wide_;
  std::string shown_;
  std::string unwritten_;        // noted as shown, not yet written
  std::size_t drawn_width_ = 0;  // the width the screen was placed for; 0 before any output
};

// The host of a terminal: the Console's reads go through the line editor, its screens through
// the Terminal. `keys` are the terminal's editing characters.
struct EditingKeys;
std::unique_ptr<Host> make_terminal_host(std::unique_ptr<TerminalPort> port,
                                         const EditingKeys& keys, bool ambiguous_wide);

}  // namespace tavro
