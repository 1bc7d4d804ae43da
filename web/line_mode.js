// The page's line mode: the line editing that a POSIX terminal's kernel does in canonical mode,
// for a program that reads whole lines (tavro-2dgame). It echoes what is typed, hands each
// finished line to the program, and erases as tavro's own editor does at a terminal: a
// character with the combining marks after it, by the columns it took (two for a wide one),
// back across the rows a long line has wrapped onto. Other control keys and escape sequences
// (arrows, function keys, Alt with a key) do nothing.
//
// An erase never steps back with BS, which does not cross a row's start: it puts the cursor
// on the first column of the last character that stays (CR, then up and right), blanks from
// there to the end of the screen and shows that character again, which also leaves the cursor
// after a character that filled its row exactly as the terminal left it. Only that end of the
// line is drawn again, so that a line taller than the screen erases as well. For that the line
// mode places the line's characters as the terminal did, from the column where the line began
// (read from the terminal once what was shown before it has been drawn) and the terminal's
// width as it is at the erase.
//
// A paste may bring many thousands of lines at once. They are taken in slices of a few
// milliseconds, each written to the terminal and handed to the program in one piece, with the
// page free to draw and take events between them; nothing is dropped and the order is kept.
import { charWidth } from './widths.js';

// The kernel's canonical line holds 4095 characters and the line break; the rest is dropped.
const MAX_LINE = 4095;
// How long one slice of typed or pasted text may take, and how much echo it may leave for the
// terminal to draw, before the line mode lets the page do other work.
const SLICE_MS = 8;
const SLICE_ECHO = 32 * 1024;
// How many keys are taken between two looks at the clock.
const KEYS_PER_LOOK = 256;

const ERASE = new Set(['\x7f', '\b']);
const KILL = '\x15'; // Ctrl+U
const WORD_ERASE = '\x17'; // Ctrl+W

const isBlank = (character) => character === ' ' || character === '\t';
const isControl = (codePoint) => codePoint < 0x20 || (codePoint >= 0x7f && codePoint < 0xa0);
const nextTask = (run) => setTimeout(run, 0);

export class LineDiscipline {
  // write(text, drawn): shows text on the terminal; drawn(), when given, is called once the
  // terminal has taken it and everything before it. send(text): hands finished lines (each
  // with its line break) to the program. columns(): the terminal's width. cursorColumn(): the
  // column of the terminal's cursor, from its width when a full row defers its wrap.
  constructor({ write, send, columns, cursorColumn, later = nextTask }) {
    this.write = write;
    this.send = send;
    this.columns = columns;
    this.cursorColumn = cursorColumn;
    this.later = later;
    this.queue = []; // typed or pasted text not yet taken, in the pieces the terminal gave it
    this.at = 0; // where in queue[0] the next key starts
    this.echo = ''; // for the terminal, written at the end of each slice
    this.finished = ''; // whole lines for the program, handed over at the end of each slice
    this.scheduled = false;
    this.waiting = false; // for the column where the line began, before an erase
    this.idle = [];
    this.clearLine();
  }

  clearLine() {
    // The line's characters, each with the marks after it: { text, columns, length }.
    this.characters = [];
    this.length = 0; // code points in the line
    this.start = null; // the column where the line began, once known
    this.measuring = null; // the request for it under way
    this.placed = []; // where characters[i] shows: { row, column } from the line's first row
    this.placedFor = null; // the start and width that `placed` was worked out for
  }

  // Takes what the terminal gives for typed keys (or pasted text).
  input(data) {
    if (data.length === 0) {
      return;
    }
    this.queue.push(data);
    if (!this.scheduled && !this.waiting) {
      this.run();
    }
  }

  // Resolves once everything given to input() has been taken, echoed and handed over.
  settled() {
    if (this.queue.length === 0) {
      return Promise.resolve();
    }
    return new Promise((resolve) => this.idle.push(resolve));
  }

  // What has been typed of an unfinished line, taken away, with what is typed after it but not
  // yet taken, as it was typed: when line mode is turned off, the program reads and edits it.
  take() {
    const text =
      this.characters.map((character) => character.text).join('') +
      this.queue.join('').slice(this.at);
    this.flush();
    this.queue = [];
    this.at = 0;
    this.waiting = false;
    this.clearLine();
    this.notifyIdle();
    return text;
  }

  // One slice: keys until the slice's time or echo is used up, then the echo and the finished
  // lines handed on, and the rest left for a later task.
  run() {
    this.scheduled = false;
    const deadline = performance.now() + SLICE_MS;
    let count = 0;
    while (this.queue.length > 0 && !this.waiting) {
      if (
        ++count % KEYS_PER_LOOK === 0 &&
        (performance.now() > deadline || this.echo.length > SLICE_ECHO)
      ) {
        break;
      }
      this.nextKey();
    }
    this.flush();
    if (this.characters.length === 0 && this.measuring === null) {
      // What the program shows before the next key moves where the next line begins.
      this.start = null;
    }
    if (this.queue.length > 0 && !this.waiting) {
      this.scheduled = true;
      this.later(() => this.run());
    } else if (this.queue.length === 0) {
      this.notifyIdle();
    }
  }

  notifyIdle() {
    for (const resolve of this.idle.splice(0)) {
      resolve();
    }
  }

  flush() {
    if (this.echo.length > 0) {
      this.write(this.echo);
      this.echo = '';
    }
    if (this.finished.length > 0) {
      this.send(this.finished);
      this.finished = '';
    }
  }

  // Takes the next key from the queue and acts on it; an erase that needs the line's start
  // column before it is known stays in the queue, and the slices wait for that column.
  nextKey() {
    const data = this.queue[0];
    let next;
    let key = null;
    if (data[this.at] === '\x1b') {
      next = skipEscapeSequence(data, this.at);
    } else {
      key = String.fromCodePoint(data.codePointAt(this.at));
      next = this.at + key.length;
    }
    if (key !== null && !this.act(key)) {
      this.waiting = true;
      return;
    }
    this.at = next;
    if (this.at >= data.length) {
      this.queue.shift();
      this.at = 0;
    }
  }

  // Acts on one typed character; false when it is an erase that must wait for the start column.
  act(key) {
    if (key === '\r' || key === '\n') {
      this.echo += '\r\n';
      this.finished += `${this.characters.map((character) => character.text).join('')}\n`;
      this.clearLine();
      this.start = 0; // where the line break left the cursor, unless the program shows more
      return true;
    }
    if (ERASE.has(key) || key === KILL || key === WORD_ERASE) {
      if (this.characters.some((character) => character.columns > 0) && this.start === null) {
        return false;
      }
      this.erase(key === KILL ? 0 : key === WORD_ERASE ? this.wordStart() : this.length - 1);
      return true;
    }
    const codePoint = key.codePointAt(0);
    if (!isControl(codePoint) && this.length < MAX_LINE) {
      this.add(key, charWidth(codePoint));
    }
    return true;
  }

  add(key, columns) {
    if (this.length === 0 && this.start === null && this.measuring === null) {
      this.measureStart();
    }
    const last = this.characters[this.characters.length - 1];
    if (columns === 0 && last) {
      last.text += key; // a mark belongs to the character before it
      last.length += 1;
    } else {
      this.characters.push({ text: key, columns, length: 1 });
    }
    this.length += 1;
    this.echo += key;
  }

  // Asks for the cursor's column once the terminal has drawn everything before the line.
  measureStart() {
    const request = {};
    this.measuring = request;
    this.flush();
    this.write('', () => {
      if (this.measuring !== request) {
        return;
      }
      this.measuring = null;
      this.start = this.cursorColumn();
      if (this.waiting) {
        this.waiting = false;
        this.scheduled = true;
        this.later(() => this.run());
      }
    });
  }

  // Where Ctrl+W cuts the line, in code points: before the blanks at its end and the word
  // before them.
  wordStart() {
    const codePoints = [...this.characters.map((character) => character.text).join('')];
    let keep = codePoints.length;
    while (keep > 0 && isBlank(codePoints[keep - 1])) {
      --keep;
    }
    while (keep > 0 && !isBlank(codePoints[keep - 1])) {
      --keep;
    }
    return keep;
  }

  // Takes whole characters off the line's end until at most `keep` code points are left, and
  // shows the line's end again from the last character that stays.
  erase(keep) {
    if (this.length <= keep) {
      return;
    }
    const width = Math.max(1, this.columns());
    this.place(width);
    const end = this.end(width);
    let shown = false;
    while (this.length > keep && this.characters.length > 0) {
      const erased = this.characters.pop();
      this.placed.length = this.characters.length;
      this.length -= erased.length;
      shown ||= erased.columns > 0;
    }
    if (!shown) {
      return; // only marks typed first, drawn on what stood before the line
    }
    let last = this.characters.findLastIndex((character) => character.columns > 0);
    if (last > 0 && this.placed[last].column === 0) {
      // Blanking from a row's start would cut that row off the one above (the terminal keeps
      // them one line for copying and rewrapping): the character before it wraps it again.
      last = this.characters.findLastIndex((character, i) => i < last && character.columns > 0);
    }
    const from = last < 0 ? this.startPosition(width) : this.placed[last];
    this.echo += `\r${moveBy('A', end.row - from.row)}${moveBy('C', from.column)}\x1b[J`;
    if (last >= 0) {
      this.echo += this.characters
        .slice(last)
        .map((character) => character.text)
        .join('');
    }
  }

  // Brings `placed` up to the line's characters, for the terminal's current width: each one
  // where the one before it ended, or whole at the start of the next row when it does not fit.
  place(width) {
    const start = Math.min(this.start ?? 0, width);
    if (this.placedFor?.start !== start || this.placedFor?.width !== width) {
      this.placed = [];
      this.placedFor = { start, width };
    }
    for (let i = this.placed.length; i < this.characters.length; ++i) {
      const { columns } = this.characters[i];
      const after = i === 0 ? { row: 0, column: start } : this.after(i - 1);
      const wraps = columns > 0 && after.column > 0 && after.column + columns > width;
      this.placed.push(wraps ? { row: after.row + 1, column: 0 } : after);
    }
  }

  after(i) {
    const { row, column } = this.placed[i];
    return { row, column: column + this.characters[i].columns };
  }

  // The row the cursor is on after the line's last character (its column may be the width
  // itself: the wrap deferred).
  end(width) {
    return this.characters.length === 0
      ? this.startPosition(width)
      : this.after(this.characters.length - 1);
  }

  // Where the first character goes: the column where the line began, or the next row's start
  // when the line began after a full row.
  startPosition(width) {
    const start = Math.min(this.start ?? 0, width);
    return start >= width ? { row: 1, column: 0 } : { row: 0, column: start };
  }
}

// CSI n A (up) or n C (right), nothing for no move.
function moveBy(direction, count) {
  return count > 0 ? `\x1b[${count}${direction}` : '';
}

// The index after the escape sequence that starts at `at`: CSI (ESC [ ... final byte), SS3
// (ESC O and one character), or ESC and one character.
function skipEscapeSequence(data, at) {
  let next = at + 1;
  if (next >= data.length) {
    return next;
  }
  if (data[next] === '[') {
    ++next;
    while (next < data.length && !/[\x40-\x7e]/.test(data[next])) {
      ++next;
    }
    return next + 1;
  }
  if (data[next] === 'O') {
    return Math.min(next + 2, data.length);
  }
  return next + String.fromCodePoint(data.codePointAt(next)).length;
}
