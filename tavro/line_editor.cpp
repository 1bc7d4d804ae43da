#include "line_editor.hpp"

#include <algorithm>
#include <array>
#include <string>

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
// Erasing one column: back, overwrite with a blank, back again.
constexpr std::string_view kEraseColumn = "\b \b";
constexpr std::string_view kCursorUp = "\x1b[A";
constexpr std::string_view kEraseToEndOfRow = "\x1b[K";

// A control byte in a line (only literal-next puts one there) shows in caret notation, ^X
// for 0x18 and ^? for DEL: two columns, both taken back when it is erased. A tab shows as one
// blank, as it does when typed.
bool is_shown_in_carets(unsigned c) {
  return (c < 0x20 && c != '\t') || c == kDelete;
}

bool is_blank_byte(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string LineEditor::read_line() {
  std::string line;
  placed_.clear();
  placed_bytes_ = 0;
  for (;;) {
    const int c = next_byte(-1);
    if (c == kEnd) {
      flush_echo();
      return line;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r') {
        take_line_feed_after_cr();
      }
      line.push_back('\n');
      echo("\n");
      flush_echo();
      line_starts_at(0);
      return line;
    }
    if (c == keys_.literal_next) {
      take_literal(line);
    } else if (c == keys_.erase || c == kBackspace || c == kDelete) {
      erase_characters(line, 1);
    } else if (c == keys_.kill) {
      erase_characters(line, line.size());
    } else if (c == keys_.word_erase) {
      erase_word(line);
    } else if (c == keys_.reprint) {
      reprint(line);
    } else if (c == keys_.end_of_file) {
      if (line.empty()) {
        flush_echo();
        return line;  // the end of the input, as in the terminal's own line mode
      }
    } else if (c == kEscape) {
      swallow_escape_sequence();
    } else if (c >= 0x20 || c == '\t') {
      add_character(line, c);
    }
    // Other control bytes change nothing.
  }
}

// Bytes beyond the longest line are neither stored nor shown.
void LineEditor::add_character(std::string& line, int c) {
  if (line.size() < kMaxLine) {
    line.push_back(static_cast<char>(c));
    echo_shown(c);
  }
}

void LineEditor::echo_shown(int c) {
  const auto byte = static_cast<unsigned>(c);
  if (c == '\t') {
    echo(" ");  // a tab would move the cursor by a width that erasing cannot know
  } else if (is_shown_in_carets(byte)) {
    echo_.push_back('^');
    echo_.push_back(static_cast<char>(byte ^ 0x40U));
  } else {
    echo_.push_back(static_cast<char>(c));
  }
}

// The byte after the literal-next key is text as it stands, a control byte or one of the
// editing keys too; only a line break is not: it still ends the line.
void LineEditor::take_literal(std::string& line) {
  const int c = next_raw_byte(-1);
  if (c == '\r' || c == '\n') {
    unread();
  } else if (c >= 0) {
    add_character(line, c);
  }
}

// Blanks first, then the word before them, as the terminal's word erase does.
void LineEditor::erase_word(std::string& line) {
  std::size_t keep = line.size();
  while (keep > 0 && is_blank_byte(line[keep - 1])) {
    --keep;
  }
  while (keep > 0 && !is_blank_byte(line[keep - 1])) {
    --keep;  // a blank byte is never part of a multi-byte character, in either encoding
  }
  while (line.size() > keep) {
    erase_characters(line, 1);
  }
}

// The line shown again on a row of its own, after the key as the terminal echoes it; from
// here on the line starts at the first column of that row.
void LineEditor::reprint(const std::string& line) {
  echo_shown(keys_.reprint);
  echo("\n");
  for (const char c : line) {
    echo_shown(static_cast<unsigned char>(c));
  }
  line_starts_at(0);
}

std::size_t LineEditor::read(char* buffer, std::size_t size) {
  if (finished_pos_ == finished_.size()) {
    line_starts_at(screen_column_);
    finished_ = read_line();
    finished_pos_ = 0;
    screen_column_ = 0;  // the line's break, or the end of the run
  }
  const std::size_t n = std::min(size, finished_.size() - finished_pos_);
  finished_.copy(buffer, n, finished_pos_);
  finished_pos_ += n;
  return n;
}

int LineEditor::read_key() {
  int first = kNone;
  while (first == kNone) {
    first = next_byte(-1);
  }
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
  if (introducer < 0) {
    return;
  }
  if (introducer == '[') {
    int c = next_byte(kKeyGapMs);
    if (c == '[') {
      (void)next_byte(kKeyGapMs);  // the Linux console's function keys: ESC [ [ letter
      return;
    }
    for (; c >= 0; c = next_byte(kKeyGapMs)) {
      if (c >= 0x40 && c <= 0x7E) {
        return;  // the final byte
      }
      if (c < 0x20 || c > 0x3F) {
        unread();  // not part of a sequence: a key of its own
        return;
      }
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
  int c = next_byte(kKeyGapMs);
  if (c < 0) {
    return;
  }
  const std::size_t length = utf8_length(lead);
  if (length > 1 && is_utf8_continuation(static_cast<unsigned>(c))) {
    for (std::size_t taken = 2; taken < length; ++taken) {
      c = next_byte(kKeyGapMs);
      if (c < 0) {
        return;
      }
      if (!is_utf8_continuation(static_cast<unsigned>(c))) {
        unread();
        return;
      }
    }
    return;
  }
  if (!is_cp932_lead(lead) || !is_cp932_trail(static_cast<unsigned>(c))) {
    unread();
  }
}

void LineEditor::screen_shown(std::string_view bytes) {
  screen_column_ = column_after(bytes, screen_column_, source_.width(), settings_.ambiguous_wide);
}

void LineEditor::line_starts_at(std::size_t column) {
  start_column_ = column;
  placed_.clear();
  placed_bytes_ = 0;
}

void LineEditor::erase_characters(std::string& line, std::size_t count) {
  place_line(line);
  for (; count > 0 && !placed_.empty(); --count) {
    const Placed erased = placed_.back();
    placed_.pop_back();
    take_back(erased, line);
    line.resize(erased.start);
  }
  placed_bytes_ = line.size();
}

// Places the characters typed since the last erase as the terminal did when they were echoed:
// each where the one before it ended, or whole at the start of the next row. After a resize,
// the whole line anew, as a terminal that rewraps its rows shows it.
void LineEditor::place_line(std::string_view line) {
  std::size_t width = source_.width();
  if (width == 0) {
    width = kDefaultTerminalWidth;
  }
  if (width != width_ || line.size() < placed_bytes_) {
    width_ = width;
    placed_.clear();
    placed_bytes_ = 0;
  }
  while (placed_bytes_ < line.size()) {
    Character next = first_character(line.substr(placed_bytes_), settings_.ambiguous_wide);
    if (is_shown_in_carets(static_cast<unsigned char>(line[placed_bytes_]))) {
      next.columns = 2;
    }
    if (next.columns > 0 || placed_.empty()) {
      const Position end = line_end();
      const Placement at = place(end.column, next.columns, width_);
      placed_.push_back({placed_bytes_, end.row + (at.next_row ? 1 : 0), at.column, next.columns});
    }
    placed_bytes_ += next.length;
  }
}

LineEditor::Position LineEditor::line_end() const {
  if (placed_.empty()) {
    return {0, std::min(start_column_, width_)};
  }
  const Placed& last = placed_.back();
  return {last.row, last.column + last.columns};
}

// Blanks the columns of the line's last character, which `erased` was, and puts the cursor
// where it stood before that character was echoed. A BS never goes back across a row's start,
// which takes the cursor up a row on some terminals (tmux) and not on others (xterm), nor
// from a filled last column, where the deferred wrap makes terminals differ too.
void LineEditor::take_back(const Placed& erased, std::string_view line) {
  if (erased.columns == 0) {
    return;  // a mark typed first showed on the prompt: nothing of the line's own to blank
  }
  if (erased.column + erased.columns < width_) {
    for (std::size_t i = 0; i < erased.columns; ++i) {
      echo(kEraseColumn);
    }
  } else {
    echo("\r");
    move_right(erased.column);
    echo(kEraseToEndOfRow);
  }
  const Position before = line_end();
  if (before.row == erased.row) {
    return;
  }
  // The character began a new row; the cursor is at that row's start.
  if (before.column < width_) {
    echo(kCursorUp);  // a wide character that did not fit left the columns from here empty
    move_right(before.column);
  } else if (!placed_.empty() && placed_.back().columns > 0) {
    // The character before filled its row. Shown once more, it leaves the cursor at that row's
    // last column with the wrap deferred, exactly as it was.
    const Placed& previous = placed_.back();
    echo(kCursorUp);
    move_right(previous.column);
    for (std::size_t at = previous.start; at < erased.start; ++at) {
      echo_shown(static_cast<unsigned char>(line[at]));
    }
  }
  // Else the prompt filled its row: the cursor stays at the next row's start, where the next
  // character goes all the same.
}

void LineEditor::move_right(std::size_t columns) {
  if (columns > 0) {
    echo("\x1b[" + std::to_string(columns) + "C");
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
  if (pos_ == pending_.size() && !fill(timeout_ms)) {
    return at_end_ ? kEnd : kNone;
  }
  return static_cast<unsigned char>(pending_[pos_++]);
}

bool LineEditor::act_on_control_key(int c) {
  if (c != keys_.interrupt && c != keys_.quit && c != keys_.suspend && c != kRedraw) {
    return false;
  }
  flush_echo();  // the screen as it stands, before the program stops or draws it again
  if (c == kRedraw) {
    source_.redraw();
  } else {
    source_.job_key(c == keys_.interrupt ? KeySource::JobKey::kInterrupt
                    : c == keys_.quit    ? KeySource::JobKey::kQuit
                                         : KeySource::JobKey::kSuspend);
  }
  return true;
}

bool LineEditor::key_waiting(int timeout_ms) {
  const int c = next_byte(timeout_ms);
  if (c >= 0) {
    unread();
  }
  return c != kNone;
}

bool LineEditor::fill(int timeout_ms) {
  if (at_end_) {
    return false;
  }
  flush_echo();  // everything typed so far shows before the editor waits
  std::array<char, 4096> chunk{};
  for (;;) {
    const KeySource::Wait ready = source_.wait(timeout_ms);
    if (ready == KeySource::Wait::kTimeout) {
      return false;  // in time, or a signal ended a limited wait early: the caller looks again
    }
    const std::size_t got = ready == KeySource::Wait::kEnd
                                ? KeySource::kEnded
                                : source_.read(chunk.data(), chunk.size());
    if (got == KeySource::kEnded) {
      at_end_ = true;  // the terminal has hung up
      return false;
    }
    if (got > 0) {
      pending_.assign(chunk.data(), got);
      pos_ = 0;
      return true;
    }
    if (timeout_ms >= 0) {
      return false;
    }
  }
}

void LineEditor::echo(std::string_view bytes) {
  echo_.append(bytes);
}

void LineEditor::flush_echo() {
  if (!echo_.empty()) {
    source_.echo(echo_);
    echo_.clear();
  }
}

}  // namespace tavro
