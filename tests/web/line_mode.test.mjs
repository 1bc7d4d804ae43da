// The page's line mode on its own (no browser): what it echoes and what lines it hands to the
// program, for the keys that xterm.js reports.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { LineDiscipline } from '../../web/terminal.js';

// A line discipline whose echo and finished lines are recorded.
function typing(...keys) {
  const record = { echo: '', lines: [] };
  const lines = new LineDiscipline(
    (text) => {
      record.echo += text;
    },
    (line) => record.lines.push(line)
  );
  for (const key of keys) {
    lines.input(key);
  }
  return record;
}

// What erasing `columns` columns echoes: back over them, blanks, and back again.
const erased = (columns) => '\b'.repeat(columns) + ' '.repeat(columns) + '\b'.repeat(columns);

test('Backspace erases the last character by the columns it took', () => {
  // Two columns for a wide or an ambiguous character, one for ASCII, none for a combining mark.
  assert.deepEqual(typing('a地', '\x7f', '\x7f', '\r'), {
    echo: `a地${erased(2)}${erased(1)}\r\n`,
    lines: ['\n'],
  });
  assert.deepEqual(typing('★', '\x7f', '\r'), { echo: `★${erased(2)}\r\n`, lines: ['\n'] });
  assert.deepEqual(typing('e\u0301', '\x7f', '\r'), { echo: 'e\u0301\r\n', lines: ['e\n'] });
  // Nothing to erase: nothing echoed.
  assert.deepEqual(typing('\x7f\b', '1\r'), { echo: '1\r\n', lines: ['1\n'] });
});

test('Ctrl+U erases the line, Ctrl+W the blanks at its end and the word before them', () => {
  assert.deepEqual(typing('12 地雷', '\x15', '3\r'), {
    echo: `12 地雷${erased(7)}3\r\n`,
    lines: ['3\n'],
  });
  assert.deepEqual(typing('ab 地雷  ', '\x17', '\r'), {
    echo: `ab 地雷  ${erased(6)}\r\n`,
    lines: ['ab \n'],
  });
});

test('escape sequences and other control keys change nothing', () => {
  // Arrows, with modifiers, SS3 function keys, Alt with a key, and Ctrl+A, Tab, Ctrl+D.
  const keys = ['\x1b[D', '\x1b[1;5C', '\x1b[15~', '\x1bOP', '\x1bx', '\x1b', '\x01', '\t', '\x04'];
  assert.deepEqual(typing('1', ...keys, '2\r'), { echo: '12\r\n', lines: ['12\n'] });
});

test('pasted text gives a line per line break: CR (Enter) or LF', () => {
  assert.deepEqual(typing('1\r2\n\r4'), { echo: '1\r\n2\r\n\r\n4', lines: ['1\n', '2\n', '\n'] });
});

test('a line holds 4095 characters; what is typed beyond them is dropped', () => {
  const record = typing('x'.repeat(5000), '\r');
  assert.deepEqual(record.lines, [`${'x'.repeat(4095)}\n`]);
  assert.equal(record.echo, `${'x'.repeat(4095)}\r\n`);
});

test('take() hands over what was typed of an unfinished line, and empties it', () => {
  const lines = new LineDiscipline(
    () => {},
    () => {}
  );
  lines.input('3地');
  assert.equal(lines.take(), '3地');
  assert.equal(lines.take(), '');
});
