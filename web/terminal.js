// The page of one game: an 80 x 25 xterm.js terminal, the Web Worker that runs the game, and
// the line editing that a POSIX terminal's kernel does in canonical mode. Program B reads whole
// lines through it; program A turns it off at start-up (as it turns off ICANON and ECHO) and
// edits its lines itself from the raw bytes.
import { charWidth, unicodeProvider } from './widths.js';

const COLUMNS = 80;
const ROWS = 25;
// The kernel's canonical line holds 4095 characters and the line break; the rest is dropped.
const MAX_LINE = 4095;

const encoder = new TextEncoder();

// The page's line mode: echo, Backspace erasing the last whole character by its width, Ctrl+W
// the last word, Ctrl+U the line, Enter sending it. Other control keys and escape sequences
// (arrows, function keys, Alt with a key) do nothing.
export class LineDiscipline {
  constructor(echo, send) {
    this.echo = echo; // writes to the terminal
    this.send = send; // hands a finished line to the program
    this.characters = [];
  }

  // Takes what the terminal gives for typed keys (or pasted text).
  input(data) {
    for (let at = 0; at < data.length;) {
      if (data[at] === '\x1b') {
        at = skipEscapeSequence(data, at);
        continue;
      }
      const character = String.fromCodePoint(data.codePointAt(at));
      at += character.length;
      this.key(character);
    }
  }

  key(character) {
    switch (character) {
      case '\r':
      case '\n':
        this.echo('\r\n');
        this.send(this.characters.join('') + '\n');
        this.characters = [];
        return;
      case '\x7f':
      case '\b':
        this.erase(1);
        return;
      case '\x17': // Ctrl+W: trailing blanks, then the word before them
        this.erase(this.wordLength());
        return;
      case '\x15': // Ctrl+U
        this.erase(this.characters.length);
        return;
      default:
        if (character.codePointAt(0) < 0x20 || this.characters.length >= MAX_LINE) {
          return;
        }
        this.characters.push(character);
        this.echo(character);
    }
  }

  wordLength() {
    let count = 0;
    const at = () => this.characters[this.characters.length - 1 - count];
    while (count < this.characters.length && /\s/u.test(at())) {
      ++count;
    }
    while (count < this.characters.length && !/\s/u.test(at())) {
      ++count;
    }
    return count;
  }

  // Removes the last `count` characters and the columns they took on screen.
  erase(count) {
    let columns = 0;
    for (let i = 0; i < count && this.characters.length > 0; ++i) {
      columns += charWidth(this.characters.pop().codePointAt(0));
    }
    if (columns > 0) {
      this.echo('\b'.repeat(columns) + ' '.repeat(columns) + '\b'.repeat(columns));
    }
  }

  // What has been typed of an unfinished line, taken away (when line mode is turned off, the
  // program reads it as it stands).
  take() {
    const text = this.characters.join('');
    this.characters = [];
    return text;
  }
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

// Runs `game` ('tavro' or 'tavro-2dgame') in the page's terminal element.
export function startPage(game) {
  // The game starts loading first: its module is fetched and compiled while the terminal is
  // made; what it prints waits in the message queue until this function has returned.
  const workerUrl = `worker.js?game=${encodeURIComponent(game)}`;
  const firstWorker = new Worker(workerUrl);
  const element = document.getElementById('terminal');
  const status = document.getElementById('status');
  const restart = document.getElementById('restart');

  const term = new window.Terminal({
    cols: COLUMNS,
    rows: ROWS,
    convertEol: true,
    allowProposedApi: true,
    fontFamily: '"Noto Sans Mono CJK JP", "MS Gothic", "Osaka-Mono", monospace',
    fontSize: 16,
  });
  term.unicode.register(unicodeProvider);
  term.unicode.activeVersion = unicodeProvider.version;
  term.open(element);

  let worker = null;
  let lineMode = true;
  let ended = false;
  const lines = new LineDiscipline(
    (text) => term.write(text),
    (text) => sendInput(text)
  );

  function sendInput(text) {
    if (worker && text.length > 0) {
      worker.postMessage({ type: 'input', bytes: encoder.encode(text) });
    }
  }

  term.onData((data) => {
    if (ended) {
      return;
    }
    if (lineMode) {
      lines.input(data);
    } else {
      sendInput(data);
    }
  });

  // The program has ended (`statusNumber`) or stopped (null): the terminal takes no more keys,
  // the notice below it says why, and its button starts the game again.
  function showEnd(statusNumber, notice) {
    ended = true;
    worker?.terminate();
    worker = null;
    term.options.disableStdin = true;
    term.options.cursorInactiveStyle = 'none';
    term.blur();
    status.textContent = notice;
    restart.hidden = false;
    restart.focus();
    page.status = statusNumber;
  }

  function start(startedWorker = null) {
    worker?.terminate();
    ended = false;
    lineMode = true;
    lines.take();
    page.status = null;
    status.textContent = '';
    restart.hidden = true;
    term.options.disableStdin = false;
    term.options.cursorInactiveStyle = 'outline';
    term.reset();
    worker = startedWorker ?? new Worker(workerUrl);
    worker.onmessage = ({ data: message }) => {
      switch (message.type) {
        case 'output':
          term.write(message.text);
          break;
        case 'linemode':
          lineMode = message.on;
          if (!lineMode) {
            sendInput(lines.take());
          }
          break;
        case 'exit':
          showEnd(message.status, `${game} ended with status ${message.status}.`);
          break;
        default:
          console.warn('unknown message from the game', message);
      }
    };
    worker.onerror = (event) => {
      console.error(`${game} stopped:`, event.message);
      showEnd(null, `${game} stopped: ${event.message}`);
    };
    term.focus();
  }

  restart.addEventListener('click', () => start());
  restart.textContent = `Start ${game} again`;
  // A click anywhere but on the button gives the keyboard back to the terminal.
  document.addEventListener('click', (event) => {
    if (!ended && event.target !== restart) {
      term.focus();
    }
  });

  // For the browser tests: the terminal, and the exit status once the program has ended.
  const page = { term, game, status: null };
  window.term = term;
  window.tavroPage = page;
  start(firstWorker);
  return page;
}
