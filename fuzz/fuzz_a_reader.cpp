// tavro's console reader on arbitrary bytes: a script of reads (numbers, words, lines,
// echoed numbers, discards, key waits and key tests) chosen by the first bytes, over the rest as
// input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "console.hpp"
#include "fake_host.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string operations = provider.ConsumeRandomLengthString(64);
  tavro::testing::FakeHost host(provider.ConsumeRemainingBytesAsString());
  host.read_chunk = 1 + host.input.size() % 7;
  host.terminal = !operations.empty() && operations[0] == 't';
  tavro::Console console(host);
  try {
    for (const char op : operations) {
      switch (static_cast<unsigned char>(op) % 7) {
        case 0:
          (void)console.read_number(-1);
          break;
        case 1:
          (void)console.read_word();
          break;
        case 2:
          (void)console.read_line();
          break;
        case 3:
          console.discard_input();
          break;
        case 4:
          (void)console.wait_key();
          break;
        case 5:
          (void)console.echo_number("=");
          break;
        default:
          (void)console.key_hit(10);
          break;
      }
    }
  } catch (const tavro::EndOfRun& end) {
    if (end.status != 0) {
      __builtin_trap();  // the end of input must end the run normally
    }
  }
  return 0;
}
