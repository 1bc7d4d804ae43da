// The POSIX host: standard input and output through file descriptors 0 and 1.
//
// When standard input is a terminal, its settings are saved once at start-up and the terminal
// is put into the program's own input mode whenever the program waits for input in the
// terminal's foreground:
//   - ICANON off: the terminal does no line editing; the program's line editor does
//     (line_editor.hpp, reading through TerminalKeys), so that a key typed ahead during the
//     greeting or a pause can still be seen and erased at the next prompt, and a key wait
//     needs no switch of modes;
//   - ECHO, ECHOE, ECHOK, ECHONL off: the editor echoes what it stores, and nothing else;
//   - ISIG off: the interrupt, quit and suspend characters reach the editor as bytes. It puts
//     the terminal's own mode back first and then signals the program's whole process group
//     (kill(0, ...)), as the terminal would. Were the terminal to send those signals, a shell
//     that runs tavro as one of several processes of a job could stop or die first, and its
//     interactive shell would take the terminal back while it was still in the program's mode;
//   - IEXTEN off: the literal-next and discard characters reach the editor, which takes the
//     first itself and ignores the second;
//   - VMIN 1, VTIME 0: a read returns as soon as one byte has been typed;
//   - the output processing (OPOST, ONLCR) and the CR-to-line-break translation (ICRNL) stay
//     as they were: line breaks still reach the screen as CR LF.
// The terminal's erase, kill, word-erase, reprint, literal-next, end-of-file, interrupt, quit
// and suspend characters are read from the saved settings; a disabled one does nothing.
//
// The terminal's width is read with TIOCGWINSZ when first needed and again after SIGWINCH,
// whose handler only notes the change. The editor counts the columns of the screens written
// since the last line break or clear, so that it knows where the prompt left the cursor.
//
// The saved settings come back on every way out: the end of the run (the host's destructor),
// SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE, and before the process stops (SIGTSTP,
// SIGTTIN, SIGTTOU), however the signal was sent. The mode is changed only in the terminal's
// foreground process group, and with SIGTTOU unblocked, so that a change the kernel would
// make for a background process is refused instead (it stops the job): the program never
// changes the mode while another job owns the terminal. The program's mode is not set again by
// a signal handler: SIGCONT only marks that the program went on, and each wait for input sets
// the mode again when it finds the program in the foreground and the terminal not in its mode,
// however it got there (fg after a stop or after bg, a start in the background, SIGCONT sent
// by hand). In the background a wait does not read the terminal, which would stop the program
// (SIGTTIN): it looks now and then whether the program has come to the foreground. After a
// stop, or once the program comes to the foreground from the background, the wait draws the
// screen again.
//
// Output sequences: kClearSequence clears the screen (cursor home, erase the whole display),
// also before the screen is drawn again from its record (screen_record.hpp), which holds what
// was written to the terminal since the last clear: screens and echo. The editor's echo uses
// BS, blank, BS to take back one column, shows a control byte taken literally as ^X, and ends
// a line, or starts a reprinted one, with a line break; across a row's end it uses CR, cursor
// up and forward and erase to the end of the row (console.hpp).
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>

#include "console.hpp"
#include "line_editor.hpp"
#include "screen_record.hpp"

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
// Whether the program has set its mode and not put the saved one back since.
volatile std::sig_atomic_t in_programs_mode = 0;
// Set by SIGCONT: the program went on after a stop, or was sent SIGCONT.
std::atomic<bool> continued{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// The local modes that the program's mode turns off.
constexpr tcflag_t kProgramModeOff = ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN | ISIG;

// Only async-signal-safe calls from here to the handlers' end.
bool in_foreground() {
  const pid_t group = tcgetpgrp(STDIN_FILENO);
  return group == -1 || group == getpgrp();  // -1: not our controlling terminal, no job control
}

// Sets `mode` while the program is in the foreground; tells whether it did. A blocked SIGTTOU
// would let a background process change the mode, so it is unblocked for the call: should the
// terminal have gone to another job since the check, the kernel refuses and stops the program.
bool set_mode(const termios& mode) {
  if (mode_saved == 0 || !in_foreground()) {
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

void set_programs_mode() {
  if (set_mode(program_mode)) {
    in_programs_mode = 1;
  }
}

// The saved settings back, when the program's mode is what the terminal has.
void give_back_terminal() {
  if (in_programs_mode != 0 && set_mode(original_mode)) {
    in_programs_mode = 0;
  }
}

extern "C" void restore_and_die(int signal_number) {
  // The handler was installed with SA_RESETHAND, so the signal raised again here takes its
  // default action as soon as the handler returns, and the shell sees the usual status.
  give_back_terminal();
  (void)std::raise(signal_number);
}

extern "C" void note_resize(int /*signal_number*/) {
  resized = 1;
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
  // for a process group without a job-control shell. The next wait for input sets the
  // program's mode again, once the program is in the foreground.
  (void)std::raise(signal_number);
  (void)sigprocmask(SIG_BLOCK, &just_this, nullptr);
  (void)sigaction(signal_number, &ours, nullptr);
  errno = saved_errno;
}

extern "C" void note_continued(int /*signal_number*/) {
  continued.store(true);
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
  install(SIGCONT, note_continued, 0);
}

int editing_key(cc_t key) {
  return key == _POSIX_VDISABLE ? -1 : key;
}

EditingKeys editing_keys(const termios& mode) {
  return {.erase = editing_key(mode.c_cc[VERASE]),
          .kill = editing_key(mode.c_cc[VKILL]),
          .end_of_file = editing_key(mode.c_cc[VEOF]),
          .word_erase = editing_key(mode.c_cc[VWERASE]),
          .reprint = editing_key(mode.c_cc[VREPRINT]),
          .literal_next = editing_key(mode.c_cc[VLNEXT]),
          .interrupt = editing_key(mode.c_cc[VINTR]),
          .quit = editing_key(mode.c_cc[VQUIT]),
          .suspend = editing_key(mode.c_cc[VSUSP])};
}

// Whether the terminal is in the program's mode now (reading the mode is allowed to a
// background process too).
bool terminal_in_programs_mode() {
  termios now{};
  return tcgetattr(STDIN_FILENO, &now) == 0 && (now.c_lflag & kProgramModeOff) == 0 &&
         now.c_cc[VMIN] == 1 && now.c_cc[VTIME] == 0;
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

// The terminal's file descriptors as the line editor's key source. When the screens are
// written to the same terminal, it keeps their record, so that it can draw them again.
class TerminalKeys final : public KeySource {
 public:
  explicit TerminalKeys(int echo_fd) : echo_fd_(echo_fd), recording_(echo_fd == STDOUT_FILENO) {}

  Wait wait(int timeout_ms) override {
    for (;;) {
      take_terminal();
      int ready = 0;
      if (away_) {
        // In the background the terminal's input is the foreground job's, and reading it would
        // stop the program: the wait only looks now and then whether the program has come to
        // the foreground, since a shell may hand the terminal over without sending SIGCONT.
        ready =
            poll(nullptr, 0, timeout_ms < 0 ? kAwayCheckMs : std::min(timeout_ms, kAwayCheckMs));
      } else {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        ready = poll(&input, 1, timeout_ms);
      }
      if (ready > 0) {
        return Wait::kReady;
      }
      if (ready < 0 && errno != EINTR) {
        return Wait::kEnd;
      }
      if (timeout_ms >= 0) {
        return Wait::kTimeout;  // in time, early after a signal or a look: the caller looks again
      }
    }
  }

  std::size_t read(char* buffer, std::size_t size) override {
    const ssize_t got = ::read(STDIN_FILENO, buffer, size);
    if (got > 0) {
      return static_cast<std::size_t>(got);
    }
    // Interrupted (a background read stops the program with SIGTTIN, and fg continues it):
    // nothing read, and the caller's next wait takes the terminal again.
    return got < 0 && (errno == EINTR || errno == EAGAIN) ? 0 : kEnded;
  }

  void echo(std::string_view bytes) override {
    // An echo that cannot be shown is lost; the line itself is not.
    (void)write_all(echo_fd_, bytes);
    note_output(bytes);
  }

  void job_key(JobKey key) override {
    give_back_terminal();
    (void)kill(0, key == JobKey::kInterrupt ? SIGINT : key == JobKey::kQuit ? SIGQUIT : SIGTSTP);
    // Here when the program goes on: the next wait sets its mode again.
  }

  void redraw() override {
    if (recording_) {
      (void)write_all(echo_fd_, record_.redrawn());  // one piece, as a frame is
    }
  }

  // Bytes written to the screen by the host.
  void note_output(std::string_view bytes) {
    if (recording_) {
      record_.add(bytes);
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
  static constexpr int kAwayCheckMs = 250;

  // Before each wait: in the foreground, the terminal in the program's mode, and the screen
  // drawn again when the program has just come back.
  void take_terminal() {
    const bool came_back = continued.exchange(false);
    if (!in_foreground()) {
      away_ = true;
      return;
    }
    if (in_programs_mode == 0 || !terminal_in_programs_mode()) {
      set_programs_mode();
    }
    if (came_back || away_) {
      away_ = false;
      redraw();
    }
  }

  int echo_fd_;
  std::size_t width_ = kDefaultTerminalWidth;
  bool recording_;
  bool away_ = false;  // last seen in the background
  ScreenRecord record_;
};

class PosixHost final : public Host {
 public:
  PosixHost() {
    if (isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &original_mode) == 0) {
      program_mode = original_mode;
      program_mode.c_lflag &= ~kProgramModeOff;
      program_mode.c_cc[VMIN] = 1;
      program_mode.c_cc[VTIME] = 0;
      mode_saved = 1;
      install_signal_handlers();
      set_programs_mode();
      echo_fd_ = open_echo();
      keys_.emplace(echo_fd_);
      editor_.emplace(*keys_, editing_keys(original_mode), EchoSettings{kAmbiguousWide});
    }
  }
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;
  PosixHost(PosixHost&&) = delete;
  PosixHost& operator=(PosixHost&&) = delete;
  ~PosixHost() override {
    give_back_terminal();
    if (echo_fd_ > STDERR_FILENO) {
      close(echo_fd_);
    }
  }

  void write(std::string_view bytes) override {
    if (!write_all(STDOUT_FILENO, bytes)) {
      throw EndOfRun{1};  // nobody reads the screens any more
    }
    if (editor_ && echo_fd_ == STDOUT_FILENO) {  // the screens and the echo share a terminal
      keys_->note_output(bytes);
      editor_->screen_shown(bytes);
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
    if (!editor_) {
      pollfd input{STDIN_FILENO, POLLIN, 0};
      return poll(&input, 1, timeout_ms) > 0;
    }
    // The editor takes the bytes in and acts on the job keys and Ctrl+L, which are no key
    // press; it may end the wait early, and the caller then looks at its clock again.
    return editor_->has_pending() || editor_->key_waiting(timeout_ms);
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
