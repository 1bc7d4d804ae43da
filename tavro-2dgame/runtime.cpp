// The console runtime on the process's standard input and output (see runtime.hpp).
#include "runtime.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tavro2d::rt {

namespace {

struct State {
  Host* host = nullptr;
  Clockwork* clockwork = nullptr;
  int argc = 0;
  char** argv = nullptr;
  std::string frame;  // output gathered since the last write
  std::array<char, 4096> input{};
  std::size_t input_at = 0;
  std::size_t input_end = 0;
  bool input_ended = false;
  std::array<char, kLineKept> line{};
};

State& state() {
  static State s;
  return s;
}

// Larger than any screen, so that a screen is gathered without growing the buffer.
constexpr std::size_t kFrameCapacity = std::size_t{16} * 1024;

Host& host() {
  State& s = state();
  if (s.host == nullptr) {
    fatal("the console runtime is not started");
  }
  return *s.host;
}

Clockwork& clockwork() {
  State& s = state();
  if (s.clockwork == nullptr) {
    fatal("the console runtime is not started");
  }
  return *s.clockwork;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void start(Host& host, Clockwork& clockwork, int argc, char** argv) {
  State& s = state();
  s.host = &host;
  s.clockwork = &clockwork;
  s.argc = argc;
  s.argv = argv;
  s.frame.clear();
  s.frame.reserve(kFrameCapacity);
  s.input_at = s.input_end = 0;
  s.input_ended = false;
}

void release() {
  State& s = state();
  s.host = nullptr;
  s.clockwork = nullptr;
  s.argc = 0;
  s.argv = nullptr;
}

bool started() {
  return state().host != nullptr;
}

void stop(int status) {
  flush();
  throw EndOfRun{status};
}

void fatal(std::string_view message) {
  (void)std::fprintf(stderr, "tavro-2dgame: fatal error: %.*s\n", static_cast<int>(message.size()),
                     message.data());
  std::exit(EXIT_FAILURE);
}

void flush() {
  State& s = state();
  Host& h = host();
  if (!s.frame.empty()) {
    h.write(s.frame);
    s.frame.clear();
  }
}

LocalTime local_time() {
  return clockwork().local_time();
}

unsigned pause_steps(unsigned count) {
  return clockwork().pause_steps(count);
}

void seed_random(unsigned seed) {
  clockwork().seed_random(seed);
}

double draw_fraction() {
  return clockwork().draw_fraction();
}

void Clockwork::seed_random(unsigned seed) {
  generator_.seed(seed);
}

double Clockwork::draw_fraction() {
  // A 32-bit draw over 2^32: never 1, so ten times it is at most 9.
  return static_cast<double>(generator_() & 0xFFFFFFFFU) / 4294967296.0;
}

Clockwork& real_clockwork() {
  static Clockwork real;
  return real;
}

PauseClock::PauseClock()
    : start_(std::chrono::steady_clock::now()), length_(clockwork().pause_length()) {}

void PauseClock::wait(unsigned done, unsigned parts) const {
  if (parts == 0 || length_.count() <= 0) {
    return;
  }
  clockwork().sleep_until(start_ + length_ * done / parts);
}

namespace detail {

void append(std::string_view bytes) {
  State& s = state();
  (void)host();
  if (s.frame.size() + bytes.size() > kFrameCapacity) {
    flush();
  }
  s.frame.append(bytes);
}

void end_line() {
  append("\n");
}

std::string_view take_line(std::size_t& length) {
  State& s = state();
  Host& h = host();
  flush();
  length = 0;
  char last = 0;  // the line's last byte so far, kept or not
  bool ended_by_lf = false;
  while (!ended_by_lf) {
    if (s.input_at == s.input_end) {
      if (s.input_ended) {
        break;
      }
      s.input_end = h.read(s.input.data(), s.input.size());
      s.input_at = 0;
      s.input_ended = s.input_end == 0;
      continue;
    }
    const char* begin = s.input.data() + s.input_at;
    const std::size_t available = s.input_end - s.input_at;
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
    const std::size_t taken = lf == nullptr ? available : static_cast<std::size_t>(lf - begin);
    if (length < kLineKept) {
      std::memcpy(s.line.data() + length, begin, std::min(taken, kLineKept - length));
    }
    if (taken > 0) {
      last = begin[taken - 1];
    }
    length += taken;
    s.input_at += taken + (lf == nullptr ? 0 : 1);
    ended_by_lf = lf != nullptr;
  }
  if (!ended_by_lf && length == 0) {
    stop(0);  // the input has ended: nothing more is shown
  }
  // A last line without its line end still counts as a line. CR LF ends a line like LF.
  if (ended_by_lf && length > 0 && last == '\r') {
    --length;
  }
  return {s.line.data(), std::min(length, kLineKept)};
}

std::optional<int> number_of(std::string_view line, std::size_t length, int digits,
                             bool allow_negative) {
  if (length != line.size()) {
    return std::nullopt;
  }
  while (!line.empty() && is_blank(line.front())) {
    line.remove_prefix(1);
  }
  while (!line.empty() && is_blank(line.back())) {
    line.remove_suffix(1);
  }
  bool negative = false;
  if (!line.empty() && (line.front() == '+' || line.front() == '-')) {
    negative = line.front() == '-';
    line.remove_prefix(1);
  }
  if (line.empty() || line.size() > static_cast<std::size_t>(digits)) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : line) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  if (negative && !allow_negative) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

}  // namespace detail

}  // namespace tavro2d::rt
