#include "char_width.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "terminal_codes.hpp"

namespace tavro {

namespace {

struct CodeRange {
  std::uint32_t first;
  std::uint32_t last;
};

#include "char_width_table.inc"

template <std::size_t N>
bool in(const std::array<CodeRange, N>& ranges, char32_t code_point) {
  // The first range that does not end before the code point.
  const CodeRange* const end = ranges.data() + ranges.size();
  const CodeRange* const found = std::partition_point(
      ranges.data(), end, [&](const CodeRange& r) { return r.last < code_point; });
  return found != end && found->first <= code_point;
}

unsigned byte_at(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

}  // namespace

std::size_t char_width(char32_t code_point, bool ambiguous_wide) {
  if (in(kZeroWidth, code_point)) {
    return 0;
  }
  if (in(kWide, code_point) || (ambiguous_wide && in(kAmbiguous, code_point))) {
    return 2;
  }
  return 1;
}

#ifdef TAVRO_UTF8_OUTPUT

Character first_character(std::string_view text, bool ambiguous_wide) {
  const unsigned lead = byte_at(text, 0);
  const std::size_t length = utf8_length(lead);
  if (length == 0 || length > text.size()) {
    return {1, 1};
  }
  char32_t code_point = lead & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned c = byte_at(text, i);
    if (!is_utf8_continuation(c)) {
      return {1, 1};
    }
    code_point = (code_point << 6U) | (c & 0x3FU);
  }
  return {length, char_width(code_point, ambiguous_wide)};
}

#else

Character first_character(std::string_view text, bool /*ambiguous_wide*/) {
  if (text.size() > 1 && is_cp932_lead(byte_at(text, 0)) && is_cp932_trail(byte_at(text, 1))) {
    return {2, 2};
  }
  return {1, 1};
}

#endif

Placement place(std::size_t column, std::size_t columns, std::size_t width) {
  if (columns > 0 && column > 0 && column + columns > width) {
    return {0, true};
  }
  return {column, false};
}

Cursor cursor_after(std::string_view text, std::size_t width, bool ambiguous_wide) {
  Cursor cursor{0, 0};
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '\r') {
      cursor.column = 0;
      ++at;
      continue;
    }
    if (text[at] == '\x1b') {  // a CSI sequence, through its final byte
      at += 2;
      while (at < text.size() && (byte_at(text, at) < 0x40 || byte_at(text, at) > 0x7E)) {
        ++at;
      }
      ++at;
      continue;
    }
    const Character c = first_character(text.substr(at), ambiguous_wide);
    const Placement placed = place(cursor.column, c.columns, width);
    cursor.row += placed.next_row ? 1 : 0;
    cursor.column = placed.column + c.columns;
    at += c.length;
  }
  return cursor;
}

namespace {

constexpr unsigned kDelete = 0x7F;

// A control byte, or a tab, as it shows; false for any other byte.
bool append_control(std::string& out, unsigned c) {
  if (c == '\t') {
    out.push_back(' ');  // a tab would move the cursor by a width that no erase can know
    return true;
  }
  if (c < 0x20 || c == kDelete) {
    out.push_back(codes::kCaret);
    out.push_back(static_cast<char>(c ^ 0x40U));
    return true;
  }
  return false;
}

#ifdef TAVRO_UTF8_OUTPUT
// The length of the well-formed UTF-8 character at the start of `text` that is no C1 control;
// 0 when there is none.
std::size_t valid_utf8(std::string_view text) {
  const unsigned lead = byte_at(text, 0);
  const std::size_t length = utf8_length(lead);
  if (length == 0 || length > text.size()) {
    return 0;
  }
  char32_t code_point = lead & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_utf8_continuation(byte_at(text, i))) {
      return 0;
    }
    code_point = (code_point << 6U) | (byte_at(text, i) & 0x3FU);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0xA0, 0x800, 0x10000};  // C1 controls, overlong forms
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  return code_point < kSmallest[length] || surrogate || code_point > 0x10FFFF ? 0 : length;
}

// A C1 control (U+0080 to U+009F) in UTF-8, which terminals act on or show nothing of.
bool is_c1_control(std::string_view text) {
  return text.size() >= 2 && byte_at(text, 0) == 0xC2 && byte_at(text, 1) >= 0x80 &&
         byte_at(text, 1) <= 0x9F;
}
#endif

// The character at the start of `text`, which is no control byte: its bytes, and whether it
// shows as it is (else as one replacement).
struct Raw {
  std::size_t length;
  bool kept;
};
Raw raw_character(std::string_view text) {
  const unsigned c = byte_at(text, 0);
  if (c < 0x80) {
    return {1, true};
  }
#ifdef TAVRO_UTF8_OUTPUT
  if (const std::size_t length = valid_utf8(text); length > 0) {
    return {length, true};
  }
  return {is_c1_control(text) ? std::size_t{2} : std::size_t{1}, false};  // a control whole
#else
  if (text.size() > 1 && is_cp932_lead(c) && is_cp932_trail(byte_at(text, 1))) {
    return {2, true};
  }
  return {1, c >= 0xA1 && c <= 0xDF};  // half-width katakana
#endif
}

}  // namespace

std::string visible(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (append_control(out, byte_at(text, at))) {
      ++at;
      continue;
    }
    const Raw c = raw_character(text.substr(at));
    out.append(c.kept ? text.substr(at, c.length) : codes::kReplacement);
    at += c.length;
  }
  return out;
}

Character shown_character(std::string_view text, bool ambiguous_wide) {
  const unsigned c = byte_at(text, 0);
  if (c != '\t' && (c < 0x20 || c == kDelete)) {
    return {1, 2};
  }
  const Raw raw = raw_character(text);
  return {raw.length, raw.kept ? first_character(text, ambiguous_wide).columns : 1};
}

bool incomplete_character(std::string_view text) {
  const unsigned lead = byte_at(text, 0);
#ifdef TAVRO_UTF8_OUTPUT
  if (utf8_length(lead) <= text.size()) {
    return false;
  }
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!is_utf8_continuation(byte_at(text, i))) {
      return false;
    }
  }
  return true;
#else
  return text.size() == 1 && is_cp932_lead(lead);
#endif
}

}  // namespace tavro
