// Every control sequence program A sends to a terminal, and every terminal mode it sets, in one
// place. Nothing else is used: no absolute cursor addressing, colours or queries.
#pragma once

#include <string>
#include <string_view>

namespace tavro::codes {

// Cursor home, then erase the whole display. Clears the screen where no "cls" exists and marks
// the clear in piped output; at a terminal it also starts the screen drawn again (after fg, a
// resize or Ctrl+L) from the record of what was written since the last clear.
inline constexpr std::string_view kClear = "\x1b[H\x1b[2J";
// The part of kClear that puts the cursor home: what follows it starts at the top left.
inline constexpr std::string_view kHome = "\x1b[H";
// Back to the row's first column: the line editor goes back to its line's start from there.
inline constexpr char kCarriageReturn = '\r';
// Erase from the cursor to the end of the display: the old line and any rows it wrapped onto,
// before the line is written again.
inline constexpr std::string_view kEraseBelow = "\x1b[J";

// Cursor up `rows` rows (ESC [ n A), and forward `columns` columns (ESC [ n C); nothing for 0.
inline std::string cursor_up(std::size_t rows) {
  return rows == 0 ? std::string() : "\x1b[" + std::to_string(rows) + "A";
}
inline std::string cursor_forward(std::size_t columns) {
  return columns == 0 ? std::string() : "\x1b[" + std::to_string(columns) + "C";
}

// How the line editor shows what a terminal would not show in a column of its own: a control
// byte in caret notation (^X for 0x18, ^? for DEL), a tab as one blank, and a byte that is no
// character of the build's encoding (or a C1 control) as a visible replacement.
inline constexpr char kCaret = '^';
#ifdef TAVRO_UTF8_OUTPUT
inline constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD, one column
#else
inline constexpr std::string_view kReplacement = "?";
#endif

}  // namespace tavro::codes

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <termios.h>

namespace tavro::codes {

// The program's input mode, set whenever it waits for input in the terminal's foreground, and
// taken back at every stop and every way out:
//   - ICANON off: the program's line editor edits (a key typed ahead can still be erased);
//   - ECHO, ECHOE, ECHOK, ECHONL off: the editor shows what it stores, and nothing else;
//   - ISIG off: the interrupt, quit and suspend characters reach the editor, which gives the
//     terminal its mode back first and then signals the whole job, as the terminal would;
//   - IEXTEN off: word erase, reprint and literal-next reach the editor;
//   - VMIN 1, VTIME 0: a read returns as soon as one byte is typed.
// Output processing (OPOST, ONLCR) and CR translation (ICRNL) stay as found.
inline constexpr tcflag_t kProgramModeOff = ICANON | ECHO | ECHOE | ECHOK | ECHONL | IEXTEN | ISIG;
inline constexpr cc_t kProgramMin = 1;
inline constexpr cc_t kProgramTime = 0;

}  // namespace tavro::codes
#endif
