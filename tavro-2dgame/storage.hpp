// The working storage of tavro-2dgame: every piece of state the program has, as one fixed set
// of named items that exists for the whole run. Items are numbers of a fixed count of decimal
// digits (unsigned or signed) and texts of a fixed width; the routines take no arguments and
// work on the one Storage object `ws`. Item names are the upper-case names the screens' logic
// is written in terms of.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <concepts>
#include <cstddef>
#include <cstdlib>
#include <string_view>

namespace tavro2d {

// A number of `Digits` decimal digits. Storing a value keeps what the item can hold: the
// low-order digits, and for an unsigned item the magnitude without its sign. A computed
// (floating) value loses its fraction first.
template <int Digits, bool IsSigned>
class Number {
  static_assert(Digits >= 1 && Digits <= 9, "an int holds nine digits");

 public:
  static constexpr int kDigits = Digits;
  static constexpr bool kSigned = IsSigned;
  static constexpr int kModulus = [] {
    int m = 1;
    for (int i = 0; i < Digits; ++i) {
      m *= 10;
    }
    return m;
  }();
  static constexpr int kMax = kModulus - 1;
  static constexpr int kMin = IsSigned ? -kMax : 0;
  // Printed width: the digits, after a sign for a signed item.
  static constexpr std::size_t kWidth = static_cast<std::size_t>(Digits) + (IsSigned ? 1U : 0U);

  constexpr Number() = default;
  constexpr Number(long long value) : value_(keep(value)) {}  // implicit: items are set like ints

  template <std::integral T>
  constexpr Number& operator=(T value) {
    value_ = keep(static_cast<long long>(value));
    return *this;
  }
  template <int D, bool S>
  constexpr Number& operator=(const Number<D, S>& other) {
    value_ = keep(static_cast<int>(other));
    return *this;
  }
  template <std::floating_point T>
  Number& operator=(T value) {
    value_ = keep(static_cast<long long>(std::fmod(std::trunc(value), kModulus)));
    return *this;
  }

  constexpr operator int() const { return value_; }  // implicit: items compare like ints

  // The item as printed: every digit, leading zeros included, after '+' or '-' when signed.
  [[nodiscard]] constexpr std::array<char, kWidth> display() const {
    std::array<char, kWidth> out{};
    int rest = value_ < 0 ? -value_ : value_;
    for (std::size_t i = kWidth; i-- > (IsSigned ? 1U : 0U);) {
      out[i] = static_cast<char>('0' + rest % 10);
      rest /= 10;
    }
    if constexpr (IsSigned) {
      out[0] = value_ < 0 ? '-' : '+';
    }
    return out;
  }

 private:
  static constexpr int keep(long long value) {
    if (!IsSigned && value < 0) {
      value = -value;
    }
    return static_cast<int>(value % kModulus);
  }

  int value_ = 0;
};

template <int Digits>
using Unsigned = Number<Digits, false>;
template <int Digits>
using Signed = Number<Digits, true>;

// A text of `Width` bytes: a shorter value is padded with spaces, a longer one cut.
template <std::size_t Width>
class Text {
 public:
  static constexpr std::size_t kWidth = Width;

  constexpr Text() { bytes_.fill(' '); }
  constexpr Text(std::string_view value) { *this = value; }  // implicit: items are set like texts

  constexpr Text& operator=(std::string_view value) {
    const std::size_t n = std::min(value.size(), Width);
    std::copy_n(value.begin(), n, bytes_.begin());
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(n), bytes_.end(), ' ');
    return *this;
  }

  constexpr char& operator[](std::size_t i) { return bytes_[i]; }
  constexpr char operator[](std::size_t i) const { return bytes_[i]; }
  [[nodiscard]] constexpr std::string_view view() const { return {bytes_.data(), Width}; }

  friend constexpr bool operator==(const Text& t, std::string_view s) { return t.view() == s; }

 private:
  std::array<char, Width> bytes_{};
};

// One typed line of any length: its first `Kept` bytes (padded with spaces) and its length.
// Unlike a Text it compares as the whole line, so "exit " is not "exit".
template <std::size_t Kept>
class Line {
 public:
  constexpr Line() = default;
  constexpr Line(std::string_view value) { *this = value; }  // implicit: items are set like texts

  constexpr Line& operator=(std::string_view value) {
    assign(value, value.size());
    return *this;
  }
  // `start` is the start of a line that was `length` bytes long.
  constexpr void assign(std::string_view start, std::size_t length) {
    kept_ = start;
    length_ = length;
  }

  // The first byte, a space for an empty line.
  [[nodiscard]] constexpr char first() const { return kept_[0]; }
  [[nodiscard]] constexpr std::size_t length() const { return length_; }
  [[nodiscard]] constexpr bool is(std::string_view whole) const {
    return whole.size() <= Kept && length_ == whole.size() &&
           kept_.view().substr(0, whole.size()) == whole;
  }

 private:
  Text<Kept> kept_;
  std::size_t length_ = 0;
};

// The largest map, and so the size of the map store and of a drawn line.
inline constexpr std::size_t kMaxRows = 24;
inline constexpr std::size_t kMaxCols = 60;

struct Storage {
  // Settings and state shared by the screens.
  Unsigned<2> MAP_ROWS{15};
  Unsigned<2> MAP_COLS{30};
  Unsigned<1> DIFFICULTY{2};
  Unsigned<1> DEBUG_MODE{0};
  Text<3> DEBUG_TEXT{"OFF"};
  Text<1> KEY_UP{"8"};
  Text<1> KEY_DOWN{"k"};
  Text<1> KEY_LEFT{"u"};
  Text<1> KEY_RIGHT{"o"};
  Unsigned<1> CLEARED_FLAG{0};

  // Main menu.
  Unsigned<1> RUN_FLAG{1};
  Signed<1> MENU_CHOICE{0};
  Unsigned<1> MENU_MAX{3};

  // Constants.
  Unsigned<1> ON_VALUE{1};
  Signed<1> RESULT_CLEAR{+1};
  Signed<1> RESULT_MINE{-1};
  Unsigned<9> WAIT_COUNT{9999999};

  // The game. A map of MAP_ROWS x MAP_COLS cells is stored row after row, each row MAP_COLS
  // cells long, at the front of the store.
  Text<kMaxRows * kMaxCols> MAP_STORE;
  Signed<4> CELL_INDEX{0};
  Signed<1> GAME_FLAG{1};
  Signed<2> PLAYER_ROW{0};
  Signed<2> PLAYER_COL{0};
  Line<80> MOVE_INPUT{" "};
  Signed<1> GAME_RESULT{0};
  Signed<2> DRAW_ROW{0};
  Signed<2> DRAW_COL{0};
  Text<kMaxCols> DRAW_LINE;
  // Local date and time: yyyymmddhhmmsscc, then the offset from UTC as a sign and hhmm.
  Text<21> CURRENT_DATE_AREA{"0000000000000000"};
  Unsigned<6> RANDOM_DIGIT{0};

  // The settings screens.
  Unsigned<1> OPTION_FLAG{1};
  Signed<1> OPTION_CHOICE{0};
  Unsigned<1> ROWS_SET_FLAG{1};
  Signed<2> ROWS_INPUT{0};
  Unsigned<1> COLS_SET_FLAG{1};
  Signed<2> COLS_INPUT{0};
  Unsigned<1> DIFFICULTY_SET_FLAG{1};
  Signed<1> DIFFICULTY_INPUT{1};
  Unsigned<1> DEBUG_SET_FLAG{1};
  Signed<1> DEBUG_INPUT{0};
  Unsigned<1> KEY_CONFIG_FLAG{1};  // also the step number (0 to 4) of the key entry
  Signed<1> KEY_CONFIG_CHOICE{0};

  // The bonus scripts.
  Signed<1> OMAKE_CHOICE{0};
  Signed<1> GOWAY_FLAG{0};
  Signed<1> WEATHER_ANSWER{0};
  Signed<1> PC_ANSWER{0};
  Signed<1> TEL_PAUSE{0};
  Signed<1> TAKE_ANSWER{0};
  Signed<1> TIME_ANSWER{1};
  Signed<1> CALLER_ANSWER{0};
  Signed<1> PRESENT_ANSWER{0};
  Signed<1> BOSS_ANSWER{0};
  Signed<1> BOSS_FLAG{1};
  Signed<1> WHERE_ANSWER{0};
  Signed<1> OK_ANSWER{0};
  Text<13> TEL_NUMBER;

  // The process's exit status; it stays 0.
  Signed<3> EXIT_STATUS{0};

  // Cell number `n` of the map (from 0), and cell `j` of the drawn line (from 1).
  char& MAP_CELL(int n) { return MAP_STORE[checked(n, kMaxRows * kMaxCols)]; }
  char& DRAW_CELL(int j) { return DRAW_LINE[checked(j - 1, kMaxCols)]; }

  // Seconds and hundredths of CURRENT_DATE_AREA (its characters 13-14 and 15-16).
  [[nodiscard]] int CD_SECONDS() const { return two_digits(12); }
  [[nodiscard]] int CD_HUNDREDTHS() const { return two_digits(14); }

 private:
  // An index outside the store would be a fault in a routine: stop rather than write past it.
  static std::size_t checked(int i, std::size_t size) {
    if (i < 0 || static_cast<std::size_t>(i) >= size) {
      std::abort();
    }
    return static_cast<std::size_t>(i);
  }
  [[nodiscard]] int two_digits(std::size_t at) const {
    return (CURRENT_DATE_AREA[at] - '0') * 10 + (CURRENT_DATE_AREA[at + 1] - '0');
  }
};

// The working storage of the run.
extern Storage ws;

}  // namespace tavro2d
