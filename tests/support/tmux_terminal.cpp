#include "tmux_terminal.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tavro::testing {

namespace {

using Clock = std::chrono::steady_clock;

Screen lines_of(const std::string& text) {
  Screen lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    lines.push_back(text.substr(at, stop - at));
    at = stop + 1;
  }
  return lines;
}

}  // namespace

CommandResult run_command(const std::vector<std::string>& args, Output output) {
  CommandResult result;
  std::array<int, 2> out{};
  // Close-on-exec, so that only the child's standard output holds the pipe open.
  if (args.empty() || pipe2(out.data(), O_CLOEXEC) != 0) {
    return result;
  }
  std::vector<std::string> owned = args;  // posix_spawn takes them as char*
  std::vector<char*> argv;
  argv.reserve(owned.size() + 1);
  for (auto& arg : owned) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions{};
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (output == Output::collect) {
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned == 0) {
    std::array<char, 4096> buffer{};
    for (ssize_t n = 0; (n = read(out[0], buffer.data(), buffer.size())) > 0;) {
      result.output.append(buffer.data(), static_cast<std::size_t>(n));
    }
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
      result.status = WEXITSTATUS(status);
    }
  }
  close(out[0]);
  return result;
}

TmuxTerminal::TmuxTerminal(const std::vector<std::string>& command, int columns, int rows) {
  static std::atomic<int> count{0};
  const std::string name = "tavro-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
  socket_ = (std::filesystem::temp_directory_path() / name).string();
  // No status line, so that the program has every row; a program that has ended stays in its
  // pane, so that its last screen can be read. Both are set before the pane exists.
  std::vector<std::string> args = {"start-server",
                                   ";",
                                   "set-option",
                                   "-g",
                                   "status",
                                   "off",
                                   ";",
                                   "set-option",
                                   "-g",
                                   "remain-on-exit",
                                   "on",
                                   ";",
                                   "new-session",
                                   "-d",
                                   "-s",
                                   "test",
                                   "-x",
                                   std::to_string(columns),
                                   "-y",
                                   std::to_string(rows),
                                   "--"};
  // The exit status goes to a file when the program ends. The pane's end cannot tell it:
  // a program may leave others behind on the terminal (wine starts its desktop process there
  // on demand), and the pane lives until the last of them has gone.
  status_file_ = socket_ + ".status";
  std::filesystem::remove(status_file_);
  args.insert(args.end(),
              {"sh", "-c", R"("$@"; echo $? >"$0.part" && mv "$0.part" "$0")", status_file_});
  args.insert(args.end(), command.begin(), command.end());
  // The server that this starts lives on after the call: it must not hold a pipe of ours, or
  // reading the call's output would wait for the server's end.
  started_ = tmux(args, Output::discard).status == 0;
}

TmuxTerminal::~TmuxTerminal() {
  tmux({"kill-server"}, Output::discard);
  std::error_code ignored;
  std::filesystem::remove(socket_, ignored);  // the server leaves it behind
  std::filesystem::remove(status_file_, ignored);
  std::filesystem::remove(status_file_ + ".part", ignored);
}

CommandResult TmuxTerminal::tmux(std::vector<std::string> args, Output output) const {
  // A server of our own, reading no configuration: nothing of the user's tmux gets in.
  args.insert(args.begin(), {"tmux", "-S", socket_, "-f", "/dev/null"});
  return run_command(args, output);
}

void TmuxTerminal::type(std::string_view text) const {
  tmux({"send-keys", "-t", "test", "-l", "--", std::string(text)});
}

void TmuxTerminal::press_enter() const {
  press("Enter");
}

void TmuxTerminal::press(const std::string& key) const {
  tmux({"send-keys", "-t", "test", key});
}

std::string TmuxTerminal::device() const {
  std::string path = tmux({"display-message", "-p", "-t", "test", "#{pane_tty}"}).output;
  while (!path.empty() && path.back() == '\n') {
    path.pop_back();
  }
  return path;
}

Screen TmuxTerminal::screen() const {
  return lines_of(tmux({"capture-pane", "-p", "-t", "test"}).output);
}

bool TmuxTerminal::wait_for_screen(const Screen& expected, std::chrono::milliseconds timeout,
                                   Screen& seen) const {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    seen = screen();
    if (seen == expected) {
      return true;
    }
    if (Clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::optional<int> TmuxTerminal::wait_for_exit(std::chrono::milliseconds timeout) const {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    std::ifstream file(status_file_);
    int status = -1;
    if (file >> status) {
      return status;  // 128 + N: ended by signal N
    }
    if (Clock::now() >= deadline) {
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace tavro::testing
