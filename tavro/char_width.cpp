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

bool in(const auto& ranges, char32_t code_point) {
  // The first range that does not end before the code point.
  const CodeRange* const end = ranges.data() + ranges.size();
  const CodeRange* const found = std::partition_point(
      ranges.data(), end, [&](const CodeRange& r) { return r.last < code_point; });
  return found != end && found->first <= code_point;
}

unsigned byte_at(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

#ifdef TAVRO_UTF8_OUTPUT
constexpr char32_t kNoSequence = 0xFFFFFFFF;

// The code point of the UTF-8 sequence at the start of `text`, utf8_length() bytes long as its
// lead byte announces, overlong forms included; kNoSequence when there is none.
char32_t decode_utf8(std::string_view text) {
  const unsigned lead = byte_at(text, 0);
  const std::size_t length = utf8_length(lead);
  if (length == 0 || length > text.size()) {
    return kNoSequence;
  }
  char32_t code_point = lead & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_utf8_continuation(byte_at(text, i))) {
      return kNoSequence;
    }
    code_point = (code_point << 6U) | (byte_at(text, i) & 0x3FU);
  }
  return code_point;
}
#else
bool is_cp932_pair(std::string_view text) {
  return text.size() > 1 && is_cp932_lead(byte_at(text, 0)) && is_cp932_trail(byte_at(text, 1));
}
#endif

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

Character first_character(std::string_view text, [[maybe_unused]] bool ambiguous_wide) {
#ifdef TAVRO_UTF8_OUTPUT
  const char32_t code_point = decode_utf8(text);
  return code_point == kNoSequence
             ? Character{1, 1}
             : Character{utf8_length(byte_at(text, 0)), char_width(code_point, ambiguous_wide)};
#else
  return is_cp932_pair(text) ? Character{2, 2} : Character{1, 1};
#endif
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
    if (c.columns > 0 && cursor.column > 0 && cursor.column + c.columns > width) {
      cursor = {cursor.row + 1, 0};  // a wide character leaves the last column empty
    }
    cursor.column += c.columns;
    at += c.length;
  }
  return cursor;
}

namespace {

// The character at the start of `text`, which is no control byte, when it shows as it is: its
// length; 0 when it shows as one replacement.
std::size_t kept_length(std::string_view text) {
  const unsigned c = byte_at(text, 0);
  if (c < 0x80) {
    return 1;
  }
#ifdef TAVRO_UTF8_OUTPUT
  const char32_t code_point = decode_utf8(text);
  const std::size_t length = utf8_length(c);
  constexpr char32_t kSmallest[] = {0, 0, 0xA0, 0x800, 0x10000};  // C1 controls, overlong forms
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  return code_point < kSmallest[length] || surrogate || code_point > 0x10FFFF ? 0 : length;
#else
  return is_cp932_pair(text) ? 2 : c >= 0xA1 && c <= 0xDF ? 1 : 0;  // 0xA1 to 0xDF: half-width kana
#endif
}

}  // namespace

Shown show(std::string_view text, bool ambiguous_wide) {
  const unsigned c = byte_at(text, 0);
  if (c == '\t') {
    return {1, " ", 1};  // a tab would move the cursor by a width that no erase can know
  }
  if (c < 0x20 || c == 0x7F) {
    return {1, {codes::kCaret, static_cast<char>(c ^ 0x40U)}, 2};
  }
  if (const std::size_t length = kept_length(text); length > 0) {
    return {length, std::string(text.substr(0, length)),
            first_character(text, ambiguous_wide).columns};
  }
  // A C1 control (U+0080 to U+009F), which terminals act on or show nothing of, goes whole.
  const bool c1 =
      text.size() > 1 && c == 0xC2 && byte_at(text, 1) >= 0x80 && byte_at(text, 1) <= 0x9F;
  return {c1 ? std::size_t{2} : std::size_t{1}, std::string(codes::kReplacement), 1};
}

std::string visible(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const Shown c = show(text.substr(at), false);
    out += c.form;
    at += c.length;
  }
  return out;
}

bool incomplete_character(std::string_view text) {
#ifdef TAVRO_UTF8_OUTPUT
  return utf8_length(byte_at(text, 0)) > text.size() &&
         std::all_of(text.begin() + 1, text.end(),
                     [](char c) { return is_utf8_continuation(static_cast<unsigned char>(c)); });
#else
  return text.size() == 1 && is_cp932_lead(byte_at(text, 0));
#endif
}

}  // namespace tavro
