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
constexpr std::size_t kFramePiece = std::size_t{64} * 1024;  // a longer echo goes out in pieces

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
  // Called only when at most a byte is left unconsumed, so the buffer never holds much more
  // than one read's worth, however long the line.
  raw_.erase(0, raw_pos_);
  raw_pos_ = 0;
  flush();  // the screen has to be up while the program waits for its answer
  const std::size_t old_size = raw_.size();
  raw_.resize(old_size + kReadChunk);
  const std::size_t got = host_.read(raw_.data() + old_size, kReadChunk);
  raw_.resize(old_size + got);
  if (got == 0) {
    at_end_ = true;
  }
  return got != 0;
}

bool Console::have(std::size_t count) {
  while (raw_.size() - raw_pos_ < count) {
    if (!fill_raw()) {
      return false;
    }
  }
  return true;
}

int Console::peek_byte() {
  if (!have(1)) {
    in_line_ = false;  // the input ended, and with it any line it was in
    return -1;
  }
  in_line_ = true;
  // A line ending in CR LF ends at the LF; the CR is not part of it.
  if (raw_[raw_pos_] == '\r' && have(2) && raw_[raw_pos_ + 1] == '\n') {
    ++raw_pos_;
  }
  return static_cast<unsigned char>(raw_[raw_pos_]);
}

void Console::take_byte() {
  if (raw_[raw_pos_] == '\n') {
    in_line_ = false;
  }
  ++raw_pos_;
}

void Console::discard_input() {
  while (in_line_) {
    const std::size_t newline = raw_.find('\n', raw_pos_);
    if (newline != std::string::npos) {
      raw_pos_ = newline + 1;
      in_line_ = false;
    } else {
      raw_pos_ = raw_.size();
      in_line_ = fill_raw();
    }
  }
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
    take_byte();
  }
}

bool Console::start_number(bool& negative) {
  flush();
  skip_blanks();
  negative = false;
  if (const int sign = peek_byte(); sign == '+' || sign == '-') {
    negative = sign == '-';
    take_byte();
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
    take_byte();
  }
  if (negative) {
    return value;
  }
  return value == INT_MIN ? INT_MAX : -value;
}

bool Console::echo_number(std::string_view before) {
  bool negative = false;
  if (!start_number(negative)) {
    return false;
  }
  while (peek_byte() == '0') {
    take_byte();
  }
  print(before);
  if (!is_digit(peek_byte())) {
    print('0');  // nothing but zeros, with or without a sign
    return true;
  }
  if (negative) {
    print('-');
  }
  for (int c = peek_byte(); is_digit(c); c = peek_byte()) {
    print(static_cast<char>(c));
    take_byte();
    if (frame_.size() >= kFramePiece) {
      flush();
    }
  }
  return true;
}

Answer Console::read_word() {
  flush();
  skip_blanks();
  Answer word;
  for (int c = peek_byte(); c >= 0 && !is_blank(c); c = peek_byte()) {
    word.add(static_cast<char>(c));
    take_byte();
  }
  return word;
}

Answer Console::read_line() {
  flush();
  int c = peek_byte();
  if (c < 0) {
    input_ended();
  }
  Answer line;
  for (; c >= 0 && c != '\n'; c = peek_byte()) {
    line.add(static_cast<char>(c));
    take_byte();
  }
  discard_input();
  return line;
}

int Console::wait_key() {
  flush();
  discard_input();
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
  std::size_t beyond = raw_pos_;
  if (in_line_) {
    // What follows the held line's break, if that much has been read.
    const std::size_t newline = raw_.find('\n', raw_pos_);
    beyond = newline == std::string::npos ? raw_.size() : newline + 1;
  }
  if (beyond < raw_.size() || at_end_) {
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
