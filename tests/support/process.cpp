#include "process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>

namespace tavro::testing {

namespace {

using Clock = std::chrono::steady_clock;

void ignore_sigpipe() {
  static const bool once = [] {
    std::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not kill the test
    return true;
  }();
  (void)once;
}

[[noreturn]] void exec_child(const std::string& path) {
  std::signal(SIGPIPE, SIG_DFL);  // the test ignores it; the program gets the usual default
  if (const char* runner = std::getenv("TAVRO_TEST_RUNNER"); runner != nullptr && *runner != 0) {
    execlp(runner, runner, path.c_str(), static_cast<char*>(nullptr));
  } else {
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
  }
  _exit(127);
}

void set_nonblocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

std::string program_under_test(const char* name, const char* built) {
  const char* chosen = std::getenv(name);
  return chosen != nullptr && *chosen != 0 ? chosen : built;
}

Child Child::piped(const std::string& path) {
  ignore_sigpipe();
  std::array<int, 2> in{};
  std::array<int, 2> out{};
  if (pipe(in.data()) != 0 || pipe(out.data()) != 0) {
    throw std::runtime_error("pipe failed");
  }
  Child child;
  child.pid_ = fork();
  if (child.pid_ < 0) {
    throw std::runtime_error("fork failed");
  }
  if (child.pid_ == 0) {
    dup2(in[0], STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    for (const int fd : {in[0], in[1], out[0], out[1]}) {
      close(fd);
    }
    exec_child(path);
  }
  close(in[0]);
  close(out[1]);
  child.in_fd_ = in[1];
  child.out_fd_ = out[0];
  set_nonblocking(child.in_fd_);
  set_nonblocking(child.out_fd_);
  return child;
}

namespace {

void read_a_line(int fd) {
  char c = 0;
  while (read(fd, &c, 1) == 1 && c != '\n' && c != '\r') {
  }
}

// The part of an interactive shell that job control needs, in the terminal's session.
[[noreturn]] void run_under_job_control(const std::string& path) {
  for (const int signal_number : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT}) {
    std::signal(signal_number, SIG_IGN);
  }
  const pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    tcsetpgrp(STDIN_FILENO, getpgrp());
    for (const int signal_number : {SIGTTOU, SIGTTIN, SIGTSTP, SIGINT, SIGQUIT}) {
      std::signal(signal_number, SIG_DFL);
    }
    exec_child(path);
  }
  setpgid(job, job);
  tcsetpgrp(STDIN_FILENO, job);
  for (;;) {
    int status = 0;
    if (waitpid(job, &status, WUNTRACED) != job) {
      _exit(126);
    }
    if (WIFSTOPPED(status)) {
      tcsetpgrp(STDIN_FILENO, getpgrp());
      const std::string marker = std::string(kStoppedMarker) + "\n";
      (void)!write(STDOUT_FILENO, marker.data(), marker.size());
      read_a_line(STDIN_FILENO);
      tcsetpgrp(STDIN_FILENO, job);
      kill(-job, SIGCONT);
    } else if (WIFEXITED(status)) {
      _exit(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
      std::signal(WTERMSIG(status), SIG_DFL);
      raise(WTERMSIG(status));
      _exit(128 + WTERMSIG(status));
    }
  }
}

}  // namespace

Child Child::on_terminal(const std::string& path, const termios& mode, TerminalSetup setup) {
  ignore_sigpipe();
  Child child;
  std::array<int, 2> out{-1, -1};
  if (setup.output_piped && pipe(out.data()) != 0) {
    throw std::runtime_error("pipe failed");
  }
  int master = -1;
  termios initial = mode;
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 120;
  child.pid_ = forkpty(&master, nullptr, &initial, &size);
  if (child.pid_ < 0) {
    throw std::runtime_error("forkpty failed");
  }
  if (child.pid_ == 0) {
    if (setup.output_piped) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
    }
    if (setup.job_control) {
      run_under_job_control(path);
    }
    exec_child(path);
  }
  child.terminal_ = true;
  child.in_fd_ = master;
  child.out_fd_ = master;
  child.terminal_fd_ = master;
  if (setup.output_piped) {
    close(out[1]);
    child.out_fd_ = out[0];
    set_nonblocking(child.out_fd_);
  }
  set_nonblocking(master);
  return child;
}

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      in_fd_(std::exchange(other.in_fd_, -1)),
      out_fd_(std::exchange(other.out_fd_, -1)),
      terminal_fd_(std::exchange(other.terminal_fd_, -1)),
      terminal_(other.terminal_),
      close_when_sent_(other.close_when_sent_),
      output_ended_(other.output_ended_),
      pending_(std::move(other.pending_)),
      sent_(other.sent_),
      output_(std::move(other.output_)),
      terminal_output_(std::move(other.terminal_output_)),
      taken_(other.taken_),
      ended_(other.ended_),
      state_(other.state_) {}

Child::~Child() {
  if (pid_ > 0 && !ended_) {
    kill(pid_, SIGKILL);
    reap(true);
  }
  if (in_fd_ >= 0 && in_fd_ != out_fd_) {
    close(in_fd_);
  }
  if (out_fd_ >= 0) {
    close(out_fd_);
  }
}

void Child::send(std::string_view bytes) {
  pending_.append(bytes);
  pump(0);
}

bool Child::drain_input(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!pending_.empty() && in_fd_ >= 0 && !ended_) {
    if (Clock::now() >= deadline) {
      return false;
    }
    pump(std::min(remaining_ms(deadline), 50));
  }
  return pending_.empty();
}

void Child::close_input() {
  close_when_sent_ = true;
  pump(0);
}

void Child::close_output() {
  if (out_fd_ >= 0 && out_fd_ != in_fd_) {
    close(out_fd_);
    out_fd_ = -1;
    output_ended_ = true;
  }
}

void Child::reap(bool block) {
  if (ended_) {
    return;
  }
  int status = 0;
  rusage usage{};
  const pid_t got = wait4(pid_, &status, block ? 0 : WNOHANG, &usage);
  if (got != pid_) {
    return;
  }
  ended_ = true;
  state_.max_rss_kb = usage.ru_maxrss;
  state_.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (WIFEXITED(status)) {
    state_.exited = true;
    state_.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    state_.signaled = true;
    state_.signal = WTERMSIG(status);
  }
}

void Child::pump(int timeout_ms) {
  // Input first, without blocking; then wait for output, unless the last of the input has
  // just gone out: the caller may have more to send.
  const bool was_pending = !pending_.empty();
  while (!pending_.empty() && in_fd_ >= 0) {
    const ssize_t n = write(in_fd_, pending_.data() + sent_, pending_.size() - sent_);
    if (n <= 0) {
      if (n < 0 && errno == EPIPE) {
        pending_.clear();  // the child has closed its input; the rest is lost to it
        sent_ = 0;
      }
      break;
    }
    // Counted rather than erased piece by piece, which would copy a long input over and over.
    sent_ += static_cast<std::size_t>(n);
    if (sent_ == pending_.size()) {
      pending_.clear();
      sent_ = 0;
    }
  }
  if (pending_.empty() && close_when_sent_ && !terminal_ && in_fd_ >= 0) {
    close(in_fd_);
    in_fd_ = -1;
  }
  if (output_ended_) {
    // Nothing more to read: wait for room in the input pipe, or just for the child to end.
    pollfd input{in_fd_ != out_fd_ && !pending_.empty() ? in_fd_ : -1, POLLOUT, 0};
    poll(&input, 1, std::min(timeout_ms, 10));
    reap(false);
    return;
  }
  pollfd fds[3] = {{out_fd_, POLLIN, 0}, {-1, POLLOUT, 0}, {-1, POLLIN, 0}};
  if (!pending_.empty() && in_fd_ >= 0 && in_fd_ != out_fd_) {
    fds[1].fd = in_fd_;
  }
  if (terminal_fd_ >= 0 && terminal_fd_ != out_fd_) {
    fds[2].fd = terminal_fd_;  // standard output is piped: the terminal shows only echoes
  }
  if (poll(fds, 3, was_pending && pending_.empty() ? 0 : timeout_ms) <= 0) {
    return;
  }
  std::array<char, 65536> buffer{};
  if ((fds[2].revents & POLLIN) != 0) {
    const ssize_t n = read(terminal_fd_, buffer.data(), buffer.size());
    if (n > 0) {
      terminal_output_.append(buffer.data(), static_cast<std::size_t>(n));
    }
  }
  if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
    const ssize_t n = read(out_fd_, buffer.data(), buffer.size());
    if (n > 0) {
      output_.append(buffer.data(), static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EAGAIN) {
      output_ended_ = true;  // end of the pipe, or EIO once the terminal's child has gone
    }
  }
}

bool Child::read_until(const std::function<bool(std::string_view)>& done, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  const auto fresh = [&] { return std::string_view(output_).substr(taken_); };
  while (!done(fresh())) {
    if (output_ended_ || Clock::now() >= deadline) {
      return done(fresh());
    }
    pump(std::min(remaining_ms(deadline), 50));
  }
  return true;
}

bool Child::read_until_ends_with(std::string_view marker, milliseconds timeout) {
  return read_until([&](std::string_view fresh) { return fresh.ends_with(marker); }, timeout);
}

long Child::program_peak_rss_kb() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) {
      return std::stol(line.substr(6));
    }
  }
  return -1;
}

std::string Child::take_new_output() {
  std::string fresh = output_.substr(taken_);
  taken_ = output_.size();
  return fresh;
}

ExitState Child::wait(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!ended_) {
    if (Clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      reap(true);
      state_.timed_out = true;
      break;
    }
    pump(std::min(remaining_ms(deadline), 50));
    reap(false);
  }
  // Whatever the child wrote just before it ended.
  for (int i = 0; i < 100 && !output_ended_; ++i) {
    pump(10);
  }
  return state_;
}

Ran run_piped(const std::string& path, std::string_view input, milliseconds timeout) {
  const auto start = Clock::now();
  Child child = Child::piped(path);
  child.send(input);
  child.close_input();
  Ran ran;
  ran.exit = child.wait(timeout);
  ran.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ran.output = child.output();
  return ran;
}

}  // namespace tavro::testing
