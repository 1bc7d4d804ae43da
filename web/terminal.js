// The page of one game: an 80 x 25 xterm.js terminal, the Web Worker that runs the game, and
// the page's line mode (line_mode.js) in front of it. Program B reads whole
// lines through it; program A turns it off at start-up (as it turns off ICANON and ECHO) and
// edits its lines itself from the raw bytes.
import { LineDiscipline } from './line_mode.js';
import { unicodeProvider } from './widths.js';

const COLUMNS = 80;
const ROWS = 25;

const encoder = new TextEncoder();

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
