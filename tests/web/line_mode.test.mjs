// The page's line mode on its own, without a browser: in xterm.js's headless terminal with the
// page's character widths, every case of the editing table that tavro's own editor is tested
// against too; then what it hands to the program, and a long paste taken in slices.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { LineDiscipline } from '../../web/line_mode.js';
import { unicodeProvider } from '../../web/widths.js';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const require = createRequire(import.meta.url);
const { Terminal } = require(join(root, 'web/node_modules/@xterm/headless'));
const ROWS = 25;

// A field of the table with its escapes resolved; \xHH is one byte of the UTF-8 text.
function unescape(field) {
  const encoder = new TextEncoder();
  const bytes = [];
  const named = { '\\': '\\', t: '\t', n: '\n', r: '\r', e: '\x1b' };
  for (let at = 0; at < field.length;) {
    const character = String.fromCodePoint(field.codePointAt(at));
    at += character.length;
    let text = character;
    if (character === '\\') {
      const kind = field[at++];
      if (kind === 'x') {
        bytes.push(parseInt(field.slice(at, at + 2), 16));
        at += 2;
        continue;
      }
      if (kind === 'u') {
        const close = field.indexOf('}', at);
        text = String.fromCodePoint(parseInt(field.slice(at + 1, close), 16));
        at = close + 1;
      } else {
        assert.ok(kind in named, `unknown escape \\${kind} in ${field}`);
        text = named[kind];
      }
    }
    bytes.push(...encoder.encode(text));
  }
  return new TextDecoder('utf-8', { fatal: true }).decode(Uint8Array.from(bytes));
}

function readCases() {
  const text = readFileSync(join(root, 'tests/common/line_edit_cases.txt'), 'utf8');
  return text
    .split('\n')
    .filter((line) => line !== '' && !line.startsWith('#'))
    .map((line) => {
      const [name, columns, prompt, keys, cursor, ...rows] = line.split('\t');
      assert.match(cursor ?? '', /^\d+,\d+$/, `the case line "${line}"`);
      return {
        name,
        columns: Number(columns),
        prompt: unescape(prompt),
        keys: unescape(keys),
        cursor: cursor.split(',').map(Number),
        rows: rows.map(unescape),
      };
    });
}

// The page's terminal, headless: the page's widths, line breaks written as CR LF.
function pageTerminal(cols) {
  const term = new Terminal({ cols, rows: ROWS, allowProposedApi: true, convertEol: true });
  term.unicode.register(unicodeProvider);
  term.unicode.activeVersion = unicodeProvider.version;
  return term;
}

const drawn = (term) => new Promise((done) => term.write('', done));

// The line mode in front of `term`, with the lines it hands over kept in `sent`.
function lineMode(term, options = {}) {
  const sent = [];
  const lines = new LineDiscipline({
    write: (text, done) => term.write(text, done),
    send: (text) => sent.push(text),
    columns: () => term.cols,
    cursorColumn: () => term.buffer.active.cursorX,
    ...options,
  });
  return { lines, sent };
}

// The screen's rows with trailing blanks removed, the empty ones at the end left out.
function screenRows(term) {
  const buffer = term.buffer.active;
  const rows = [];
  for (let y = 0; y < ROWS; ++y) {
    rows.push(
      buffer
        .getLine(buffer.baseY + y)
        .translateToString(true)
        .replace(/ +$/, '')
    );
  }
  while (rows.length > 0 && rows[rows.length - 1] === '') {
    rows.pop();
  }
  return rows;
}

// Types `keys` all at once (as a paste brings them: erases wait for the line's start column)
// after `prompt` in a terminal `columns` wide; the terminal, once it has drawn everything.
async function typedAfter(columns, prompt, keys) {
  const term = pageTerminal(columns);
  term.write(prompt);
  const { lines } = lineMode(term);
  lines.input(keys);
  await lines.settled();
  await drawn(term);
  const { cursorY, cursorX } = term.buffer.active;
  return { term, cursor: [cursorY, cursorX], rows: screenRows(term) };
}

test('the editing table: each case typed after its prompt leaves its screen', async (t) => {
  const cases = readCases();
  assert.ok(cases.length >= 20, `${cases.length} cases`);
  for (const { name, columns, prompt, keys, cursor, rows } of cases) {
    const typed = await typedAfter(columns, prompt, keys);
    assert.deepEqual({ cursor: typed.cursor, rows: typed.rows }, { cursor, rows }, name);
    typed.term.dispose();
  }
  t.diagnostic(`${cases.length} cases`);
});

test('on the page an ambiguous character is erased by two columns', async () => {
  // Not in the table: a UTF-8 terminal gives these characters one column.
  // The fifth star does not fit in the last column and wraps whole.
  const { cursor, rows } = await typedAfter(10, '', 'a★★★★★\x7f');
  assert.deepEqual({ cursor, rows }, { cursor: [0, 9], rows: ['a★★★★'] });
});

test('a line erased back to the start of a row stays one line with the row above', async () => {
  // What copying a line and rewrapping it on a resize go by.
  const { term, rows } = await typedAfter(10, '', `${'x'.repeat(25)}${'\x7f'.repeat(4)}`);
  const wrapped = [1, 2, 3].map((y) => term.buffer.active.getLine(y).isWrapped);
  assert.deepEqual(
    { rows, wrapped },
    { rows: ['x'.repeat(10), 'x'.repeat(10), 'x'], wrapped: [true, true, false] }
  );
});

test('Enter hands over the line as edited, 4095 characters at most', async () => {
  const term = pageTerminal(80);
  const { lines, sent } = lineMode(term);
  lines.input('ab 地\u0301\x7fc\x17d\x1b[D\x01\t\x04e\r'); // other control keys do nothing
  lines.input(`${'x'.repeat(5000)}\n\r`);
  await lines.settled();
  assert.deepEqual(sent.join('').split('\n'), ['ab de', 'x'.repeat(4095), '', '']);
});

test('a long paste goes in slices, in order, and take() gives back the rest as typed', async () => {
  const term = pageTerminal(80);
  const slices = [];
  const { lines, sent } = lineMode(term, { later: (run) => slices.push(run) });
  const pasted = Array.from({ length: 50000 }, (_, i) => `${i}\r`).join('');
  lines.input(`${pasted}last\x7f`);
  // Each slice writes its echo and hands its lines over in one piece, then yields.
  for (let i = 0; i < 3; ++i) {
    assert.equal(slices.length, 1, 'one slice waiting');
    slices.pop()();
  }
  const handed = sent.join('');
  assert.ok(handed.length > 0 && handed.length < pasted.length, `${handed.length} handed over`);
  assert.ok(sent.length <= 4, `${sent.length} sends for 4 slices`);
  // The program switches line mode off: the unfinished line and the rest come as typed.
  const rest = lines.take();
  assert.equal(handed.replaceAll('\n', '\r') + rest, `${pasted}last\x7f`);
  assert.equal(lines.take(), '');
  term.dispose();
});
