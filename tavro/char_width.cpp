#include "char_width.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

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

std::size_t column_after(std::string_view text, std::size_t column, std::size_t width,
                         bool ambiguous_wide) {
  // Only what follows the last line break or clear matters.
  const std::size_t line_break = text.find_last_of("\r\n");
  const std::size_t home = text.rfind("\x1b[H");
  std::size_t at = 0;
  if (line_break != std::string_view::npos || home != std::string_view::npos) {
    column = 0;
    at = line_break == std::string_view::npos ? home + 3
         : home == std::string_view::npos     ? line_break + 1
                                              : std::max(line_break + 1, home + 3);
  }
  while (at < text.size()) {
    if (text[at] == '\x1b') {  // a CSI sequence, through its final byte
      at += 2;
      while (at < text.size() && (byte_at(text, at) < 0x40 || byte_at(text, at) > 0x7E)) {
        ++at;
      }
      ++at;
      continue;
    }
    const Character c = first_character(text.substr(at), ambiguous_wide);
    column = place(column, c.columns, width).column + c.columns;
    at += c.length;
  }
  return column;
}

}  // namespace tavro
