#include "console.hpp"

#include <array>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <utility>

namespace tavro {

namespace {

constexpr std::size_t kReadChunk = std::size_t{64} * 1024;
constexpr std::size_t kKeepCapacity = 4 * kReadChunk;

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

Console* current_console = nullptr;

}  // namespace

std::int64_t Clockwork::clock_ms() {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  return duration_cast<milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The game's mines come from the C library's own generator, seeded with the time.
void Clockwork::seed_random(unsigned seed) {
  std::srand(seed);
}
int Clockwork::next_random() {
  return std::rand();  // NOLINT(cert-msc30-c,cert-msc50-cpp): the C library's own generator
}

Clockwork& real_clockwork() {
  static Clockwork real;
  return real;
}

void Console::print_number(long long value) {
  std::array<char, 24> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  frame_.append(digits.data(), end);
}

void Console::flush() {
  if (frame_.empty()) {
    return;
  }
  // Taken out first, so that a failing write cannot leave the frame to be written again.
  const std::string frame = std::exchange(frame_, {});
  host_.write(frame);
}

void Console::end_run(int status) {
  flush();
  throw EndOfRun{status};
}

void Console::input_ended() {
  at_end_ = true;
  end_run(0);
}

bool Console::fill_raw() {
  if (at_end_) {
    return false;
  }
  if (raw_pos_ == raw_.size()) {
    raw_.clear();
    if (raw_.capacity() > kKeepCapacity) {
      raw_.shrink_to_fit();  // an overlong line has been taken: give its memory back
    }
    raw_pos_ = 0;
  } else if (raw_pos_ > raw_.size() / 2) {
    raw_.erase(0, raw_pos_);
    raw_pos_ = 0;
  }
  const std::size_t old_size = raw_.size();
  raw_.resize(old_size + kReadChunk);
  const std::size_t got = host_.read(raw_.data() + old_size, kReadChunk);
  raw_.resize(old_size + got);
  if (got == 0) {
    at_end_ = true;
  }
  return got != 0;
}

bool Console::take_line() {
  line_.clear();
  line_pos_ = 0;
  std::size_t searched = raw_pos_;
  for (;;) {
    const std::size_t newline = raw_.find('\n', searched);
    if (newline != std::string::npos) {
      line_.assign(raw_, raw_pos_, newline + 1 - raw_pos_);
      raw_pos_ = newline + 1;
      // A line ending in CR LF ends at the LF; the CR is not part of it.
      if (line_.size() >= 2 && line_[line_.size() - 2] == '\r') {
        line_.erase(line_.size() - 2, 1);
      }
      return true;
    }
    const std::size_t unsearched = raw_.size() - raw_pos_;
    if (!fill_raw()) {
      // The input ended in the middle of a line: that is its last line.
      line_.assign(raw_, raw_pos_);
      raw_pos_ = raw_.size();
      return !line_.empty();
    }
    searched = raw_pos_ + unsearched;  // fill_raw may have moved the unread bytes to the front
  }
}

int Console::peek_byte() {
  if (line_pos_ == line_.size() && !take_line()) {
    return -1;
  }
  return static_cast<unsigned char>(line_[line_pos_]);
}

void Console::discard_input() {
  line_.clear();
  if (line_.capacity() > kKeepCapacity) {
    line_.shrink_to_fit();
  }
  line_pos_ = 0;
}

void Console::skip_blanks() {
  for (;;) {
    const int c = peek_byte();
    if (c < 0) {
      input_ended();
    }
    if (!is_blank(c)) {
      return;
    }
    ++line_pos_;
  }
}

bool Console::start_number(bool& negative) {
  flush();
  skip_blanks();
  negative = false;
  if (const int sign = peek_byte(); sign == '+' || sign == '-') {
    negative = sign == '-';
    ++line_pos_;
  }
  return is_digit(peek_byte());
}

int Console::read_number(int preset) {
  bool negative = false;
  if (!start_number(negative)) {
    return preset;
  }
  // Accumulated on the negative side, which holds INT_MIN as well; too many digits saturate.
  int value = 0;
  for (int c = peek_byte(); is_digit(c); c = peek_byte()) {
    const int digit = c - '0';
    value = value < (INT_MIN + digit) / 10 ? INT_MIN : value * 10 - digit;
    ++line_pos_;
  }
  if (negative) {
    return value;
  }
  return value == INT_MIN ? INT_MAX : -value;
}

std::optional<std::string> Console::read_number_text() {
  bool negative = false;
  if (!start_number(negative)) {
    return std::nullopt;
  }
  std::string digits;
  for (int c = peek_byte(); is_digit(c); c = peek_byte()) {
    if (!digits.empty() || c != '0') {
      digits.push_back(static_cast<char>(c));
    }
    ++line_pos_;
  }
  if (digits.empty()) {
    return "0";
  }
  return negative ? "-" + digits : digits;
}

std::string Console::read_word() {
  flush();
  skip_blanks();
  std::string word;
  for (int c = peek_byte(); c >= 0 && !is_blank(c); c = peek_byte()) {
    word.push_back(static_cast<char>(c));
    ++line_pos_;
  }
  return word;
}

std::string Console::read_line() {
  flush();
  if (line_pos_ == line_.size() && !take_line()) {
    input_ended();
  }
  std::string line = line_.substr(line_pos_);
  discard_input();
  if (!line.empty() && line.back() == '\n') {
    line.pop_back();
  }
  return line;
}

int Console::wait_key() {
  flush();
  if (raw_pos_ == raw_.size()) {
    if (host_.is_terminal() && !at_end_) {
      const int key = host_.read_key();
      if (key < 0) {
        input_ended();
      }
      return key;
    }
    if (!fill_raw()) {
      input_ended();
    }
  }
  return static_cast<unsigned char>(raw_[raw_pos_++]);
}

bool Console::key_hit(int timeout_ms) {
  flush();
  if (raw_pos_ < raw_.size() || at_end_) {
    return true;
  }
  return host_.wait_for_input(timeout_ms);
}

Console& con() {
  if (current_console == nullptr) {
    std::abort();  // a screen routine ran without a console: a programming error
  }
  return *current_console;
}

void use_console(Console* console) {
  current_console = console;
}

}  // namespace tavro
