// What the in-process tests of tavro share: the program on a scripted console from its initial
// settings, and the screens it must print.
#pragma once

#include <gtest/gtest.h>

#include "console.hpp"
#include "fake_host.hpp"
#include "screens.hpp"
#include "settings.hpp"
#include "tavro.hpp"

namespace tavro::testing {

// The initial settings, and a console on a scripted host installed for the screens; both are
// put back afterwards, so that no test sees another's settings.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_settings();
    use_console(&console_);
  }
  void TearDown() override {
    use_console(nullptr);
    reset_settings();
  }

  FakeHost host_;
  Console console_{host_, host_};
};

// Plays a whole run on `host` from the initial settings; its exit status.
inline int play_run(FakeHost& host) {
  reset_settings();
  Console console(host, host);
  return run(console);
}

}  // namespace tavro::testing
