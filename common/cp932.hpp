// Screen texts are written in the sources as readable UTF-8 and turned into the bytes the
// console prints while compiling: "地雷"_sj is a std::string_view of code page 932 bytes (or of
// the UTF-8 bytes unchanged in a build with TAVRO_UTF8_OUTPUT). Everything here runs while
// compiling, so no conversion code reaches an executable, only the converted bytes. A character
// that code page 932 cannot represent stops the build.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace cp932 {

struct Mapping {
  std::uint16_t code_point;
  std::uint16_t bytes;  // one byte when below 0x100, else lead byte << 8 | trail byte
};

inline constexpr Mapping kTable[] = {
#include "cp932_table.inc"
};

inline constexpr std::size_t kNotMapped = std::size(kTable);

// The index of the code point's entry, or kNotMapped when code page 932 has no such character.
// (Indices rather than pointers: some compilers cannot compare pointers into the table in a
// constant expression when the sanitizers instrument it.)
constexpr std::size_t find(char32_t code_point) {
  std::size_t low = 0;
  std::size_t high = std::size(kTable);
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (kTable[mid].code_point < code_point) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low < std::size(kTable) && kTable[low].code_point == code_point ? low : kNotMapped;
}

// Decodes the UTF-8 sequence at text[pos], advancing pos. Malformed UTF-8 stops the build.
constexpr char32_t next_code_point(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 1;
  char32_t value = lead;
  if (lead >= 0xF0) {
    length = 4;
    value = lead & 0x07U;
  } else if (lead >= 0xE0) {
    length = 3;
    value = lead & 0x0FU;
  } else if (lead >= 0xC0) {
    length = 2;
    value = lead & 0x1FU;
  } else if (lead >= 0x80) {
    throw "screen text is not valid UTF-8";
  }
  if (pos + length > text.size()) {
    throw "screen text is not valid UTF-8";
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0U) != 0x80U) {
      throw "screen text is not valid UTF-8";
    }
    value = (value << 6U) | (byte(pos + i) & 0x3FU);
  }
  pos += length;
  return value;
}

// The code page 932 bytes of one character; the build stops when it has none.
constexpr std::uint16_t bytes_of(char32_t code_point) {
  const std::size_t i = find(code_point);
  if (i == kNotMapped) {
    throw "screen text holds a character that code page 932 cannot print";
  }
  return kTable[i].bytes;
}

constexpr std::size_t encoded_size(std::string_view utf8) {
  std::size_t size = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    size += bytes_of(next_code_point(utf8, pos)) > 0xFF ? std::size_t{2} : std::size_t{1};
  }
  return size;
}

// A string literal as a template argument, so that its conversion is a constant of its own.
template <std::size_t N>
struct Literal {
  char text[N]{};
  consteval Literal(const char (&s)[N]) {  // implicit: the literal itself is the argument
    for (std::size_t i = 0; i < N; ++i) {
      text[i] = s[i];
    }
  }
  [[nodiscard]] consteval std::string_view view() const { return {&text[0], N - 1}; }
};

template <Literal S>
consteval auto encode() {
  constexpr std::string_view utf8 = S.view();
  std::array<char, encoded_size(utf8)> out{};
  std::size_t at = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::uint16_t b = bytes_of(next_code_point(utf8, pos));
    if (b > 0xFF) {
      out[at++] = static_cast<char>(b >> 8U);
    }
    out[at++] = static_cast<char>(b & 0xFFU);
  }
  return out;
}

template <Literal S>
consteval auto checked_utf8() {
  constexpr std::string_view utf8 = S.view();
  static_assert(encoded_size(utf8) <= utf8.size());  // every character has a mapping
  std::array<char, utf8.size()> out{};
  std::copy(utf8.begin(), utf8.end(), out.begin());
  return out;
}

#ifdef TAVRO_UTF8_OUTPUT
template <Literal S>
inline constexpr auto kBytes = checked_utf8<S>();
#else
template <Literal S>
inline constexpr auto kBytes = encode<S>();
#endif

}  // namespace cp932

// Clang before 16 loses immediate calls made inside function templates (the call is left to
// the linker), so there the literal operator is only constexpr. The conversion itself happens
// while compiling either way: kBytes is a constant.
#if defined(__clang__) && __clang_major__ < 16
#define TAVRO_TEXT_LITERAL constexpr
#else
#define TAVRO_TEXT_LITERAL consteval
#endif

// "…"_sj: the text in the console's encoding, as a view of bytes that live in the executable.
template <cp932::Literal S>
TAVRO_TEXT_LITERAL std::string_view operator""_sj() {
  return {cp932::kBytes<S>.data(), cp932::kBytes<S>.size()};
}
