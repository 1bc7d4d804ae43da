// The Windows host: the console's single-key read and key test, "cls" to clear, and the
// console's code pages set to 932 while the program runs. When standard input or output is
// not a console (a pipe or a file), it behaves like the POSIX host does with pipes.
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "console.hpp"

namespace tavro {

namespace {

constexpr UINT kCodePage = 932;
constexpr char kEndOfFileKey = 0x1A;  // Ctrl+Z, the console's end of input
constexpr DWORD kReadChunk = 0x10000;

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

DWORD read_input(HANDLE input, char* buffer, std::size_t size) {
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(std::min<std::size_t>(size, kReadChunk));
  if (ReadFile(input, buffer, wanted, &got, nullptr) == 0) {
    return 0;  // a broken pipe is the end of the input
  }
  return got;
}

// One read of standard input, done on a thread of its own so that the program can wait for
// input, or its end, with a time limit. Pipes cannot be asked reliably whether anything is
// waiting: wine's pipes fail PeekNamedPipe every time, full or empty. The bytes the thread
// got are what the program's next read returns, so nothing is lost or reordered.
struct BackgroundRead {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::vector<char> bytes;  // empty once done: the input has ended
  std::size_t taken = 0;

  // Shared with the thread, which may outlive the host when the program ends mid-read.
  static std::shared_ptr<BackgroundRead> start(HANDLE input) {
    auto read = std::make_shared<BackgroundRead>();
    std::thread([read, input] {
      std::vector<char> got(kReadChunk);
      got.resize(read_input(input, got.data(), got.size()));
      {
        const std::lock_guard lock(read->mutex);
        read->bytes = std::move(got);
        read->done = true;
      }
      read->finished.notify_all();
    }).detach();
    return read;
  }

  bool wait_for(int timeout_ms) {
    std::unique_lock lock(mutex);
    return finished.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return done; });
  }

  // Blocks until the read is done, then hands out what it got; true once all is taken.
  bool take(char* buffer, std::size_t size, std::size_t& given) {
    std::unique_lock lock(mutex);
    finished.wait(lock, [this] { return done; });
    given = std::min(size, bytes.size() - taken);
    std::memcpy(buffer, bytes.data() + taken, given);
    taken += given;
    return taken == bytes.size();
  }
};

class WindowsHost final : public Host {
 public:
  WindowsHost()
      : input_(GetStdHandle(STD_INPUT_HANDLE)),
        output_(GetStdHandle(STD_OUTPUT_HANDLE)),
        input_console_(is_console(input_)),
        output_console_(is_console(output_)),
        input_is_file_(GetFileType(input_) == FILE_TYPE_DISK) {
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
      frame.append(kClearSequence);  // no screen to clear: the same marker as elsewhere
      return;
    }
    write(frame);
    frame.clear();
    std::system("cls");  // NOLINT(cert-env33-c): the console's own way to clear
  }

  std::size_t read(char* buffer, std::size_t size) override {
    if (pending_) {
      std::size_t given = 0;
      if (pending_->take(buffer, size, given)) {
        pending_.reset();
      }
      return given;
    }
    const DWORD got = read_input(input_, buffer, size);
    if (input_console_ && got > 0 && buffer[0] == kEndOfFileKey) {
      return 0;
    }
    return got;
  }

  [[nodiscard]] bool is_terminal() const override { return input_console_; }

  int read_key() override { return _getch(); }

  bool wait_for_input(int timeout_ms) override {
    if (!input_console_) {
      return wait_for_stream(timeout_ms);
    }
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
    for (;;) {
      if (_kbhit() != 0) {
        return true;
      }
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) {
        return false;
      }
      // Woken by console input at once; the short sleep keeps other console events (focus,
      // mouse), which are no key presses, from turning the wait into a busy loop.
      const auto left = static_cast<DWORD>(deadline - now);
      if (WaitForSingleObject(input_, left) == WAIT_OBJECT_0 && _kbhit() == 0) {
        Sleep(left < 10 ? left : 10);
      }
    }
  }

 private:
  // A pipe (or a device) has input, or has ended, once a read of it returns. While the read
  // is pending nothing else touches the input handle: Windows runs the calls on a handle for
  // synchronous I/O one at a time, so any other call would block behind the read.
  bool wait_for_stream(int timeout_ms) {
    if (input_is_file_) {
      return true;  // a file is always ready
    }
    if (!pending_) {
      pending_ = BackgroundRead::start(input_);
    }
    return pending_->wait_for(timeout_ms);
  }

  HANDLE input_;
  HANDLE output_;
  bool input_console_;
  bool output_console_;
  bool input_is_file_;
  std::shared_ptr<BackgroundRead> pending_;  // a read in flight, or not all of it taken yet
};

}  // namespace

std::unique_ptr<Host> make_platform_host() {
  return std::make_unique<WindowsHost>();
}

}  // namespace tavro
