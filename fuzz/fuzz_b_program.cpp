// A whole run of tavro-2dgame on arbitrary input bytes, in-process, with no counted pauses.
// Every screen reads a line, so a run ends at the latest when the input does.
#include <cstdint>

#include "fake_host.hpp"
#include "tavro.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro2d::testing::FakeHost host;
  host.script(std::string(data, data + size));
  host.read_chunk = 5;
  tavro2d::reset_program();
  tavro2d::rt::start(host, host);
  try {
    (void)TAVRO_2DGAME();
  } catch (const tavro2d::rt::EndOfRun& end) {
    if (end.status != 0) {
      __builtin_trap();
    }
  }
  tavro2d::rt::release();
  return 0;
}
