// The console runtime on the process's standard input and output (see runtime.hpp).
#include "runtime.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

namespace tavro2d::rt {

namespace {

struct State {
  Host* host = nullptr;
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

void begin(Host& h) {
  State& s = state();
  s.host = &h;
  s.frame.clear();
  s.frame.reserve(kFrameCapacity);
  s.input_at = s.input_end = 0;
  s.input_ended = false;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

void start(int argc, char** argv) {
  begin(process_host());
  state().argc = argc;
  state().argv = argv;
}

void start(Host& host) {
  begin(host);
}

void release() {
  state().host = nullptr;
}

bool started() {
  return state().host != nullptr;
}

void stop(int status) {
  flush();
  host().end_run(status);
  std::abort();  // a host that returns from end_run is broken
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
  return host().local_time();
}

unsigned pause_steps(unsigned count) {
  return host().pause_steps(count);
}

PauseClock::PauseClock()
    : start_(std::chrono::steady_clock::now()), length_(host().pause_length()) {}

void PauseClock::wait(unsigned done, unsigned parts) const {
  if (parts == 0 || length_.count() <= 0) {
    return;
  }
  host().sleep_until(start_ + length_ * done / parts);
}

void Host::sleep_until(std::chrono::steady_clock::time_point when) {
  std::this_thread::sleep_until(when);
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
