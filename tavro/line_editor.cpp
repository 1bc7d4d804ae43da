#include "line_editor.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "char_width.hpp"

namespace tavro {

namespace {

// The bytes of one key press arrive together; the next one typed by a person comes far later.
constexpr int kKeyGapMs = 30;
// A line break sent right behind a CR is the same Enter (terminals that do not translate CR).
constexpr int kCrLfGapMs = 10;
constexpr int kBackspace = 0x08;
constexpr int kDelete = 0x7F;
constexpr int kEscape = 0x1B;
constexpr int kRedraw = 0x0C;  // Ctrl+L, as full-screen terminal programs take it
constexpr std::size_t kChunk = 4096;

bool is_blank_byte(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string LineEditor::read_line() {
  for (;;) {
    const int c = next_byte(-1);
    if (c == kEnd) {
      return end_line(false);
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r') {
        take_line_feed_after_cr();
      }
      return end_line(true);
    }
    if (c == keys_.literal_next) {
      take_literal();
    } else if (c == keys_.erase || c == kBackspace || c == kDelete) {
      keep_only(last_character_start());
    } else if (c == keys_.kill) {
      keep_only(0);
    } else if (c == keys_.word_erase) {
      erase_word();
    } else if (c == keys_.reprint) {
      // The line shown again on a row of its own, after the key as the terminal echoes it.
      terminal_.echo(visible(std::string(1, static_cast<char>(c))) + "\n" + shown_);
    } else if (c == keys_.end_of_file) {
      if (line_.empty()) {
        return end_line(false);  // the end of the input, as in the terminal's own line mode
      }
    } else if (c == kEscape) {
      swallow_escape_sequence();
    } else if (c >= 0x20 || c == '\t') {
      add_byte(c);
    }
    // Other control bytes change nothing.
  }
}

// Hands the line over and starts the next; with a line break, what was not yet shown of the
// line and the break show first.
std::string LineEditor::end_line(bool with_break) {
  std::string line = std::exchange(line_, {});
  if (with_break) {
    terminal_.echo(visible(std::string_view(line).substr(settled_)) + "\n");
    line.push_back('\n');
  }
  (void)terminal_.flush();
  settled_ = 0;
  shown_.clear();
  return line;
}

// Bytes beyond the longest line are neither stored nor shown. A multi-byte character shows
// once whole; a byte that cannot continue it shows the bytes before as what they are.
void LineEditor::add_byte(int c) {
  if (line_.size() >= kMaxLine) {
    return;
  }
  line_.push_back(static_cast<char>(c));
  const std::string_view rest = std::string_view(line_).substr(settled_);
  if (!incomplete_character(rest)) {
    const std::string more = visible(rest);
    settled_ = line_.size();
    shown_ += more;
    terminal_.echo(more);
  }
}

// The byte after the literal-next key is text as it stands, a control byte or one of the
// editing keys too; only a line break is not: it still ends the line.
void LineEditor::take_literal() {
  const int c = next_raw_byte(-1);
  if (c == '\r' || c == '\n') {
    unread();
  } else if (c >= 0) {
    add_byte(c);
  }
}

// Where the line's last character starts, with the combining marks after it: the last
// character that takes columns, or the very first one. Bytes not yet shown go first.
std::size_t LineEditor::last_character_start() const {
  if (settled_ < line_.size()) {
    return settled_;
  }
  std::size_t last = 0;
  for (std::size_t at = 0; at < line_.size();) {
    const Shown c = show(std::string_view(line_).substr(at), terminal_.ambiguous_wide());
    if (c.columns > 0) {
      last = at;
    }
    at += c.length;
  }
  return last;
}

void LineEditor::keep_only(std::size_t bytes) {
  if (bytes >= line_.size()) {
    return;
  }
  line_.resize(bytes);
  settled_ = std::min(settled_, bytes);
  std::string now = visible(std::string_view(line_).substr(0, settled_));
  if (now != shown_) {
    terminal_.rewrite_tail(shown_.size(), now);
    shown_ = std::move(now);
  }
}

// Blanks first, then the word before them, as the terminal's word erase does.
void LineEditor::erase_word() {
  std::size_t keep = line_.size();
  while (keep > 0 && is_blank_byte(line_[keep - 1])) {
    --keep;
  }
  while (keep > 0 && !is_blank_byte(line_[keep - 1])) {
    --keep;  // a blank byte is never part of a multi-byte character, in either encoding
  }
  keep_only(keep);
}

std::size_t LineEditor::read(char* buffer, std::size_t size) {
  if (finished_pos_ == finished_.size()) {
    finished_ = read_line();
    finished_pos_ = 0;
  }
  const std::size_t n = std::min(size, finished_.size() - finished_pos_);
  finished_.copy(buffer, n, finished_pos_);
  finished_pos_ += n;
  return n;
}

int LineEditor::read_key() {
  const int first = next_byte(-1);  // a byte, or kEnd: an unlimited wait ends for nothing else
  if (first == kEscape) {
    swallow_escape_sequence();
  } else if (first == '\r') {
    take_line_feed_after_cr();
  } else if (first >= 0x80) {
    take_rest_of_character(first);
  }
  return first == kEnd ? -1 : first;
}

void LineEditor::take_line_feed_after_cr() {
  if (const int c = next_byte(kCrLfGapMs); c >= 0 && c != '\n') {
    unread();
  }
}

// Arrow, function and editing keys send ESC [ parameters final-byte, or ESC O final-byte; an
// Alt+key sends ESC and the key. A lone ESC is followed by nothing within the key's time.
void LineEditor::swallow_escape_sequence() {
  const int introducer = next_byte(kKeyGapMs);
  if (introducer == '[') {
    int c = next_byte(kKeyGapMs);
    if (c == '[') {
      (void)next_byte(kKeyGapMs);  // the Linux console's function keys: ESC [ [ letter
      return;
    }
    while (c >= 0x20 && c <= 0x3F) {  // parameter and intermediate bytes
      c = next_byte(kKeyGapMs);
    }
    if (c >= 0 && (c < 0x40 || c > 0x7E)) {
      unread();  // no final byte: a key of its own
    }
  } else if (introducer == 'O') {
    (void)next_byte(kKeyGapMs);
  } else if (introducer >= 0x80) {
    take_rest_of_character(introducer);
  }
}

// The rest of a multi-byte character typed as one key, in whichever encoding the terminal
// sends: a UTF-8 sequence, or a code page 932 lead byte with its trail byte.
void LineEditor::take_rest_of_character(int first) {
  const auto lead = static_cast<unsigned>(first);
  const std::size_t length = utf8_length(lead);
  for (std::size_t taken = 1; taken < std::max<std::size_t>(length, 2); ++taken) {
    const int c = next_byte(kKeyGapMs);
    if (c < 0) {
      return;
    }
    if (length > 1 && is_utf8_continuation(static_cast<unsigned>(c))) {
      continue;
    }
    if (taken > 1 || !is_cp932_lead(lead) || !is_cp932_trail(static_cast<unsigned>(c))) {
      unread();
    }
    return;
  }
}

int LineEditor::next_byte(int timeout_ms) {
  for (;;) {
    const int c = next_raw_byte(timeout_ms);
    if (c < 0 || !act_on_control_key(c)) {
      return c;
    }
    if (timeout_ms >= 0) {
      return kNone;  // the caller looks at its clock again
    }
  }
}

int LineEditor::next_raw_byte(int timeout_ms) {
  if (pos_ == pending_.size()) {
    if (at_end_) {
      return kEnd;
    }
    pending_.resize(kChunk);
    const std::size_t got = terminal_.read(pending_.data(), pending_.size(), timeout_ms);
    at_end_ = got == TerminalPort::kEnded;  // the terminal has hung up
    pending_.resize(at_end_ ? 0 : got);
    pos_ = 0;
    if (pending_.empty()) {
      return at_end_ ? kEnd : kNone;
    }
  }
  return static_cast<unsigned char>(pending_[pos_++]);
}

bool LineEditor::act_on_control_key(int c) {
  if (c == kRedraw) {
    terminal_.redraw();
    return true;
  }
  if (c != keys_.interrupt && c != keys_.quit && c != keys_.suspend) {
    return false;
  }
  pos_ = pending_.size();  // keys typed after it are the next reader's
  if (keys_.flush_on_job_key) {
    keep_only(0);
  }
  (void)terminal_.flush();  // the screen as it stands, before the program stops
  terminal_.port().job_key(c == keys_.interrupt ? TerminalPort::JobKey::kInterrupt
                           : c == keys_.quit    ? TerminalPort::JobKey::kQuit
                                                : TerminalPort::JobKey::kSuspend);
  return true;
}

bool LineEditor::key_waiting(int timeout_ms) {
  const int c = next_byte(timeout_ms);
  if (c >= 0) {
    unread();
  }
  return c != kNone;
}

}  // namespace tavro
