// A terminal of a fixed size with one program running in it, kept by a tmux server of its own:
// keys are typed with send-keys, and the screen is read with capture-pane as the text a person
// sees there, whatever control sequences drew it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::testing {

using Screen = std::vector<std::string>;  // one string per line, without trailing blanks

struct CommandResult {
  int status = -1;  // the exit status; -1 when it could not run or ended by a signal
  std::string output;
};

enum class Output { collect, discard };

// Runs `args` (the program is looked up on PATH) with no input, and collects its standard
// output or sends it and the error output nowhere.
CommandResult run_command(const std::vector<std::string>& args, Output output = Output::collect);

class TmuxTerminal {
 public:
  // Starts `command` in a new terminal of `columns` x `rows`; started() tells whether tmux did.
  TmuxTerminal(const std::vector<std::string>& command, int columns, int rows);
  TmuxTerminal(const TmuxTerminal&) = delete;
  TmuxTerminal& operator=(const TmuxTerminal&) = delete;
  TmuxTerminal(TmuxTerminal&&) = delete;
  TmuxTerminal& operator=(TmuxTerminal&&) = delete;
  ~TmuxTerminal();

  [[nodiscard]] bool started() const { return started_; }

  // Types `text` as it stands, one key per character.
  void type(std::string_view text) const;
  // Presses Enter, which the terminal sends as a carriage return.
  void press_enter() const;
  // Presses a key by its tmux name: "C-z", "BSpace".
  void press(const std::string& key) const;
  // The path of the terminal's device, where `stty -F` reads its mode from outside.
  [[nodiscard]] std::string device() const;

  [[nodiscard]] Screen screen() const;
  // Waits until the screen is `expected`; false, with the last screen in `seen`, at the timeout.
  bool wait_for_screen(const Screen& expected, std::chrono::milliseconds timeout,
                       Screen& seen) const;
  // The program's exit status once it has ended, waiting at most `timeout` for that.
  [[nodiscard]] std::optional<int> wait_for_exit(std::chrono::milliseconds timeout) const;

 private:
  CommandResult tmux(std::vector<std::string> args, Output output = Output::collect) const;

  std::string socket_;
  std::string status_file_;  // written once the program has ended
  bool started_ = false;
};

}  // namespace tavro::testing
