// A scripted host and clockwork for tavro-2dgame's runtime, for the in-process tests and the
// fuzz targets: input bytes given up front, output captured write by write, a fixed clock and
// pauses that count nothing and sleep not at all. The random generator is the real one.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "runtime.hpp"

namespace tavro2d::testing {

class FakeHost final : public rt::Host, public rt::Clockwork {
 public:
  std::string input;           // set through script()
  std::size_t read_chunk = 7;  // small, so that lines arrive in pieces
  rt::LocalTime time{2024, 5, 6, 12, 34, 56, 78, 540};

  std::string output;
  std::vector<std::string> writes;
  std::vector<unsigned> pauses;
  std::vector<std::size_t> written_at_pause;  // output.size() when each pause began

  void script(std::string lines) {
    input = std::move(lines);
    read_at_ = 0;
  }
  // How much of the script is not yet read.
  [[nodiscard]] std::size_t unread() const { return input.size() - read_at_; }

  void write(std::string_view bytes) override {
    output.append(bytes);
    writes.emplace_back(bytes);
  }
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min({size, read_chunk, input.size() - read_at_});
    std::copy_n(input.data() + read_at_, n, buffer);
    read_at_ += n;
    return n;
  }

  rt::LocalTime local_time() override { return time; }
  unsigned pause_steps(unsigned count) override {
    pauses.push_back(count);
    written_at_pause.push_back(output.size());
    return 0;
  }
  std::chrono::milliseconds pause_length() override { return std::chrono::milliseconds{0}; }
  void sleep_until(std::chrono::steady_clock::time_point /*when*/) override {}

 private:
  std::size_t read_at_ = 0;
};

}  // namespace tavro2d::testing
