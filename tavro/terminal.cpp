#include "terminal.hpp"

#include <algorithm>

#include "char_width.hpp"
#include "line_editor.hpp"
#include "terminal_codes.hpp"

namespace tavro {

std::size_t Terminal::width() {
  constexpr std::size_t kDefaultWidth = 80;  // when the terminal tells none
  const std::size_t now = port_.width();
  return now == 0 ? kDefaultWidth : now;
}

void Terminal::note(std::string_view bytes) {
  if (const std::size_t clear = bytes.rfind(codes::kClear); clear != std::string_view::npos) {
    shown_.clear();
    bytes.remove_prefix(clear + codes::kClear.size());
  }
  shown_.append(bytes);
  if (shown_.size() <= kKept) {
    return;
  }
  // The record starts after a byte below 0x40 (a blank, a digit, a line break) when one comes
  // soon: it ends a character in UTF-8 and code page 932 alike, so no half character is drawn.
  constexpr std::size_t kLookAhead = 256;
  const std::size_t first = shown_.size() - kKept;
  const std::size_t look_end = first + kLookAhead;  // the record is longer than that
  std::size_t cut = first;
  while (cut < look_end && static_cast<unsigned char>(shown_[cut]) >= 0x40) {
    ++cut;
  }
  if (cut < look_end) {
    ++cut;
  } else {
    cut = first;  // none soon: at least not inside a UTF-8 sequence
    for (int i = 0; i < 3 && is_utf8_continuation(static_cast<unsigned char>(shown_[cut])); ++i) {
      ++cut;
    }
  }
  shown_.erase(0, cut);
}

void Terminal::echo(std::string_view bytes) {
  if (drawn_width_ == 0) {
    drawn_width_ = width();
  }
  note(bytes);
  unwritten_.append(bytes);
}

// The terminal is taken first (TerminalPort::take_terminal): a program that comes back from a
// stop or from the background draws the whole screen, which holds what was not yet written.
bool Terminal::flush() {
  if (port_.take_terminal() && drawn_width_ != 0) {
    redraw();
    return true;
  }
  const bool written = unwritten_.empty() || port_.write(unwritten_);
  unwritten_.clear();
  return written;
}

void Terminal::redraw() {
  drawn_width_ = width();
  unwritten_.clear();
  (void)port_.write(std::string(codes::kClear) + shown_);  // one piece, as a frame is
}

void Terminal::rewrite_tail(std::size_t old_size, std::string_view text) {
  (void)flush();
  const std::size_t now = width();
  // The line being edited starts after the last line break, or after a clear's cursor home.
  std::string_view line(shown_);
  if (const std::size_t line_break = line.find_last_of('\n'); line_break != std::string::npos) {
    line.remove_prefix(line_break + 1);
  }
  if (const std::size_t home = line.rfind(codes::kHome); home != std::string_view::npos) {
    line.remove_prefix(home + codes::kHome.size());
  }
  old_size = std::min(old_size, line.size());
  const Cursor end = cursor_after(line, now, ambiguous_wide_);
  Cursor start = cursor_after(line.substr(0, line.size() - old_size), now, ambiguous_wide_);
  shown_.resize(shown_.size() - old_size);
  shown_.append(text);
  if (now != drawn_width_) {
    redraw();  // the window changed: the rows on the screen are not the rows placed here
    return;
  }
  if (start.column >= now && end.row > start.row) {
    start = {start.row + 1, 0};  // the line began on the row after a prompt that filled its own
  }
  unwritten_ = codes::kCarriageReturn + codes::cursor_up(end.row - std::min(end.row, start.row)) +
               codes::cursor_forward(std::min(start.column, now - 1)) +
               std::string(codes::kEraseBelow) + std::string(text);
  (void)flush();  // an echo that cannot be shown is lost; the line itself is not
}

std::size_t Terminal::read(char* buffer, std::size_t size, int timeout_ms) {
  for (;;) {
    // Everything shown before the program waits; the second time for a continue that came
    // during the write, which draws the screen now.
    (void)flush();
    (void)flush();
    const TerminalPort::Wait ready = port_.wait(timeout_ms);
    const std::size_t got = ready == TerminalPort::Wait::kEnd     ? TerminalPort::kEnded
                            : ready == TerminalPort::Wait::kReady ? port_.read(buffer, size)
                                                                  : 0;
    if (got != 0 || timeout_ms >= 0) {
      return got;
    }
  }
}

namespace {

class TerminalHost final : public Host {
 public:
  TerminalHost(std::unique_ptr<TerminalPort> port, const EditingKeys& keys, bool ambiguous_wide)
      : port_(std::move(port)), terminal_(*port_, ambiguous_wide), editor_(terminal_, keys) {}

  void write(std::string_view bytes) override {
    const bool written =
        port_->screens_on_terminal() ? terminal_.write(bytes) : port_->write_screen(bytes);
    if (!written) {
      throw EndOfRun{1};  // nobody reads the screens any more
    }
  }
  void clear_screen(std::string& frame) override { frame.append(codes::kClear); }
  std::size_t read(char* buffer, std::size_t size) override { return editor_.read(buffer, size); }
  [[nodiscard]] bool is_terminal() const override { return true; }
  int read_key() override {
    port_->key_wait(true);
    const int key = editor_.read_key();
    port_->key_wait(false);
    return key;
  }
  // The editor takes the bytes in and acts on the job keys and Ctrl+L, which are no key
  // press; it may end the wait early, and the caller then looks at its clock again.
  bool wait_for_input(int timeout_ms) override {
    return editor_.has_pending() || editor_.key_waiting(timeout_ms);
  }

 private:
  std::unique_ptr<TerminalPort> port_;
  Terminal terminal_;
  LineEditor editor_;
};

}  // namespace

std::unique_ptr<Host> make_terminal_host(std::unique_ptr<TerminalPort> port,
                                         const EditingKeys& keys, bool ambiguous_wide) {
  return std::make_unique<TerminalHost>(std::move(port), keys, ambiguous_wide);
}

}  // namespace tavro
