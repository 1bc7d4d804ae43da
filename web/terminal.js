// The page of one game: an 80 x 25 xterm.js terminal, the Web Worker that runs the game, and
// the page's line mode (line_mode.js) in front of it. Program B reads whole
// lines through it; program A turns it off at start-up (as it turns off ICANON and ECHO) and
// edits its lines itself from the raw bytes.
import { LineDiscipline } from './line_mode.js';
import { unicodeProvider } from './widths.js';

const COLUMNS = 80;
const ROWS = 25;

const encoder = new TextEncoder();

// The terminal's font: the site's own subset of Noto Sans Mono CJK JP (style.css), whose
// half-width characters are exactly half as wide as the full-width ones; characters it lacks
// fall back to the system's fonts.
const FONT = '"tavro mono", "Noto Sans Mono CJK JP", "MS Gothic", "Osaka-Mono", monospace';
const CLEAR = '\x1b[2J';
// How long output must pause before what it showed is read out.
const ANNOUNCE_AFTER_MS = 250;
// Added text beyond this is no longer news: the whole screen is read out instead.
const MAX_ANNOUNCED = 4 * 80 * 25;

// The font size that style.css gives the terminal for the page's width (80 columns fit it).
function fittedFontSize(element) {
  return parseFloat(getComputedStyle(element).fontSize);
}

// Tells screen readers what the program showed (through the page's live region): the whole
// screen when it was cleared, else the text it added.
class Announcer {
  constructor(term, region) {
    this.term = term;
    this.region = region;
    this.text = '';
    this.cleared = false;
    this.timer = null;
  }

  output(text) {
    const at = text.lastIndexOf(CLEAR);
    if (at >= 0) {
      this.cleared = true;
      this.text = text.slice(at + CLEAR.length);
    } else {
      this.text += text;
    }
    // More than a screen's worth has scrolled by (program B clears with empty lines, and a
    // paste may bring thousands of answers): read out the screen as it then stands, rather than
    // hand screen readers everything that passed.
    if (this.text.length > MAX_ANNOUNCED) {
      this.cleared = true;
      this.text = '';
    }
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.announce(), ANNOUNCE_AFTER_MS);
  }

  announce() {
    let said = this.text;
    if (this.cleared) {
      const buffer = this.term.buffer.active;
      const rows = [];
      for (let y = 0; y < this.term.rows; ++y) {
        rows.push(buffer.getLine(buffer.baseY + y).translateToString(true));
      }
      said = rows.join('\n');
    }
    // Without escape sequences and blank lines.
    said = said
      .replace(/\x1b\[[0-9;?]*[\x40-\x7e]/g, '')
      .split('\n')
      .map((line) => line.trim())
      .filter((line) => line !== '')
      .join('\n');
    this.text = '';
    this.cleared = false;
    if (said !== '') {
      this.region.textContent = said;
    }
  }
}

// Runs `game` ('tavro' or 'tavro-2dgame') in the page's terminal element.
export function startPage(game) {
  // The game starts loading first: its module is fetched and compiled while the terminal is
  // made; what it prints waits in the message queue until the terminal is open.
  const workerUrl = `worker.js?game=${encodeURIComponent(game)}`;
  // A worker that the page's head created for this game before xterm.js had loaded.
  const early = window.tavroWorker;
  const firstWorker = early?.game === game ? early.worker : new Worker(workerUrl);
  const page = { term: null, game, status: null };
  window.tavroPage = page;
  // The terminal measures its cells in the site's font, so it opens once that has loaded (or
  // failed to, when the system's fonts stand in).
  const loaded = document.fonts.load(`16px "tavro mono"`, '地').catch(() => []);
  return loaded.then(() => openTerminal(game, workerUrl, firstWorker, early, page));
}

function openTerminal(game, workerUrl, firstWorker, early, page) {
  const element = document.getElementById('terminal');
  const status = document.getElementById('status');
  const restart = document.getElementById('restart');
  const typing = document.getElementById('typing');
  const typed = document.getElementById('typed');

  const term = new window.Terminal({
    cols: COLUMNS,
    rows: ROWS,
    convertEol: true,
    allowProposedApi: true,
    fontFamily: FONT,
    fontSize: fittedFontSize(element),
    // No scrollback: the screen is the console's 25 rows, and no scrollbar covers its right
    // columns.
    scrollback: 0,
  });
  term.unicode.register(unicodeProvider);
  term.unicode.activeVersion = unicodeProvider.version;
  term.open(element);
  // The rows drawn are the screen's text, which screen readers read as any other text of the
  // page. (xterm.js's screen reader mode keeps a second copy, and drops text that an input
  // method or the system inserts.)
  element.querySelector('.xterm-rows')?.removeAttribute('aria-hidden');
  const announcer = new Announcer(term, document.getElementById('announcement'));
  window.addEventListener('resize', () => {
    const size = fittedFontSize(element);
    if (size !== term.options.fontSize) {
      term.options.fontSize = size;
    }
  });
  // The games never use Tab: it moves the focus on, out of the terminal, and Shift+Tab back.
  term.attachCustomKeyEventHandler((event) => event.key !== 'Tab');

  let worker = null;
  let lineMode = true;
  let keyWait = false;
  let ended = false;
  const lines = new LineDiscipline({
    write: (text, drawn) => term.write(text, drawn),
    send: (text) => sendInput(text),
    columns: () => term.cols,
    cursorColumn: () => term.buffer.active.cursorX,
  });

  function sendInput(text) {
    if (worker && text.length > 0) {
      worker.postMessage({ type: 'input', bytes: encoder.encode(text) });
    }
  }

  // Typed keys, from the terminal or the text field: through the page's line mode while it is
  // on, else to the program as they are.
  function keys(data) {
    if (ended) {
      return;
    }
    keyWait = false;
    if (lineMode) {
      lines.input(data);
    } else {
      sendInput(data);
    }
  }
  term.onData(keys);

  // Where the pointer is a finger, the page offers a text field of its own, which the phone's
  // keyboard and input method edit as any other (xterm.js's hidden one loses keys there); Enter
  // sends what it holds as the keys that type it, then Enter. A tap on the terminal answers a
  // wait for any key, and does not open the keyboard.
  const touch = matchMedia('(pointer: coarse)').matches;
  if (touch) {
    typing.hidden = false;
    term.textarea?.setAttribute('inputmode', 'none');
  }
  typing.addEventListener('submit', (event) => {
    event.preventDefault();
    keys(`${typed.value}\r`);
    typed.value = '';
  });
  element.addEventListener('pointerup', (event) => {
    if (event.pointerType === 'touch' && keyWait) {
      keys('\r');
    }
  });

  // The program has ended (`statusNumber`) or stopped (null): the terminal takes no more keys,
  // the notice below it says why, and its button starts the game again.
  function showEnd(statusNumber, notice) {
    ended = true;
    worker?.terminate();
    worker = null;
    lines.take(); // the rest of a paste is not shown after the end
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
    keyWait = false;
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
          announcer.output(message.text);
          break;
        case 'linemode':
          lineMode = message.on;
          if (!lineMode) {
            sendInput(lines.take());
          }
          break;
        case 'keywait':
          keyWait = message.on;
          break;
        case 'exit':
          showEnd(message.status, `${game} ended with status ${message.status}.`);
          break;
        case 'failed':
          showEnd(null, `${game} could not start: ${message.text}.`);
          break;
        default:
          console.warn('unknown message from the game', message);
      }
    };
    const stopped = async (event) => {
      // An error without a message is the worker's own script failing to load; the page's
      // load_errors.js asks the server why.
      const failure = window.tavroLoadFailure ?? (async () => 'worker.js could not be loaded');
      const notice = event.message
        ? `${game} stopped: ${event.message}`
        : `${game} could not start: ${await failure(workerUrl)}.`;
      console.error(notice);
      showEnd(null, notice);
    };
    worker.onerror = stopped;
    worker.postMessage({ type: 'start' });
    if (worker === early?.worker && early.error) {
      stopped(early.error);
    }
    if (!touch) {
      term.focus();
    }
  }

  restart.addEventListener('click', () => start());
  restart.textContent = `Start ${game} again`;
  // A click anywhere but on a control gives the keyboard back to the terminal (on a touch
  // screen, the text field keeps it).
  document.addEventListener('click', (event) => {
    if (!ended && !touch && !event.target.closest('button, a, input, form')) {
      term.focus();
    }
  });

  // For the browser tests: the terminal, and the exit status once the program has ended.
  page.term = term;
  window.term = term;
  start(firstWorker);
  return page;
}
