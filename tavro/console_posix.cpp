// The POSIX hosts, chosen once at start-up: when standard input is a terminal whose settings
// can be read, the terminal host (terminal.hpp) over the PosixPort below; otherwise the pipe
// host, which moves bytes and nothing else.
//
// At a terminal its settings are saved once, and the program's mode (terminal_codes.hpp) set
// whenever the program waits for input or writes in the foreground. The editing and job
// characters are the saved ones, as the terminal's own line mode would take them.
//
// Job control. Before the program writes, changes the mode or waits for keys in the
// background, it stops its job with SIGTTOU, as the kernel would with tostop set; back in the
// foreground it takes its mode and draws the screen again. The mode is changed only with
// SIGTTOU unblocked, so a change the kernel would refuse stops the job instead. The job keys
// put the saved mode back, then signal the whole process group (kill(0, ...)): were the
// terminal to send them, a shell running tavro as one process of a job could stop first and
// take the terminal back still in the program's mode.
//
// The saved settings come back on every way out: the end of the run (atexit), std::terminate,
// every signal whose default action ends the process (then that action, so the shell sees
// the usual status), and before every stop, however the signal was sent. A signal the program
// was started with ignored (nohup, a background job without job control) stays ignored.
//
// The terminal's bytes go to standard output when it is the same terminal, or a pipe (a pager
// or `| cat` then shows the screens and the echo in the order they were written); otherwise
// (a file) to the terminal itself, opened by name, and the screens go to the file untouched.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <utility>

#include "console.hpp"
#include "line_editor.hpp"
#include "terminal.hpp"
#include "terminal_codes.hpp"

namespace tavro {

namespace {

// Saved once at start-up; read by the signal handlers, hence plain globals.
termios original_mode{};
termios program_mode{};
// Whether the program has set its mode and not put the saved one back since.
volatile std::sig_atomic_t in_programs_mode = 0;
// Counts SIGCONT: each time the program went on after a stop, or was sent SIGCONT.
volatile std::sig_atomic_t continues = 0;

// Only async-signal-safe calls from here to the handlers' end.
bool in_foreground() {
  const pid_t group = tcgetpgrp(STDIN_FILENO);
  return group == -1 || group == getpgrp();  // -1: not our controlling terminal, no job control
}

// Sets `mode` while the program is in the foreground; tells whether it did. A blocked SIGTTOU
// would let a background process change the mode, so it is unblocked for the call: should the
// terminal have gone to another job since the check, the kernel refuses and stops the program.
bool set_mode(const termios& mode) {
  if (!in_foreground()) {
    return false;
  }
  sigset_t ttou{};
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  sigset_t old{};
  (void)sigprocmask(SIG_UNBLOCK, &ttou, &old);
  const bool set = tcsetattr(STDIN_FILENO, TCSANOW, &mode) == 0;
  (void)sigprocmask(SIG_SETMASK, &old, nullptr);
  return set;
}

// The saved settings back, when the program's mode is what the terminal has.
void give_back_terminal() {
  if (in_programs_mode != 0 && set_mode(original_mode)) {
    in_programs_mode = 0;
  }
}

extern "C" void restore_and_die(int signal_number) {
  // Installed with SA_RESETHAND: the signal raised again takes its default action as soon as
  // the handler returns (a fault: when the instruction runs again).
  give_back_terminal();
  (void)std::raise(signal_number);
}

extern "C" void restore_and_stop(int signal_number) {
  const int saved_errno = errno;
  if (signal_number != SIGTSTP && in_foreground()) {
    // A background read or mode change, but the terminal has been handed over since (fg
    // continued the program before this handler ran): stopping now would stop it in the
    // foreground. The interrupted call is made again.
    errno = saved_errno;
    return;
  }
  give_back_terminal();
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
  errno = saved_errno;
}

extern "C" void note_continued(int /*signal_number*/) {
  continues = continues + 1;
}

// Whether SIGTTOU stops the program: not when it was started with the signal ignored.
bool stops_on_ttou = false;

bool install(int signal_number, void (*handler)(int), int flags) {
  struct sigaction old_action {};
  sigaction(signal_number, nullptr, &old_action);
  if (old_action.sa_handler == SIG_IGN) {
    return false;  // started with the signal ignored (nohup, no job control): leave it so
  }
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int stop_signal : {SIGTSTP, SIGTTIN, SIGTTOU}) {
    sigaddset(&action.sa_mask, stop_signal);
  }
  action.sa_flags = flags;
  sigaction(signal_number, &action, nullptr);
  return true;
}

std::terminate_handler previous_terminate = nullptr;

void restore_and_terminate() {
  give_back_terminal();
  if (previous_terminate != nullptr) {
    previous_terminate();
  }
  std::abort();
}

void install_restorers() {
  // Every signal whose default action ends the process and that a handler can catch.
  for (const int signal_number :
       {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL,
        SIGTRAP, SIGSYS, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ}) {
    (void)install(signal_number, restore_and_die, static_cast<int>(SA_RESETHAND));
  }
  for (const int signal_number : {SIGTSTP, SIGTTIN}) {
    (void)install(signal_number, restore_and_stop, 0);
  }
  stops_on_ttou = install(SIGTTOU, restore_and_stop, 0);
  (void)install(SIGCONT, note_continued, 0);
  previous_terminate = std::set_terminate(restore_and_terminate);
  (void)std::atexit(give_back_terminal);
}

// A character of the terminal's line mode; -1 when it is disabled, or its group (isig,
// iexten) is off.
EditingKeys editing_keys(const termios& mode) {
  const auto key = [&mode](int index, tcflag_t group) {
    const cc_t c = mode.c_cc[index];
    return (mode.c_lflag & group) != group || c == _POSIX_VDISABLE ? -1 : int{c};
  };
  return {key(VERASE, 0),        key(VKILL, 0),
          key(VEOF, 0),          key(VWERASE, IEXTEN),
          key(VREPRINT, IEXTEN), key(VLNEXT, IEXTEN),
          key(VINTR, ISIG),      key(VQUIT, ISIG),
          key(VSUSP, ISIG),      (mode.c_lflag & NOFLSH) == 0};
}

// Whether the terminal is in the program's mode now (reading the mode is allowed to a
// background process too).
bool terminal_in_programs_mode() {
  termios now{};
  return tcgetattr(STDIN_FILENO, &now) == 0 && (now.c_lflag & codes::kProgramModeOff) == 0 &&
         now.c_cc[VMIN] == codes::kProgramMin && now.c_cc[VTIME] == codes::kProgramTime;
}

// Writes all of `bytes` to `fd`; false when it cannot.
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Whether standard output shows on the terminal in order with the echo: the terminal itself,
// or a pipe to a program that shows it.
bool output_reaches_terminal() {
  struct stat input {};
  struct stat output {};
  if (fstat(STDIN_FILENO, &input) != 0 || fstat(STDOUT_FILENO, &output) != 0) {
    return false;
  }
  return isatty(STDOUT_FILENO) == 1 ? input.st_rdev == output.st_rdev
                                    : S_ISFIFO(output.st_mode) || S_ISSOCK(output.st_mode);
}

// A terminal's file descriptors as the Terminal's bytes.
class PosixPort final : public TerminalPort {
 public:
  PosixPort() : screens_on_terminal_(output_reaches_terminal()) {
    if (!screens_on_terminal_) {
      if (const char* name = ttyname(STDIN_FILENO); name != nullptr) {
        out_fd_ = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
      }
      if (out_fd_ < 0) {
        out_fd_ = STDIN_FILENO;  // a terminal is usually open for writing as well
      }
    }
  }
  Wait wait(int timeout_ms) override {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, timeout_ms);
    return ready > 0 ? Wait::kReady : ready < 0 && errno != EINTR ? Wait::kEnd : Wait::kTimeout;
  }

  std::size_t read(char* buffer, std::size_t size) override {
    const ssize_t got = ::read(STDIN_FILENO, buffer, size);
    if (got > 0) {
      return static_cast<std::size_t>(got);
    }
    // Interrupted by a stop and fg: nothing read, and the next wait takes the terminal again.
    return got < 0 && (errno == EINTR || errno == EAGAIN) ? 0 : kEnded;
  }

  bool write(std::string_view bytes) override { return write_all(out_fd_, bytes); }
  bool write_screen(std::string_view bytes) override { return write_all(STDOUT_FILENO, bytes); }
  [[nodiscard]] bool screens_on_terminal() const override { return screens_on_terminal_; }

  std::size_t width() override {
    winsize size{};
    return ioctl(STDIN_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
  }

  bool take_terminal() override {
    while (!in_foreground() && stops_on_ttou) {
      const std::sig_atomic_t before = continues;
      (void)kill(0, SIGTTOU);  // the whole job, as the kernel stops it
      if (continues == before) {
        break;  // the stop was discarded (no job-control shell): go on as the kernel would
      }
    }
    if ((in_programs_mode == 0 || !terminal_in_programs_mode()) && set_mode(program_mode)) {
      in_programs_mode = 1;
    }
    const std::sig_atomic_t before = std::exchange(seen_continues_, continues);
    return before != seen_continues_;
  }

  void job_key(JobKey key) override {
    give_back_terminal();
    (void)kill(0, key == JobKey::kInterrupt ? SIGINT : key == JobKey::kQuit ? SIGQUIT : SIGTSTP);
    // Here when the program goes on: the next wait takes the terminal again.
  }

 private:
  bool screens_on_terminal_;
  int out_fd_ = STDOUT_FILENO;
  std::sig_atomic_t seen_continues_ = 0;
};

// Standard input is no terminal: bytes in, bytes out.
class PipeHost final : public Host {
 public:
  void write(std::string_view bytes) override {
    if (!write_all(STDOUT_FILENO, bytes)) {
      throw EndOfRun{1};  // nobody reads the screens any more
    }
  }
  void clear_screen(std::string& frame) override { frame.append(codes::kClear); }
  std::size_t read(char* buffer, std::size_t size) override {
    ssize_t n = 0;
    do {
      n = ::read(STDIN_FILENO, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  [[nodiscard]] bool is_terminal() const override { return false; }
  int read_key() override { return -1; }
  bool wait_for_input(int timeout_ms) override {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, timeout_ms) > 0;
  }
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  if (isatty(STDIN_FILENO) != 1 || tcgetattr(STDIN_FILENO, &original_mode) != 0) {
    return std::make_unique<PipeHost>();
  }
  program_mode = original_mode;
  program_mode.c_lflag &= ~codes::kProgramModeOff;
  program_mode.c_cc[VMIN] = codes::kProgramMin;
  program_mode.c_cc[VTIME] = codes::kProgramTime;
  install_restorers();
  // A UTF-8 terminal in a Western locale shows East Asian ambiguous characters in one column;
  // the program reads no locale to learn otherwise.
  return make_terminal_host(std::make_unique<PosixPort>(), editing_keys(original_mode), false);
}

}  // namespace tavro
