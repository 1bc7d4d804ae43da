// Drives tavro-2dgame's routines in-process: scripted input, captured output, a fixed clock and
// pauses that count nothing. The end of the run arrives as a RunEnded exception.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "runtime.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace tavro2d::testing {

struct RunEnded {
  int status;
};

class ScriptHost final : public rt::Host {
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
  void end_run(int status) override { throw RunEnded{status}; }
  unsigned pause_steps(unsigned count) override {
    pauses.push_back(count);
    written_at_pause.push_back(output.size());
    return 0;
  }
  std::chrono::milliseconds pause_length() override { return std::chrono::milliseconds{0}; }

 private:
  std::size_t read_at_ = 0;
};

// A fresh program with the runtime started on a script host.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_program();
    rt::start(host);
  }
  void TearDown() override {
    rt::release();
    reset_program();
  }

  // Runs `routine` on `input` (from a fresh runtime); the end status, or -1 when it returned.
  int run(void (*routine)(), const std::string& input = {}) {
    host.script(input);
    rt::start(host);
    try {
      routine();
    } catch (const RunEnded& end) {
      return end.status;
    }
    return -1;
  }
  static void entry() { (void)TAVRO_2DGAME(); }

  ScriptHost host;
};

}  // namespace tavro2d::testing
