// A scripted host for tavro-2dgame's runtime: input bytes given up front, output dropped,
// a fixed clock, no pauses; the end of the run arrives as an exception.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>

#include "runtime.hpp"

struct RunEnded {
  int status;
};

class FuzzHost final : public tavro2d::rt::Host {
 public:
  explicit FuzzHost(std::string input) : input_(std::move(input)) {}

  void write(std::string_view bytes) override { written += bytes.size(); }
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min({size, std::size_t{5}, input_.size() - at_});
    std::copy_n(input_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }
  tavro2d::rt::LocalTime local_time() override { return {2024, 1, 2, 3, 4, 5, 6, 0}; }
  void end_run(int status) override { throw RunEnded{status}; }
  unsigned pause_steps(unsigned /*count*/) override { return 0; }
  std::chrono::milliseconds pause_length() override { return std::chrono::milliseconds{0}; }

  std::size_t written = 0;

 private:
  std::string input_;
  std::size_t at_ = 0;
};
