// Building one frame of the largest map (24 x 60) in tavro-2dgame: the 25 empty lines, the
// map drawing and the move prompt, assembled in memory and handed to an output that drops it.
#include <benchmark/benchmark.h>

#include <string_view>

#include "runtime.hpp"
#include "storage.hpp"
#include "tavro.hpp"

namespace {

class NullHostB final : public tavro2d::rt::Host {
 public:
  void write(std::string_view bytes) override { benchmark::DoNotOptimize(bytes.data()); }
  std::size_t read(char* /*buffer*/, std::size_t /*size*/) override { return 0; }
};

void ProgramBFrame(benchmark::State& state) {
  using tavro2d::ws;
  using namespace std::string_view_literals;
  NullHostB host;
  tavro2d::reset_program();
  tavro2d::rt::start(host, tavro2d::rt::real_clockwork());
  ws.MAP_ROWS = 24;
  ws.MAP_COLS = 60;
  for (int i = 0; i < 24 * 60; ++i) {
    ws.MAP_CELL(i) = i % 7 == 0 ? '*' : '-';
  }
  ws.PLAYER_ROW = 12;
  ws.PLAYER_COL = 30;
  for ([[maybe_unused]] auto _ : state) {
    tavro2d::map_print();
    tavro2d::rt::print_line("up -> "sv, ws.KEY_UP, " , down -> "sv, ws.KEY_DOWN, " , left -> "sv,
                            ws.KEY_LEFT, " , right -> "sv, ws.KEY_RIGHT);
    tavro2d::rt::flush();
  }
  tavro2d::rt::release();
  tavro2d::reset_program();
}
BENCHMARK(ProgramBFrame);

}  // namespace

BENCHMARK_MAIN();
