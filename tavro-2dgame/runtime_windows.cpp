// The process host on Windows: standard input and output as bytes, and the console's code
// pages set to 932 while the program runs, put back on every way out; and the real
// clockwork's local clock and sleep.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "runtime.hpp"

namespace tavro2d::rt {

namespace {

constexpr UINT kCodePage = 932;
constexpr char kEndOfFileKey = 0x1A;  // Ctrl+Z

// As found at start-up; read by the console control handler, hence plain globals.
UINT original_input_cp = 0;
UINT original_output_cp = 0;

void restore_code_pages() {
  if (original_input_cp != 0) {
    SetConsoleCP(original_input_cp);
  }
  if (original_output_cp != 0) {
    SetConsoleOutputCP(original_output_cp);
  }
}

BOOL WINAPI on_console_event(DWORD /*event*/) {
  restore_code_pages();
  return FALSE;  // the default handler then ends the process as usual
}

class WindowsHost final : public Host {
 public:
  WindowsHost() {
    DWORD mode = 0;
    input_console_ = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    if (input_console_ || GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0) {
      original_input_cp = GetConsoleCP();
      original_output_cp = GetConsoleOutputCP();
      SetConsoleCP(kCodePage);
      SetConsoleOutputCP(kCodePage);
      SetConsoleCtrlHandler(on_console_event, TRUE);
    }
    // Bytes as they are: the program prints code page 932 itself, one byte per line break.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
  }
  WindowsHost(const WindowsHost&) = delete;
  WindowsHost& operator=(const WindowsHost&) = delete;
  WindowsHost(WindowsHost&&) = delete;
  WindowsHost& operator=(WindowsHost&&) = delete;
  ~WindowsHost() override { restore_code_pages(); }

  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const unsigned chunk =
          bytes.size() > 0x10000 ? 0x10000U : static_cast<unsigned>(bytes.size());
      const int n = ::_write(1, bytes.data(), chunk);
      if (n <= 0) {
        throw EndOfRun{EXIT_FAILURE};  // nobody reads the screens any more
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  std::size_t read(char* buffer, std::size_t size) override {
    const unsigned wanted = size > 0x10000 ? 0x10000U : static_cast<unsigned>(size);
    const int n = ::_read(0, buffer, wanted);
    // Ctrl+Z at the start of a console line is the console's end of input.
    if (n <= 0 || (input_console_ && buffer[0] == kEndOfFileKey)) {
      return 0;  // a read error ends the input too
    }
    return static_cast<std::size_t>(n);
  }

 private:
  bool input_console_ = false;
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<WindowsHost>();
}

LocalTime Clockwork::local_time() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;  // minutes west of UTC
  if (kind == TIME_ZONE_ID_DAYLIGHT) {
    bias += zone.DaylightBias;
  } else if (kind == TIME_ZONE_ID_STANDARD) {
    bias += zone.StandardBias;
  }
  return {st.wYear,
          st.wMonth,
          st.wDay,
          st.wHour,
          st.wMinute,
          st.wSecond,
          st.wMilliseconds / 10,
          static_cast<int>(-bias)};
}

void Clockwork::sleep_until(std::chrono::steady_clock::time_point when) {
  std::this_thread::sleep_until(when);
}

}  // namespace tavro2d::rt
