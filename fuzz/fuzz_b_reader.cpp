// tavro-2dgame's line-into-item reading on arbitrary bytes: lines read one after another into
// number, text and move-line items chosen by the first bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fake_host.hpp"
#include "storage.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavro2d;
  FuzzedDataProvider provider(data, size);
  const std::string items = provider.ConsumeRandomLengthString(32);
  testing::FakeHost host;
  host.script(provider.ConsumeRemainingBytesAsString());
  host.read_chunk = 5;
  rt::start(host, host);
  Signed<1> one;
  Signed<2> two;
  Unsigned<2> unsigned_two;
  Text<13> text;
  Line<80> line;
  try {
    for (const char item : items) {
      switch (static_cast<unsigned char>(item) % 5) {
        case 0:
          rt::read_line(one);
          if (one < -9 || one > 9) {
            __builtin_trap();
          }
          break;
        case 1:
          rt::read_line(two);
          if (two < -99 || two > 99) {
            __builtin_trap();
          }
          break;
        case 2:
          rt::read_line(unsigned_two);
          if (unsigned_two < 0 || unsigned_two > 99) {
            __builtin_trap();
          }
          break;
        case 3:
          rt::read_line(text);
          break;
        default:
          rt::read_line(line);
          break;
      }
    }
  } catch (const rt::EndOfRun& end) {
    if (end.status != 0) {
      __builtin_trap();
    }
  }
  rt::release();
  return 0;
}
