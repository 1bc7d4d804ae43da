// A terminal in-process for the line editor and the Terminal: typed bytes in chunks, one chunk a
// read, the input ending after the last; everything written is logged and shown on a screen
// model of the given width. The job keys are logged as <int>, <quit> and <susp>.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "screen_model.hpp"
#include "terminal.hpp"

namespace tavro::testing {

class ScriptedPort final : public TerminalPort {
 public:
  static constexpr std::size_t kHeight = 25;

  explicit ScriptedPort(std::deque<std::string> chunks, std::size_t width = 80)
      : screen(width, kHeight), chunks_(std::move(chunks)), width_(width) {}

  ScreenModel screen;
  std::string log;
  std::size_t width_now = 0;  // when set, the width from now on: the window was resized

  Wait wait(int /*timeout_ms*/) override { return chunks_.empty() ? Wait::kEnd : Wait::kReady; }
  std::size_t read(char* buffer, std::size_t size) override {
    std::string& chunk = chunks_.front();
    const std::size_t n = chunk.copy(buffer, size);
    chunk.erase(0, n);
    if (chunk.empty()) {
      chunks_.pop_front();
    }
    return n;
  }
  bool write(std::string_view bytes) override {
    log.append(bytes);
    screen.feed(bytes);
    return true;
  }
  std::size_t width() override { return width_now == 0 ? width_ : width_now; }
  void job_key(JobKey key) override {
    log += key == JobKey::kInterrupt ? "<int>" : key == JobKey::kQuit ? "<quit>" : "<susp>";
  }

 private:
  std::deque<std::string> chunks_;
  std::size_t width_;
};

}  // namespace tavro::testing
