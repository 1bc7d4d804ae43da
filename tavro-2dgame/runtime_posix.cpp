// The process host on POSIX systems: file descriptors 0 and 1; and the real clockwork's local
// clock and sleep. The terminal is left in its own line mode: every answer is a whole line.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "runtime.hpp"

namespace tavro2d::rt {

namespace {

class PosixHost final : public Host {
 public:
  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        throw EndOfRun{EXIT_FAILURE};  // nobody reads the screens any more
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n > 0 ? static_cast<std::size_t>(n) : 0;  // a read error ends the input too
    }
  }
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<PosixHost>();
}

LocalTime Clockwork::local_time() {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  using std::chrono::seconds;
  using std::chrono::system_clock;
  const auto now = system_clock::now();
  const auto whole = std::chrono::time_point_cast<seconds>(now);
  const std::time_t t = system_clock::to_time_t(whole);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900,
          tm.tm_mon + 1,
          tm.tm_mday,
          tm.tm_hour,
          tm.tm_min,
          tm.tm_sec,
          static_cast<int>(duration_cast<milliseconds>(now - whole).count() / 10),
          static_cast<int>(tm.tm_gmtoff / 60)};
}

void Clockwork::sleep_until(std::chrono::steady_clock::time_point when) {
  std::this_thread::sleep_until(when);
}

}  // namespace tavro2d::rt
