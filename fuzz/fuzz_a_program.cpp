// A whole run of tavro on arbitrary input bytes, in-process: every screen, with mines from the
// input, no greeting wait and no counted pauses. Every read consumes input, so a run ends at
// the latest when the input does.
#include <cstdint>

#include "console.hpp"
#include "fake_host.hpp"
#include "settings.hpp"
#include "tavro.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro::testing::FakeHost host(std::string(data, data + size));
  for (std::size_t i = 0; i < size && i < 1440; ++i) {
    host.draws.push_back(data[i] % 3 == 0 ? 1 : 0);  // about a third of the cells are mines
  }
  tavro::reset_settings();
  tavro::Console console(host, host);
  const int status = tavro::run(console);
  if (status != 0) {
    __builtin_trap();
  }
  return 0;
}
