// Writes the terminal width tables from the Unicode Character Database: tavro/char_width_table.inc
// for program A's line editor and web/char_width_table.js for the web edition's page. Arguments:
// UnicodeData.txt, EastAsianWidth.txt, the C++ table and the JavaScript module to write. The
// build's target char_width_table runs it on Debian's unicode-data files (README: "The
// character table").
//
// Three lists of code point ranges, disjoint, each merged where ranges touch:
//   - zero width: what a terminal draws in no cell of its own, on the character before it:
//     the combining marks (general categories Mn and Me; the variation selectors are Mn), the
//     format characters (Cf: U+200B zero width space, U+200C/D the joiners, U+2060 word joiner,
//     U+FEFF, the direction marks) except U+00AD soft hyphen, which terminals show as a hyphen,
//     and the Hangul medial vowels and final consonants (jungseong, jongseong: U+1160..11FF,
//     U+D7B0..D7FF), which join the initial consonant before them into one syllable's cell;
//   - wide: East Asian Width W or F, two columns, unless zero width (U+3099 is W and Mn);
//   - ambiguous: East Asian Width A, unless zero width: one column on a terminal in a Western
//     locale, two on a Japanese console; the user of the table chooses.
// Everything else is one column. Control characters are in no list: they are never measured.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kCodePoints = 0x110000;

enum class Kind : std::uint8_t { kOther, kZero, kWide, kAmbiguous };

using Ranges = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

std::uint32_t hex(std::string_view text) {
  return static_cast<std::uint32_t>(std::stoul(std::string(text), nullptr, 16));
}

// "XXXX" or "XXXX..YYYY".
std::pair<std::uint32_t, std::uint32_t> code_range(std::string_view field) {
  const std::size_t dots = field.find("..");
  if (dots == std::string_view::npos) {
    return {hex(field), hex(field)};
  }
  return {hex(field.substr(0, dots)), hex(field.substr(dots + 2))};
}

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t at = 0;;) {
    const std::size_t semicolon = line.find(';', at);
    out.push_back(trim(line.substr(at, semicolon - at)));
    if (semicolon == std::string_view::npos) {
      return out;
    }
    at = semicolon + 1;
  }
}

// The zero-width characters, from the general category and the name of every code point.
// A "<..., First>" line and the "<..., Last>" line after it stand for the range between.
void read_unicode_data(std::istream& in, std::vector<Kind>& kinds) {
  std::string line;
  std::uint32_t range_first = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string_view> field = fields(line);
    if (field.size() < 3) {
      continue;
    }
    const std::uint32_t code = hex(field[0]);
    const std::string_view name = field[1];
    if (name.ends_with(", First>")) {
      range_first = code;
      continue;
    }
    const std::uint32_t first = name.ends_with(", Last>") ? range_first : code;
    const std::string_view category = field[2];
    const bool zero = category == "Mn" || category == "Me" || (category == "Cf" && code != 0xAD) ||
                      name.starts_with("HANGUL JUNGSEONG ") ||
                      name.starts_with("HANGUL JONGSEONG ");
    if (zero) {
      for (std::uint32_t c = first; c <= code; ++c) {
        kinds[c] = Kind::kZero;
      }
    }
  }
}

// The East Asian Width of every code point. The defaults come first: "@missing" lines and, in
// files before Unicode 15.1, the header's list of blocks whose unassigned code points default
// to W ("#   Plane 2:   U+20000..U+2FFFD"); the listed characters then override them.
std::vector<char> read_east_asian_width(std::istream& in) {
  std::vector<char> width(kCodePoints, 'N');
  const auto set = [&](std::pair<std::uint32_t, std::uint32_t> range, std::string_view value) {
    const char kind = value == "W" || value == "F" ? 'W' : value == "A" ? 'A' : 'N';
    for (std::uint32_t c = range.first; c <= range.second && c < kCodePoints; ++c) {
      width[c] = kind;
    }
  };
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = line;
    if (text.starts_with("# @missing:")) {
      const std::vector<std::string_view> field = fields(text.substr(11));
      set(code_range(field[0]), field[1]);
    } else if (const std::size_t from = text.find(": U+");
               text.starts_with('#') && from != std::string_view::npos) {
      std::string range(text.substr(from + 4));
      if (const std::size_t plus = range.find("U+"); plus != std::string::npos) {
        range.erase(plus, 2);
      }
      set(code_range(trim(range)), "W");
    } else if (!text.empty() && !text.starts_with('#')) {
      const std::vector<std::string_view> field = fields(text.substr(0, text.find('#')));
      set(code_range(field[0]), field[1]);
    }
  }
  return width;
}

Ranges ranges_of(const std::vector<Kind>& kinds, Kind kind) {
  Ranges out;
  for (std::uint32_t c = 0; c < kCodePoints; ++c) {
    if (kinds[c] != kind) {
      continue;
    }
    if (!out.empty() && out.back().second + 1 == c) {
      out.back().second = c;
    } else {
      out.emplace_back(c, c);
    }
  }
  return out;
}

// "15.0.0" from the first line "# EastAsianWidth-15.0.0.txt".
std::string version_of(const std::string& first_line) {
  const std::size_t dash = first_line.find('-');
  const std::size_t dot_txt = first_line.rfind(".txt");
  if (dash == std::string::npos || dot_txt == std::string::npos || dot_txt < dash) {
    return "?";
  }
  return first_line.substr(dash + 1, dot_txt - dash - 1);
}

constexpr int kPerLine = 6;

struct List {
  const char* cpp_name;
  const char* js_name;
  const char* what;
  Ranges ranges;
};

// The C++ table (std::array of {first, last}) or the JavaScript module (arrays of [first, last]).
bool write_table(const char* path, const std::array<List, 3>& lists, const std::string& version,
                 bool javascript) {
  std::ofstream out(path, std::ios::binary);
  out << "// Terminal widths of characters, from the Unicode Character Database " << version
      << ": ranges of code\n// points " << (javascript ? "[first, last]" : "{first, last}")
      << ", sorted and disjoint. Generated by tools/gen_char_width_table.cpp from\n"
         "// UnicodeData.txt and EastAsianWidth.txt; do not edit by hand."
      << (javascript ? "" : " Included by char_width.cpp.") << '\n';
  for (const List& list : lists) {
    out << "\n// " << list.what << '\n';
    if (javascript) {
      out << "export const " << list.js_name << " = [\n";
    } else {
      out << "inline constexpr std::array<CodeRange, " << list.ranges.size() << "> "
          << list.cpp_name << "{{\n";
    }
    int n = 0;
    for (const auto& [first, last] : list.ranges) {
      std::array<char, 32> cell{};
      (void)std::snprintf(cell.data(), cell.size(),
                          javascript ? "[0x%04X,0x%04X]," : "{0x%04X,0x%04X},", first, last);
      out << cell.data() << (++n % kPerLine == 0 ? "\n" : "");
    }
    out << (n % kPerLine == 0 ? "" : "\n") << (javascript ? "];\n" : "}};\n");
  }
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: gen_char_width_table UnicodeData.txt EastAsianWidth.txt TABLE.inc "
                 "TABLE.js\n";
    return 2;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::ifstream unicode_data(args[0]);
  std::ifstream east_asian_width(args[1]);
  if (!unicode_data || !east_asian_width) {
    std::cerr << "cannot read " << (unicode_data ? args[1] : args[0]) << '\n';
    return 1;
  }
  std::string first_line;
  std::getline(east_asian_width, first_line);
  const std::string version = version_of(first_line);

  const std::vector<char> width = read_east_asian_width(east_asian_width);
  std::vector<Kind> kinds(kCodePoints, Kind::kOther);
  for (std::uint32_t c = 0; c < kCodePoints; ++c) {
    kinds[c] = width[c] == 'W' ? Kind::kWide : width[c] == 'A' ? Kind::kAmbiguous : Kind::kOther;
  }
  read_unicode_data(unicode_data, kinds);  // zero width overrides both

  const std::array<List, 3> lists{{
      {"kZeroWidth", "zeroWidth",
       "No column: combining marks (Mn, Me), format characters (Cf) but the soft hyphen,\n"
       "// Hangul jungseong and jongseong.",
       ranges_of(kinds, Kind::kZero)},
      {"kWide", "wide", "Two columns: East Asian Width W and F.", ranges_of(kinds, Kind::kWide)},
      {"kAmbiguous", "ambiguous",
       "East Asian Width A: one column in a Western locale, two on a Japanese console.",
       ranges_of(kinds, Kind::kAmbiguous)},
  }};
  if (!write_table(argv[3], lists, version, false) || !write_table(argv[4], lists, version, true)) {
    std::cerr << "cannot write the tables\n";
    return 1;
  }
  return 0;
}
