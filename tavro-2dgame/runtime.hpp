// The console runtime of tavro-2dgame: whole lines out, whole lines in, and the end of the run.
// Output is gathered per screen and written in one piece when the program next reads, pauses
// or stops. What differs between platforms (standard input and output) sits behind the small
// Host interface; the local time, the random generator and the pause behind Clockwork, which
// tests replace. So a test can script a whole run in-process.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <random>
#include <string_view>

#include "storage.hpp"

namespace tavro2d::rt {

// The real time over which the pause after a game spreads its steps: long enough to read the
// final map and its message, short enough not to hold up the next game.
inline constexpr std::chrono::milliseconds kPauseLength{1500};

// Thrown to end the run: by the end of the main menu, by a read once standard input has
// ended, and by a host whose output nobody reads any more. The process entry turns it into
// the exit status; a test catches it.
struct EndOfRun {
  int status;
};

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
  int utc_offset_minutes = 0;
};

// What the platform provides. One real implementation per platform; tests script their own.
class Host {
 public:
  Host() = default;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  Host(Host&&) = delete;
  Host& operator=(Host&&) = delete;
  virtual ~Host() = default;

  // Writes all of `bytes` to standard output; throws EndOfRun{EXIT_FAILURE} when nobody reads
  // it any more, since the screens need not be computed then.
  virtual void write(std::string_view bytes) = 0;
  // Reads up to `size` bytes of standard input, blocking for at least one; 0 at its end.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// The platform's real host for the process's standard input and output.
std::unique_ptr<Host> make_platform_host();

// The local time, the random generator and the pause after a game. This base is the real one,
// with the platform's clock and sleep; a test derives its own to fix them.
class Clockwork {
 public:
  Clockwork() = default;  // NOLINT(cert-msc32-c,cert-msc51-cpp): seeded at start-up, not here
  Clockwork(const Clockwork&) = delete;
  Clockwork& operator=(const Clockwork&) = delete;
  Clockwork(Clockwork&&) = delete;
  Clockwork& operator=(Clockwork&&) = delete;
  virtual ~Clockwork() = default;

  // The local date and time, with the offset from UTC (defined per platform).
  virtual LocalTime local_time();
  // The random generator: seeded with a whole number, each draw a fraction in [0, 1).
  virtual void seed_random(unsigned seed);
  virtual double draw_fraction();
  // How many of a pause's `count` idle steps are really run; only tests shorten it.
  virtual unsigned pause_steps(unsigned count) { return count; }
  // The real time a pause lasts; only tests shorten it.
  virtual std::chrono::milliseconds pause_length() { return kPauseLength; }
  // Sleeps until `when`, leaving the processor idle (defined per platform: the thread's own
  // sleep, unless the platform has none that does not spin).
  virtual void sleep_until(std::chrono::steady_clock::time_point when);

 private:
  // One sequence for the whole run, seeded from the clock at start-up.
  std::mt19937 generator_;
};

// The one real Clockwork.
Clockwork& real_clockwork();

// Starts the runtime on `host` and `clockwork`, with nothing read or printed yet. The process's
// arguments are kept for the life of the run; nothing in the program looks at them.
void start(Host& host, Clockwork& clockwork, int argc = 0, char** argv = nullptr);
// Back to not started.
void release();
[[nodiscard]] bool started();

// Writes what is gathered, then ends the run: throws EndOfRun{status}.
[[noreturn]] void stop(int status);
// Reports `message` on standard error and ends the process with a failure status.
[[noreturn]] void fatal(std::string_view message);

void flush();
[[nodiscard]] LocalTime local_time();
[[nodiscard]] unsigned pause_steps(unsigned count);
void seed_random(unsigned seed);
[[nodiscard]] double draw_fraction();

// Spreads a pause over the clockwork's pause length, from the moment it is made: wait(done, parts)
// sleeps until `done` of `parts` equal shares of that length have passed, or returns at once
// when they already have (on a machine too slow for the pace).
class PauseClock {
 public:
  PauseClock();
  void wait(unsigned done, unsigned parts) const;

 private:
  std::chrono::steady_clock::time_point start_;
  std::chrono::milliseconds length_;
};

// The bytes kept of one input line; longer lines keep only their start, but their length.
inline constexpr std::size_t kLineKept = 4096;

namespace detail {

void append(std::string_view bytes);
void end_line();
// The next input line without its line end (LF, or CR LF), after writing the gathered output.
// At the end of input the run ends with status 0. `length` is the line's whole length.
std::string_view take_line(std::size_t& length);
// The value of a typed number: an optional sign and 1 to `digits` digits, blanks around.
std::optional<int> number_of(std::string_view line, std::size_t length, int digits,
                             bool allow_negative);

inline void piece(std::string_view text) {
  append(text);
}
template <int D, bool S>
void piece(const Number<D, S>& item) {
  const auto shown = item.display();
  append({shown.data(), shown.size()});
}
template <std::size_t W>
void piece(const Text<W>& item) {
  append(item.view());
}

}  // namespace detail

// Prints one line: the pieces one after another (a number item in all its digits, a text item
// in its whole width), then the line end. No pieces print an empty line.
template <typename... Pieces>
void print_line(const Pieces&... pieces) {
  (detail::piece(pieces), ...);
  detail::end_line();
}

// Reads one line into a number item. Any line that is not a number the item can hold gives
// the item's lowest value (-9 for one signed digit), which no screen accepts.
template <int D, bool S>
void read_line(Number<D, S>& item) {
  std::size_t length = 0;
  const std::string_view line = detail::take_line(length);
  item = detail::number_of(line, length, D, S).value_or(Number<D, S>::kMin);
}

// Reads one line into a text item: its first bytes, padded with spaces.
template <std::size_t W>
void read_line(Text<W>& item) {
  std::size_t length = 0;
  item = detail::take_line(length);
}

template <std::size_t K>
void read_line(Line<K>& item) {
  std::size_t length = 0;
  const std::string_view line = detail::take_line(length);
  item.assign(line, length);
}

}  // namespace tavro2d::rt
