// The Windows host: the console's single-key read and key test, "cls" to clear, and the
// console's code pages set to 932 while the program runs. When standard input or output is
// not a console (a pipe or a file), it behaves like the POSIX host does with pipes.
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "console.hpp"

namespace tavro {

namespace {

constexpr UINT kCodePage = 932;
constexpr char kEndOfFileKey = 0x1A;  // Ctrl+Z, the console's end of input

// The console's code pages as found at start-up; put back on every way out, including a
// closed console window and Ctrl+C, hence plain globals for the control handler.
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

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

class WindowsHost final : public Host {
 public:
  WindowsHost()
      : input_(GetStdHandle(STD_INPUT_HANDLE)),
        output_(GetStdHandle(STD_OUTPUT_HANDLE)),
        input_console_(is_console(input_)),
        output_console_(is_console(output_)) {
    if (input_console_ || output_console_) {
      original_input_cp = GetConsoleCP();
      original_output_cp = GetConsoleOutputCP();
      SetConsoleCP(kCodePage);
      SetConsoleOutputCP(kCodePage);
      SetConsoleCtrlHandler(on_console_event, TRUE);
    }
    if (!output_console_) {
      _setmode(_fileno(stdout), _O_BINARY);  // a line break stays one byte
    }
  }
  WindowsHost(const WindowsHost&) = delete;
  WindowsHost& operator=(const WindowsHost&) = delete;
  WindowsHost(WindowsHost&&) = delete;
  WindowsHost& operator=(WindowsHost&&) = delete;
  ~WindowsHost() override { restore_code_pages(); }

  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      const auto chunk = static_cast<DWORD>(bytes.size() > 0x10000 ? 0x10000 : bytes.size());
      if (WriteFile(output_, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) {
        throw EndOfRun{1};  // nobody reads the screens any more
      }
      bytes.remove_prefix(written);
    }
  }

  void clear_screen(std::string& frame) override {
    if (!output_console_) {
      frame.append("\x1b[H\x1b[2J");  // no screen to clear: the same marker as elsewhere
      return;
    }
    write(frame);
    frame.clear();
    std::system("cls");  // NOLINT(cert-env33-c): the console's own way to clear
  }

  std::size_t read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(size > 0x10000 ? 0x10000 : size);
    if (ReadFile(input_, buffer, wanted, &got, nullptr) == 0) {
      return 0;  // a broken pipe is the end of the input
    }
    if (input_console_ && got > 0 && buffer[0] == kEndOfFileKey) {
      return 0;
    }
    return got;
  }

  [[nodiscard]] bool is_terminal() const override { return input_console_; }

  int read_key() override { return _getch(); }

  bool wait_for_input(int timeout_ms) override {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    for (;;) {
      if (input_waiting()) {
        return true;
      }
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) {
        return false;
      }
      // Woken by console input at once; the short sleep keeps other console events (focus,
      // mouse), which are no key presses, from turning the wait into a busy loop.
      const auto left = static_cast<DWORD>(deadline - now);
      if (!input_console_ ||
          (WaitForSingleObject(input_, left) == WAIT_OBJECT_0 && _kbhit() == 0)) {
        Sleep(left < 10 ? left : 10);
      }
    }
  }

 private:
  bool input_waiting() {
    if (input_console_) {
      return _kbhit() != 0;
    }
    DWORD available = 0;
    if (GetFileType(input_) == FILE_TYPE_PIPE) {
      // A pipe whose writer has gone reports an error: its end is waiting too.
      return PeekNamedPipe(input_, nullptr, 0, nullptr, &available, nullptr) == 0 || available > 0;
    }
    return true;  // a file is always ready
  }

  HANDLE input_;
  HANDLE output_;
  bool input_console_;
  bool output_console_;
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<WindowsHost>();
}

}  // namespace tavro
