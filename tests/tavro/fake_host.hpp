// A scripted host for driving tavro's screens in-process: input bytes given up front, output
// captured write by write, a clock that only moves when the program waits, chosen random
// numbers and pauses that count nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console.hpp"
#include "screens.hpp"

namespace tavro::testing {

// Both the host and the clockwork: pass it twice, Console(host, host), to fix the clock.
class FakeHost final : public Host, public Clockwork {
 public:
  explicit FakeHost(std::string script = {}) : input(std::move(script)) {}

  // Script.
  std::string input;
  std::size_t read_chunk = 1 << 20;  // at most this many bytes per read
  bool terminal = false;
  std::int64_t now_ms = 1'700'000'000'250;  // a quarter past a whole second
  std::int64_t input_arrives_ms = 0;        // waits see no input before this time
  std::vector<int> draws;                   // the random numbers, in order; 0 once used up

  // Record.
  std::string output;
  std::vector<std::string> writes;
  std::vector<unsigned> seeds;
  std::vector<unsigned> pauses;
  std::size_t draws_taken = 0;
  std::size_t reads = 0;

  void write(std::string_view bytes) override {
    output.append(bytes);
    writes.emplace_back(bytes);
  }
  void clear_screen(std::string& frame) override { frame.append(kClear); }
  std::size_t read(char* buffer, std::size_t size) override {
    ++reads;
    const std::size_t n = std::min({size, read_chunk, input.size() - pos_});
    std::copy_n(input.data() + pos_, n, buffer);
    pos_ += n;
    return n;
  }
  [[nodiscard]] bool is_terminal() const override { return terminal; }
  int read_key() override {
    char key = 0;
    return read(&key, 1) == 1 ? static_cast<unsigned char>(key) : -1;
  }
  bool wait_for_input(int timeout_ms) override {
    if (now_ms < input_arrives_ms) {
      now_ms = std::min(now_ms + timeout_ms, input_arrives_ms);
    }
    return now_ms >= input_arrives_ms;
  }
  std::int64_t clock_ms() override { return now_ms; }
  void seed_random(unsigned seed) override { seeds.push_back(seed); }
  int next_random() override {
    const std::size_t i = draws_taken++;
    return i < draws.size() ? draws[i] : 0;
  }
  unsigned pause_steps(unsigned count) override {
    pauses.push_back(count);
    return 0;
  }

  [[nodiscard]] std::size_t unread() const { return input.size() - pos_; }

 private:
  std::size_t pos_ = 0;
};

}  // namespace tavro::testing
