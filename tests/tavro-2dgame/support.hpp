// What the in-process tests of tavro-2dgame share: a fresh program with the runtime started on
// a scripted host, typed lines written compactly, and the screens the program must print.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "fake_host.hpp"
#include "runtime.hpp"
#include "screens.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace tavro2d::testing {

// A fresh program with the runtime started on a scripted host.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_program();
    rt::start(host, host);
  }
  void TearDown() override {
    rt::release();
    reset_program();
  }

  // Runs `routine` on `input` (from a fresh runtime); the end status, or -1 when it returned.
  int run(void (*routine)(), const std::string& input = {}) {
    host.script(input);
    rt::start(host, host);
    try {
      routine();
    } catch (const rt::EndOfRun& end) {
      return end.status;
    }
    return -1;
  }
  static void entry() { (void)TAVRO_2DGAME(); }

  FakeHost host;
};

// The typed lines, given with '|' between them, each with its line end.
inline std::string typed(std::string_view lines) {
  std::string s(lines);
  std::replace(s.begin(), s.end(), '|', '\n');
  return s + "\n";
}

}  // namespace tavro2d::testing
