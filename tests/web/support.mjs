// What the browser tests share: the site served as static files (compressed) on 127.0.0.1,
// headless Chromium driven by playwright-core, the page's terminal read row by row, and the
// expected screens of the native tests laid out as a terminal shows them.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before } from 'node:test';
import { mkdtempSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

import { serveDirectory } from './static_server.mjs';

const require = createRequire(import.meta.url);
const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const { chromium } = require(join(root, 'web/node_modules/playwright-core'));

export const ROWS = 25;
export const START_MS = 20000; // loading and compiling a game, on a slow machine
export const ANSWER_MS = 5000;
export const site = process.env.TAVRO_WEB_SITE ?? join(root, 'build/web/site');

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The expected screens of both programs' native tests (tests/*/screens.hpp), as the UTF-8
// build prints them: compiled from those headers and printed as JSON, once per test file.
export function expectedScreens() {
  const dir = mkdtempSync(join(tmpdir(), 'tavro-web-'));
  const exe = join(dir, 'expected_screens');
  execFileSync(process.env.CXX ?? 'c++', [
    '-std=c++20',
    '-DTAVRO_UTF8_OUTPUT',
    `-I${root}/common`,
    `-I${root}/tests/support`,
    join(root, 'tests/web/expected_screens.cpp'),
    '-o',
    exe,
  ]);
  return JSON.parse(execFileSync(exe, { encoding: 'utf8' }));
}

// What the terminal shows once a program has printed `text` since its start, and `typed` has
// been echoed at the cursor: from the last clearing on (ESC [ H ESC [ 2 J), line after line,
// blanks at the ends of lines dropped, scrolled up when there are more lines than rows.
export function rendered(text, typed = '') {
  const clear = '\x1b[H\x1b[2J';
  const at = text.lastIndexOf(clear);
  const shown = (at < 0 ? text : text.slice(at + clear.length)) + typed;
  const lines = shown.split('\n').map((line) => line.replace(/ +$/, ''));
  const screen = lines.slice(-ROWS);
  while (screen.length < ROWS) {
    screen.push('');
  }
  return screen;
}

// The site served as an ordinary web host serves it (static_server.mjs).
export function serveSite() {
  return serveDirectory(site);
}

// Chromium's sandbox cannot run as root.
export const browserArgs = () => (process.getuid?.() === 0 ? ['--no-sandbox'] : []);

// Headless Chromium; `env` adds to its environment (FONTCONFIG_FILE, say).
export async function launchBrowser(env = {}) {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: browserArgs(),
    env: { ...process.env, ...env },
  });
}

// For the tests of a file: the expected screens, the site served and a browser, from before
// the first test to after the last; `open(file)` opens a game's page.
export function browserSession() {
  const session = { screens: null, server: null, browser: null };
  before(async () => {
    session.screens = expectedScreens();
    session.server = await serveSite();
    session.browser = await launchBrowser();
  });
  after(async () => {
    await session.browser?.close();
    session.server?.close();
  });
  session.open = (file, options) =>
    GamePage.open(session.browser, session.server.url, file, options);
  return session;
}

// A phone as the DevTools protocol emulates one: its screen, touch and user agent.
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, mobile: true };
const PHONE_AGENT =
  'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 ' +
  '(KHTML, like Gecko) Chrome/156.0.0.0 Mobile Safari/537.36';

// One game's page in a fresh browser context (made with `options` besides its size), with
// every error that the page or its worker reports collected in `errors`; `phone` emulates a
// phone, and `beforeLoad(page)` runs before the page is loaded.
export class GamePage {
  static async open(browser, url, file, { phone = false, beforeLoad = null, ...options } = {}) {
    const context = await browser.newContext({
      viewport: phone ? null : { width: 1000, height: 700 },
      ...options,
    });
    const page = await context.newPage();
    const game = new GamePage(context, page);
    game.cdp = await context.newCDPSession(page);
    if (phone) {
      await game.cdp.send('Emulation.setDeviceMetricsOverride', PHONE);
      await game.cdp.send('Emulation.setTouchEmulationEnabled', {
        enabled: true,
        maxTouchPoints: 5,
      });
      await game.cdp.send('Emulation.setUserAgentOverride', { userAgent: PHONE_AGENT });
    }
    page.on('console', (message) => game.noteConsole('page', message));
    page.on('pageerror', (error) => game.errors.push(`page: ${error.message}`));
    page.on('worker', (worker) =>
      worker.on('console', (message) => game.noteConsole('worker', message))
    );
    await beforeLoad?.(page);
    game.navigated = performance.now();
    await page.goto(url + file);
    await page.waitForFunction(() => window.term !== undefined);
    return game;
  }

  constructor(context, page) {
    this.context = context;
    this.page = page;
    this.errors = [];
  }

  noteConsole(where, message) {
    if (message.type() === 'error') {
      this.errors.push(`${where}: ${message.text()}`);
    }
  }

  close() {
    return this.context.close();
  }

  // The terminal's 25 rows (the screen, not the scrollback above it), blanks at the ends of
  // lines dropped.
  screen() {
    return this.page.evaluate(() => {
      const buffer = window.term.buffer.active;
      const rows = [];
      for (let y = 0; y < 25; ++y) {
        rows.push(
          buffer
            .getLine(buffer.baseY + y)
            .translateToString(true)
            .replace(/ +$/, '')
        );
      }
      return rows;
    });
  }

  // The cells of row `y` of the screen: each one's characters and width (2 for the first half
  // of a wide character, 0 for its second half).
  cells(y) {
    return this.page.evaluate((row) => {
      const buffer = window.term.buffer.active;
      const line = buffer.getLine(buffer.baseY + row);
      const cells = [];
      for (let x = 0; x < line.length; ++x) {
        const cell = line.getCell(x);
        cells.push([cell.getChars(), cell.getWidth()]);
      }
      return cells;
    }, y);
  }

  // Waits until `test(screen)` holds; the screen that passed, or a failed assertion showing
  // the last screen seen (`expected` is shown as well, when it is a screen).
  async waitFor(test, timeoutMs, what, expected) {
    const deadline = performance.now() + timeoutMs;
    for (;;) {
      const seen = await this.screen();
      if (test(seen)) {
        return seen;
      }
      if (performance.now() > deadline) {
        if (expected) {
          assert.deepEqual(seen, expected, `timed out waiting for ${what}`);
        }
        assert.fail(`timed out waiting for ${what}; the screen:\n|${seen.join('\n|')}`);
      }
      await sleep(25);
    }
  }

  // The page's clock (ms) when row `y` of the screen first reads `text`, watched in the page
  // itself every 5 ms, so that a busy test process does not delay the reading.
  async shownAt(y, text, timeoutMs) {
    const handle = await this.page.waitForFunction(
      ([row, wanted]) => {
        const buffer = window.term.buffer.active;
        const line = buffer.getLine(buffer.baseY + row).translateToString(true);
        return line.replace(/ +$/, '') === wanted && performance.now();
      },
      [y, text],
      { polling: 5, timeout: timeoutMs }
    );
    return handle.jsonValue();
  }

  async screenIs(expected) {
    return (await this.screen()).every((row, y) => row === expected[y]);
  }

  waitForScreen(expected, timeoutMs = 5000) {
    return this.waitFor(
      (seen) => seen.every((row, y) => row === expected[y]),
      timeoutMs,
      'the screen',
      expected
    );
  }

  type(text) {
    return this.page.keyboard.type(text);
  }

  press(key) {
    return this.page.keyboard.press(key);
  }

  // A finger's tap on the middle of the element that `selector` names.
  async tap(selector) {
    const box = await this.page.locator(selector).boundingBox();
    const point = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    await this.cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
    await this.cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  }

  // On a touch screen: `text` typed into the page's text field, as a phone's keyboard or input
  // method commits it, then its Enter button tapped.
  async touchAnswer(text) {
    await this.tap('#typed');
    if (text !== '') {
      await this.cdp.send('Input.insertText', { text });
    }
    await this.tap('#typing button');
  }

  // Types `text`, then Enter.
  async answer(text) {
    await this.type(text);
    await this.press('Enter');
  }

  // Waits for the program's end; then the end notice below the terminal, and whether the
  // button that starts the game again shows.
  async endNotice() {
    await this.page.waitForFunction(() => window.tavroPage.status !== null, null, {
      timeout: ANSWER_MS,
    });
    return this.currentNotice();
  }

  currentNotice() {
    return this.page.evaluate(() => ({
      text: document.getElementById('status').textContent,
      restart: !document.getElementById('restart').hidden,
    }));
  }
}

// A map as the first drawing of a game in debug mode shows it ("-" ground, "*" mines, "#" the
// player), and the moves that walk the player off it without a mine: the shortest way over
// free cells (a straight line onto a mine when there is none). `draw` gives, for each step,
// the screen that follows: the map with the player at the new cell, then `after(result)`.
export class Minefield {
  constructor(rows, keys = { up: '8', down: 'k', left: 'u', right: 'o' }) {
    this.rows = rows.map((row) => [...row]);
    this.keys = keys;
    this.height = rows.length;
    this.width = rows[0].length;
    this.row = this.rows.findIndex((row) => row.includes('#'));
    this.column = this.rows[this.row].indexOf('#');
    this.rows[this.row][this.column] = 'o';
    this.result = 0;
  }

  // The map read from the first `height` rows of `screen`, each `width` cells of "-*#" (blanks
  // may follow), with one "#"; null when the screen shows no such map. tavro-2dgame does not
  // show its first column: a walk into it leaves the map as one off any other edge does.
  static read(screen, height, width) {
    const rows = screen.slice(0, height).map((row) => row.slice(0, width));
    const whole = rows.every((row) => row.length === width && /^[-*#]+$/.test(row));
    return whole && rows.join('').split('#').length === 2 ? new Minefield(rows) : null;
  }

  inside(r, c) {
    return r >= 0 && r < this.height && c >= 0 && c < this.width;
  }

  ways() {
    return [
      [-1, 0, this.keys.up],
      [1, 0, this.keys.down],
      [0, -1, this.keys.left],
      [0, 1, this.keys.right],
    ];
  }

  // The keys of the shortest walk off the map over free cells.
  walkOff() {
    const from = new Map([[`${this.row},${this.column}`, null]]);
    const queue = [[this.row, this.column]];
    while (queue.length > 0) {
      const [r, c] = queue.shift();
      for (const [dr, dc, key] of this.ways()) {
        const [nr, nc] = [r + dr, c + dc];
        const name = `${nr},${nc}`;
        if (from.has(name) || (this.inside(nr, nc) && this.rows[nr][nc] === '*')) {
          continue;
        }
        from.set(name, [`${r},${c}`, key]);
        if (!this.inside(nr, nc)) {
          const keys = [];
          for (let at = name; from.get(at); at = from.get(at)[0]) {
            keys.unshift(from.get(at)[1]);
          }
          return keys;
        }
        queue.push([nr, nc]);
      }
    }
    return Array(this.height).fill(this.keys.up);
  }

  // Moves one cell by `key`; the map rows as drawn after the move.
  step(key) {
    const [dr, dc] = this.ways().find((way) => way[2] === key);
    this.row += dr;
    this.column += dc;
    const drawing = this.rows.map((row) => [...row]);
    if (!this.inside(this.row, this.column)) {
      this.result = 1;
    } else if (this.rows[this.row][this.column] === '*') {
      this.result = -1;
      drawing[this.row][this.column] = 'X';
    } else {
      this.rows[this.row][this.column] = 'o';
      drawing[this.row][this.column] = '#';
    }
    return drawing.map((row) => row.join(''));
  }
}

// Where each character of `text` stands on a Japanese console when the text starts at column
// `start`: [column, character] pairs, blanks left out. There every character of these texts
// but ASCII is two bytes in code page 932, and takes two columns.
export function consoleLayout(text, start) {
  const layout = [];
  let column = start;
  for (const character of text) {
    if (character !== ' ') {
      layout.push([column, character]);
    }
    column += character.codePointAt(0) < 0x80 ? 1 : 2;
  }
  return layout;
}

// The same pairs as the page's terminal holds them in row `y` of its screen, read cell by cell.
export async function terminalLayout(game, y) {
  const layout = [];
  for (const [column, [chars, width]] of (await game.cells(y)).entries()) {
    if (width > 0 && chars !== '' && chars !== ' ') {
      layout.push([column, chars]);
    }
  }
  return layout;
}

// The text of row `y` as the page's document holds it (what find, copy and screen readers see).
export function documentRow(game, y) {
  return game.page.evaluate(
    (row) =>
      document
        .querySelector('.xterm-rows')
        .children[row].textContent.replace(/\u00a0/g, ' ')
        .trimEnd(),
    y
  );
}

// Where the characters of row `y` are drawn: [column, character] pairs, blanks left out, the
// column read from each character's drawn left edge, and the largest distance (px) of an edge
// from its column's.
export function drawnLayout(game, y) {
  return game.page.evaluate((row) => {
    const screen = document.querySelector('.xterm-screen').getBoundingClientRect();
    const cell = screen.width / window.term.cols;
    const walker = document.createTreeWalker(
      document.querySelector('.xterm-rows').children[row],
      NodeFilter.SHOW_TEXT
    );
    const layout = [];
    let drift = 0;
    const range = document.createRange();
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      for (let at = 0; at < node.data.length;) {
        const character = String.fromCodePoint(node.data.codePointAt(at));
        at += character.length;
        if (character === ' ' || character === '\u00a0') {
          continue;
        }
        range.setStart(node, at - character.length);
        range.setEnd(node, at);
        const x = (range.getBoundingClientRect().left - screen.left) / cell;
        drift = Math.max(drift, Math.abs(x - Math.round(x)) * cell);
        layout.push([Math.round(x), character]);
      }
    }
    return { layout, drift };
  }, y);
}
