#include "line_editor.hpp"

#include <array>
#include <cstdint>

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

unsigned byte_at(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

// A control byte in a line (only literal-next puts one there) shows in caret notation, ^X
// for 0x18 and ^? for DEL: two columns, both taken back when it is erased. A tab shows as one
// blank, as it does when typed.
bool is_shown_in_carets(unsigned c) {
  return (c < 0x20 && c != '\t') || c == kDelete;
}

bool is_blank_byte(char c) {
  return c == ' ' || c == '\t';
}

bool is_utf8_continuation(unsigned c) {
  return (c & 0xC0U) == 0x80U;
}

// How many bytes a UTF-8 sequence starting with `lead` has; 0 when it starts none.
std::size_t utf8_length(unsigned lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;
}

bool is_cp932_lead(unsigned c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool is_cp932_trail(unsigned c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

// One character at the end of a line: where it starts and how many columns it takes.
struct LastCharacter {
  std::size_t start;
  std::size_t columns;
};

#ifdef TAVRO_UTF8_OUTPUT

// Characters that take two columns on a terminal (East Asian wide and full-width).
bool is_wide(std::uint32_t code_point) {
  struct Range {
    std::uint32_t first;
    std::uint32_t last;
  };
  static constexpr std::array<Range, 19> kWide{{
      {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x2E80, 0x303E},
      {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
      {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
      {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
      {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
  }};
  for (const Range& range : kWide) {
    if (code_point >= range.first && code_point <= range.last) {
      return true;
    }
  }
  return false;
}

// A whole UTF-8 sequence when the line ends with one, else the last byte alone.
LastCharacter last_character(std::string_view line) {
  const std::size_t end = line.size();
  for (std::size_t back = 1; back <= 4 && back <= end; ++back) {
    const unsigned c = byte_at(line, end - back);
    if (is_utf8_continuation(c)) {
      continue;
    }
    if (back == 1 || utf8_length(c) != back) {
      break;
    }
    std::uint32_t code_point = c & (0x7FU >> back);
    for (std::size_t i = end - back + 1; i < end; ++i) {
      code_point = (code_point << 6U) | (byte_at(line, i) & 0x3FU);
    }
    return {end - back, is_wide(code_point) ? 2U : 1U};
  }
  return {end - 1, 1};
}

#else

// Code page 932 is read from the start: a trail byte can look like a lead or a one-byte
// character, so only the bytes before it tell.
LastCharacter last_character(std::string_view line) {
  std::size_t start = 0;
  std::size_t at = 0;
  while (at < line.size()) {
    start = at;
    const bool pair = is_cp932_lead(byte_at(line, at)) && at + 1 < line.size() &&
                      is_cp932_trail(byte_at(line, at + 1));
    at += pair ? 2 : 1;
  }
  return {start, at - start};  // a two-byte character takes two columns
}

#endif

}  // namespace

std::string LineEditor::read_line() {
  std::string line;
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

void LineEditor::erase_characters(std::string& line, std::size_t count) {
  for (; count > 0 && !line.empty(); --count) {
    const LastCharacter last = last_character(line);
    const std::size_t columns = is_shown_in_carets(byte_at(line, last.start)) ? 2 : last.columns;
    line.resize(last.start);
    for (std::size_t i = 0; i < columns; ++i) {
      echo(kEraseColumn);
    }
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
