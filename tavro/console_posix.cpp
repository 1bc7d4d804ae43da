// The POSIX host: standard input and output through file descriptors 0 and 1, a terminal
// switched to single-key mode only while the program waits for a key, and the terminal's
// original mode put back on every way out, signals included.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "console.hpp"

namespace tavro {

namespace {

// Saved once at start-up; read by the signal handler, hence plain globals.
termios original_mode{};
volatile std::sig_atomic_t mode_saved = 0;

void restore_terminal() {
  if (mode_saved != 0) {
    (void)tcsetattr(STDIN_FILENO, TCSANOW, &original_mode);
  }
}

extern "C" void restore_and_die(int signal_number) {
  // The handler was installed with SA_RESETHAND, so the signal raised again here takes its
  // default action as soon as the handler returns, and the shell sees the usual status.
  restore_terminal();
  (void)std::raise(signal_number);
}

void install_signal_handlers() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    struct sigaction old_action {};
    sigaction(signal_number, nullptr, &old_action);
    if (old_action.sa_handler == SIG_IGN) {
      continue;  // started with the signal ignored (nohup): leave it so
    }
    struct sigaction action {};
    action.sa_handler = restore_and_die;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    sigaction(signal_number, &action, nullptr);
  }
}

// Single-key mode for the life of one object: no line editing, no echo, signals still on.
class SingleKeyMode {
 public:
  SingleKeyMode() {
    termios mode = original_mode;
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &mode);
  }
  SingleKeyMode(const SingleKeyMode&) = delete;
  SingleKeyMode& operator=(const SingleKeyMode&) = delete;
  SingleKeyMode(SingleKeyMode&&) = delete;
  SingleKeyMode& operator=(SingleKeyMode&&) = delete;
  ~SingleKeyMode() { restore_terminal(); }
};

class PosixHost final : public Host {
 public:
  PosixHost() {
    if (isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &original_mode) == 0) {
      mode_saved = 1;
      install_signal_handlers();
    }
  }
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;
  PosixHost(PosixHost&&) = delete;
  PosixHost& operator=(PosixHost&&) = delete;
  ~PosixHost() override { restore_terminal(); }

  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        throw EndOfRun{1};  // nobody reads the screens any more
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  void clear_screen(std::string& frame) override { frame.append("\x1b[H\x1b[2J"); }

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
  }

  [[nodiscard]] bool is_terminal() const override { return mode_saved != 0; }

  int read_key() override {
    const SingleKeyMode mode;
    unsigned char key = 0;
    return read(reinterpret_cast<char*>(&key), 1) == 1 ? key : -1;  // NOLINT: byte view
  }

  bool wait_for_input(int timeout_ms) override {
    if (is_terminal()) {
      // In line mode the terminal reports nothing until Enter; a key press has to show at once.
      const SingleKeyMode mode;
      return poll_input(timeout_ms);
    }
    return poll_input(timeout_ms);
  }

 private:
  static bool poll_input(int timeout_ms) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    for (;;) {
      const int n = poll(&input, 1, timeout_ms);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n > 0;
    }
  }
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<PosixHost>();
}

}  // namespace tavro
