// Building one frame of the largest map (24 x 60) in tavro: the screen clear, the map drawing
// and the move prompt, assembled in memory and handed to an output that drops it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "console.hpp"
#include "settings.hpp"
#include "tavro.hpp"

namespace {

class NullHostA final : public tavro::Host {
 public:
  void write(std::string_view bytes) override { benchmark::DoNotOptimize(bytes.data()); }
  void clear_screen(std::string& frame) override { frame.append(tavro::kClearSequence); }
  std::size_t read(char* /*buffer*/, std::size_t /*size*/) override { return 0; }
  [[nodiscard]] bool is_terminal() const override { return false; }
  int read_key() override { return -1; }
  bool wait_for_input(int /*timeout_ms*/) override { return true; }
};

void ProgramAFrame(benchmark::State& state) {
  NullHostA host;
  tavro::Console console(host);
  tavro::use_console(&console);
  tavro::global_col = 24;
  tavro::global_row = 60;
  std::vector<char> map(std::size_t{24} * 60, '-');
  for (std::size_t i = 0; i < map.size(); i += 7) {
    map[i] = '*';
  }
  for ([[maybe_unused]] auto _ : state) {
    console.clear_screen();
    tavro::map_print(map, 12, 30, 0);
    console.print("up -> 8 , down -> k , left -> u , right -> o\n->");
    console.flush();
  }
  tavro::use_console(nullptr);
  tavro::reset_settings();
}
BENCHMARK(ProgramAFrame);

}  // namespace

BENCHMARK_MAIN();
