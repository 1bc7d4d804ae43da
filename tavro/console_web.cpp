// The web edition's terminal transport: the program runs in a Web Worker (web/worker.js), which
// hands its output to the page's terminal and queues the bytes the page's keys send. The host
// over it is the terminal host (terminal.hpp), the same as at a POSIX terminal.
//
// At start-up the page's own line mode is switched off, as a POSIX terminal's ICANON and ECHO
// are: the page then sends each key's bytes as a terminal in that mode would (DEL for
// Backspace, CR for Enter, escape sequences for arrows). The page's terminal is 80 columns
// wide, and like a Japanese console it shows every character that code page 932 stores in two
// bytes in two columns, the East Asian ambiguous ones included.
//
// Waiting for a key suspends the program (Asyncify) until the worker has bytes or the time is
// up, so the worker idles while the greeting or a prompt waits. Output goes to the page at
// once: a frame written before the long counted pause after a game is on the screen while the
// program counts.
#include <emscripten.h>

#include <cstddef>

#include "console.hpp"
#include "line_editor.hpp"
#include "terminal.hpp"

// The worker's side (web/worker.js), reached through the module object it created.
// The bodies are JavaScript, which clang-format would break.
// clang-format off
EM_JS(void, page_write, (const char* bytes, std::size_t size),
      { Module.writeOutput(HEAPU8.subarray(bytes, bytes + size)); });
EM_JS(void, page_line_mode, (int on), { Module.setLineMode(on !== 0); });
// The page lets a tap answer a wait for any key, as a touch screen has no keys to press.
EM_JS(void, page_key_wait, (int on), { Module.setKeyWait(on !== 0); });
// Resolves true as soon as typed bytes are queued, false when `timeout_ms` (-1: no limit) has
// passed first.
EM_ASYNC_JS(int, page_wait_input, (int timeout_ms),
            { return (await Module.waitInput(timeout_ms)) ? 1 : 0; });
EM_JS(std::size_t, page_read_input, (char* buffer, std::size_t size), {
  const bytes = Module.readInput(size);
  HEAPU8.set(bytes, buffer);
  return bytes.length;
});
// clang-format on

namespace tavro {

namespace {

// What the page's keys send for the editor's erase, kill, end of file, word-erase, reprint and
// literal-next: Backspace (DEL), Ctrl+U, Ctrl+D, Ctrl+W, Ctrl+R and Ctrl+V, as on a Linux
// terminal. The page has no jobs to interrupt, quit or suspend.
constexpr EditingKeys kPageKeys{0x7F, 0x15, 0x04, 0x17, 0x12, 0x16};
constexpr std::size_t kPageWidth = 80;

class PagePort final : public TerminalPort {
 public:
  PagePort() { page_line_mode(0); }

  Wait wait(int timeout_ms) override {
    return page_wait_input(timeout_ms) != 0 ? Wait::kReady : Wait::kTimeout;
  }
  std::size_t read(char* buffer, std::size_t size) override {
    return page_read_input(buffer, size);
  }
  bool write(std::string_view bytes) override {
    page_write(bytes.data(), bytes.size());
    return true;
  }
  std::size_t width() override { return kPageWidth; }
  void key_wait(bool on) override { page_key_wait(on ? 1 : 0); }
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return make_terminal_host(std::make_unique<PagePort>(), kPageKeys, true);
}

}  // namespace tavro
