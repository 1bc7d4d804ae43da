// The POSIX host: standard input and output through file descriptors 0 and 1.
//
// When standard input is a terminal, its settings are saved once at start-up and the terminal
// is put into the program's own input mode for the whole run:
//   - ICANON off: the terminal does no line editing; the program's line editor does
//     (line_editor.hpp, reading through TerminalKeys), so that a key typed ahead during the
//     greeting or a pause can still be seen and erased at the next prompt, and a key wait needs no
//     switch of modes;
//   - ECHO, ECHOE, ECHOK, ECHONL off: the editor echoes what it stores, and nothing else;
//   - IEXTEN off: Ctrl+V and Ctrl+O reach the editor, which ignores them, instead of quoting
//     or discarding;
//   - VMIN 1, VTIME 0: a read returns as soon as one byte has been typed;
//   - ISIG, the output processing (OPOST, ONLCR) and the CR-to-line-break translation (ICRNL)
//     stay as they were: Ctrl+C, Ctrl+\ and Ctrl+Z still raise their signals, and line breaks
//     still reach the screen as CR LF.
// The saved settings come back on every way out: the end of the run (the host's destructor),
// SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE. Before the process stops (SIGTSTP, SIGTTIN,
// SIGTTOU) they are put back too, and the program's mode is set again when it goes on, but
// only while it is in the terminal's foreground process group: a background process that
// changed the settings would be stopped by SIGTTOU.
//
// The terminal's width is read with TIOCGWINSZ when first needed and again after SIGWINCH,
// whose handler only notes the change. The host counts the columns of what it writes since the
// last line break or clear, so that the editor knows where the prompt left the cursor.
//
// Output sequences: kClearSequence clears the screen (cursor home, erase the whole display).
// The editor's echo takes back columns with BS, blank, BS, and across a row's end with CR,
// cursor up and forward and erase to the end of the row (console.hpp).
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <optional>

#include "console.hpp"
#include "line_editor.hpp"

namespace tavro {

namespace {

// Saved once at start-up; read by the signal handlers, hence plain globals.
termios original_mode{};
termios program_mode{};
volatile std::sig_atomic_t mode_saved = 0;
// Set when the terminal's width may have changed: at start-up and by SIGWINCH.
volatile std::sig_atomic_t resized = 1;

// A UTF-8 terminal in a Western locale shows East Asian ambiguous characters in one column; the
// program reads no locale to learn otherwise.
constexpr bool kAmbiguousWide = false;

// Only async-signal-safe calls from here to the handlers' end.
bool in_foreground() {
  const pid_t group = tcgetpgrp(STDIN_FILENO);
  return group == -1 || group == getpgrp();  // -1: not our controlling terminal, no job control
}

void set_mode(const termios& mode) {
  if (mode_saved != 0 && in_foreground()) {
    (void)tcsetattr(STDIN_FILENO, TCSANOW, &mode);
  }
}

extern "C" void restore_and_die(int signal_number) {
  // The handler was installed with SA_RESETHAND, so the signal raised again here takes its
  // default action as soon as the handler returns, and the shell sees the usual status.
  set_mode(original_mode);
  (void)std::raise(signal_number);
}

extern "C" void note_resize(int /*signal_number*/) {
  resized = 1;
}

extern "C" void restore_and_stop(int signal_number) {
  const int saved_errno = errno;
  set_mode(original_mode);
  struct sigaction stop {};
  stop.sa_handler = SIG_DFL;
  sigemptyset(&stop.sa_mask);
  struct sigaction ours {};
  (void)sigaction(signal_number, &stop, &ours);
  sigset_t just_this{};
  sigemptyset(&just_this);
  sigaddset(&just_this, signal_number);
  (void)sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  // Stops here until SIGCONT; goes on at once where the system discards the stop, as it does
  // for a process group without a job-control shell.
  (void)std::raise(signal_number);
  (void)sigprocmask(SIG_BLOCK, &just_this, nullptr);
  (void)sigaction(signal_number, &ours, nullptr);
  set_mode(program_mode);
  errno = saved_errno;
}

void install(int signal_number, void (*handler)(int), int flags) {
  struct sigaction old_action {};
  sigaction(signal_number, nullptr, &old_action);
  if (old_action.sa_handler == SIG_IGN) {
    return;  // started with the signal ignored (nohup, no job control): leave it so
  }
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int stop_signal : {SIGTSTP, SIGTTIN, SIGTTOU}) {
    sigaddset(&action.sa_mask, stop_signal);
  }
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
}

void install_signal_handlers() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    install(signal_number, restore_and_die, static_cast<int>(SA_RESETHAND));
  }
  for (const int signal_number : {SIGTSTP, SIGTTIN, SIGTTOU}) {
    install(signal_number, restore_and_stop, 0);
  }
  install(SIGWINCH, note_resize, SA_RESTART);
}

int editing_key(cc_t key) {
  return key == _POSIX_VDISABLE ? -1 : key;
}

// Where typed bytes are echoed: the terminal itself, never a file standard output was
// redirected to.
int open_echo() {
  struct stat input {};
  struct stat output {};
  if (isatty(STDOUT_FILENO) == 1 && fstat(STDIN_FILENO, &input) == 0 &&
      fstat(STDOUT_FILENO, &output) == 0 && input.st_rdev == output.st_rdev) {
    return STDOUT_FILENO;  // in order with the screens, which are written there
  }
  if (const char* name = ttyname(STDIN_FILENO); name != nullptr) {
    if (const int fd = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC); fd >= 0) {
      return fd;
    }
  }
  return STDIN_FILENO;  // a terminal is usually open for writing as well
}

// The terminal's file descriptors as the line editor's key source.
class TerminalKeys final : public KeySource {
 public:
  explicit TerminalKeys(int echo_fd) : echo_fd_(echo_fd) {}

  Wait wait(int timeout_ms) override {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    for (;;) {
      const int ready = poll(&input, 1, timeout_ms);
      if (ready > 0) {
        return Wait::kReady;
      }
      if (ready == 0 || (errno == EINTR && timeout_ms >= 0)) {
        return Wait::kTimeout;
      }
      if (errno != EINTR) {
        return Wait::kEnd;
      }
    }
  }

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, buffer, size);
      if (got > 0) {
        return static_cast<std::size_t>(got);
      }
      if (got < 0 && errno == EINTR) {
        continue;
      }
      return got < 0 && errno == EAGAIN ? 0 : kEnded;
    }
  }

  void echo(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(echo_fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        return;  // an echo that cannot be shown is lost; the line itself is not
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  std::size_t width() override {
    if (resized != 0) {
      resized = 0;
      winsize size{};
      const bool known = ioctl(STDIN_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0;
      width_ = known ? size.ws_col : kDefaultTerminalWidth;
    }
    return width_;
  }

 private:
  int echo_fd_;
  std::size_t width_ = kDefaultTerminalWidth;
};

class PosixHost final : public Host {
 public:
  PosixHost() {
    if (isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &original_mode) == 0) {
      program_mode = original_mode;
      program_mode.c_lflag &=
          ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN);
      program_mode.c_cc[VMIN] = 1;
      program_mode.c_cc[VTIME] = 0;
      mode_saved = 1;
      install_signal_handlers();
      set_mode(program_mode);
      echo_fd_ = open_echo();
      keys_.emplace(echo_fd_);
      editor_.emplace(*keys_,
                      EditingKeys{editing_key(original_mode.c_cc[VERASE]),
                                  editing_key(original_mode.c_cc[VKILL]),
                                  editing_key(original_mode.c_cc[VEOF])},
                      EchoSettings{kAmbiguousWide});
    }
  }
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;
  PosixHost(PosixHost&&) = delete;
  PosixHost& operator=(PosixHost&&) = delete;
  ~PosixHost() override {
    set_mode(original_mode);
    if (echo_fd_ > STDERR_FILENO) {
      close(echo_fd_);
    }
  }

  void write(std::string_view bytes) override {
    if (editor_ && echo_fd_ == STDOUT_FILENO) {
      editor_->screen_shown(bytes);
    }
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

  void clear_screen(std::string& frame) override { frame.append(kClearSequence); }

  std::size_t read(char* buffer, std::size_t size) override {
    if (editor_) {
      return editor_->read(buffer, size);
    }
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, size);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
  }

  [[nodiscard]] bool is_terminal() const override { return editor_.has_value(); }

  int read_key() override { return editor_ ? editor_->read_key() : -1; }

  bool wait_for_input(int timeout_ms) override {
    if (editor_ && editor_->has_pending()) {
      return true;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    // Interrupted by a signal (a stop and its return), the wait ends early, so that the
    // caller looks at its clock again.
    return poll(&input, 1, timeout_ms) > 0;
  }

 private:
  std::optional<TerminalKeys> keys_;  // only when standard input is a terminal
  std::optional<LineEditor> editor_;
  int echo_fd_ = -1;
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<PosixHost>();
}

}  // namespace tavro
