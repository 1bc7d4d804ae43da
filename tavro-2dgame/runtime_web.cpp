// The process host in a web page: the program runs in a Web Worker (web/worker.js), which
// hands its output to the page's terminal and queues what the page sends. The page keeps its
// own line mode on, as a terminal left in canonical mode does: it echoes and edits, and sends
// each finished line with its line break. The browser's clock gives the real clockwork its
// local time. When the program entry returns, the worker tells the page the exit status.
//
// A read or a pause suspends the program (Asyncify) until the worker has a line or the time
// is up. Without threads the C library's sleep would spin, so the pause sleeps through the
// worker's timer instead.
#include <emscripten.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <memory>

#include "runtime.hpp"

// The worker's side (web/worker.js), reached through the module object it created.
// The bodies are JavaScript, which clang-format would break.
// clang-format off
EM_JS(void, page_write, (const char* bytes, std::size_t size),
      { Module.writeOutput(HEAPU8.subarray(bytes, bytes + size)); });
// Resolves once typed bytes are queued.
EM_ASYNC_JS(void, page_wait_input, (), { await Module.waitInput(-1); });
EM_JS(std::size_t, page_read_input, (char* buffer, std::size_t size), {
  const bytes = Module.readInput(size);
  HEAPU8.set(bytes, buffer);
  return bytes.length;
});
EM_ASYNC_JS(void, page_sleep, (int milliseconds), { await Module.sleep(milliseconds); });
// Year, month, day, hour, minute, second, hundredths and the offset from UTC in minutes.
EM_JS(void, page_local_time, (int* fields), {
  const now = new Date();
  HEAP32.set([now.getFullYear(), now.getMonth() + 1, now.getDate(), now.getHours(),
              now.getMinutes(), now.getSeconds(), Math.floor(now.getMilliseconds() / 10),
              -now.getTimezoneOffset()], fields >> 2);
});
// clang-format on

namespace tavro2d::rt {

namespace {

class WebHost final : public Host {
 public:
  void write(std::string_view bytes) override { page_write(bytes.data(), bytes.size()); }

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      page_wait_input();
      if (const std::size_t got = page_read_input(buffer, size); got > 0) {
        return got;
      }
    }
  }
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<WebHost>();
}

LocalTime Clockwork::local_time() {
  std::array<int, 8> f{};
  page_local_time(f.data());
  return {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

void Clockwork::sleep_until(std::chrono::steady_clock::time_point when) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
  if (left.count() > 0) {
    page_sleep(static_cast<int>(left.count()));
  }
}

}  // namespace tavro2d::rt
