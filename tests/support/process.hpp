// Runs a built executable as a child process, through pipes or on a pseudo-terminal, feeding
// its input and collecting its output, so that tests can play it as a person or a script would.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace tavro::testing {

using std::chrono::milliseconds;

// The executable under test: `built`, unless the environment variable `name` names another
// build of it (the Windows .exe, say). TAVRO_TEST_RUNNER, when set, is the program that runs
// it (wine, say); children are then started as `runner path`.
std::string program_under_test(const char* name, const char* built);

// The sanitizers multiply a program's memory and processor time, so limits on those are
// checked in plain builds only.
#ifdef TAVRO_SANITIZED
inline constexpr bool kMeasuresResources = false;
#else
inline constexpr bool kMeasuresResources = true;
#endif

struct ExitState {
  bool exited = false;  // ended by itself, with `code`
  int code = -1;
  bool signaled = false;  // ended by `signal`
  int signal = 0;
  bool timed_out = false;  // still running at the deadline, then killed
  long max_rss_kb = 0;     // peak resident memory, the test's own at the fork included
  double cpu_seconds = 0;  // user and system time
};

// How a child on a pseudo-terminal is started.
struct TerminalSetup {
  // Under a small job-control shell, as from an interactive shell: the program runs in its own
  // process group in the terminal's foreground, so that Ctrl+Z really stops it. The shell
  // prints kStoppedMarker when the program stops and resumes it in the foreground, as `fg`
  // does, when it reads a line. Its exit status is the program's.
  bool job_control = false;
  // Standard output goes to a pipe; standard input and error stay on the terminal.
  bool output_piped = false;
};

inline constexpr std::string_view kStoppedMarker = "[stopped]";

class Child {
 public:
  // Standard input and output are pipes; standard error is the test's own.
  static Child piped(const std::string& path);
  // Standard input, output and error are one pseudo-terminal, set up with `mode`.
  static Child on_terminal(const std::string& path, const termios& mode, TerminalSetup setup = {});

  Child(Child&& other) noexcept;
  Child& operator=(Child&&) = delete;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  // Queues bytes for the child's input; they are written while the test waits on the child.
  void send(std::string_view bytes);
  // Waits until everything queued has been written, reading the output meanwhile; tells
  // whether it was, within the timeout.
  bool drain_input(milliseconds timeout);
  // Closes the child's input once everything queued has been written (end of input).
  void close_input();
  // Stops reading the child's output: its reader goes away.
  void close_output();
  // Waits until `done(fresh)` holds for the output not yet taken by take_new_output(), the
  // child ends, or the timeout passes.
  bool read_until(const std::function<bool(std::string_view)>& done, milliseconds timeout);
  // Waits until the output not yet taken ends with `marker`.
  bool read_until_ends_with(std::string_view marker, milliseconds timeout);
  // Waits for the child to end, collecting its output; kills it after the timeout.
  ExitState wait(milliseconds timeout);

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] int terminal_fd() const { return terminal_fd_; }  // the pseudo-terminal's master
  [[nodiscard]] const std::string& output() const { return output_; }
  // What reached the terminal while standard output was piped.
  [[nodiscard]] const std::string& terminal_output() const { return terminal_output_; }
  // The output since the last call of take_new_output().
  std::string take_new_output();
  // The peak resident memory of the program the child runs, so far, from /proc; -1 when it
  // cannot be read (the child has ended). Unlike the peak that wait() reports, it leaves out
  // what the child shared with the test before it started the program.
  [[nodiscard]] long program_peak_rss_kb() const;

 private:
  Child() = default;
  void pump(int timeout_ms);  // one round of writing queued input and reading output
  void reap(bool block);

  pid_t pid_ = -1;
  int in_fd_ = -1;   // our end of the child's input (the master, on a terminal)
  int out_fd_ = -1;  // our end of the child's output
  int terminal_fd_ = -1;
  bool terminal_ = false;
  bool close_when_sent_ = false;
  bool output_ended_ = false;
  std::string pending_;
  std::size_t sent_ = 0;  // how much of pending_ has been written
  std::string output_;
  std::string terminal_output_;
  std::size_t taken_ = 0;
  bool ended_ = false;
  ExitState state_;
};

struct Ran {
  std::string output;
  ExitState exit;
  double seconds = 0;
};

// Runs `path` with all of `input` on a pipe, closed after it, and collects everything.
Ran run_piped(const std::string& path, std::string_view input, milliseconds timeout);

}  // namespace tavro::testing
