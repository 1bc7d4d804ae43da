// The page for everyone, in headless Chromium: a phone (the DevTools protocol's screen metrics,
// touch and mobile user agent) playing a whole game of each program by touch; the keyboard
// alone; what screen readers get; a machine whose only fonts are DejaVu; every character drawn
// on its column; no layout shift while the page loads.
import assert from 'node:assert/strict';
import { mkdtempSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { describe, test } from 'node:test';

import {
  ANSWER_MS,
  GamePage,
  Minefield,
  START_MS,
  browserSession,
  drawnLayout,
  launchBrowser,
  rendered,
  sleep,
  terminalLayout,
} from './support.mjs';

// Before the page loads: its layout shift is summed in window.layoutShift, and what it sends
// the game as typed keys is kept, decoded, in window.sentKeys.
const watchPage = (page) =>
  page.addInitScript(() => {
    window.layoutShift = 0;
    new PerformanceObserver((list) =>
      list.getEntries().forEach((entry) => {
        window.layoutShift += entry.hadRecentInput ? 0 : entry.value;
      })
    ).observe({ type: 'layout-shift', buffered: true });
    window.sentKeys = [];
    const post = Worker.prototype.postMessage;
    Worker.prototype.postMessage = function postMessage(message, ...rest) {
      if (message?.type === 'input') {
        window.sentKeys.push(new TextDecoder().decode(message.bytes));
      }
      return post.call(this, message, ...rest);
    };
  });
const sentKeys = (game) => game.page.evaluate(() => window.sentKeys.splice(0));
const announced = (game) =>
  game.page.evaluate(() => document.getElementById('announcement').textContent);

// Each row of `screen` that has text is drawn where the terminal's cells put it.
async function assertDrawnOnGrid(game, screen) {
  // xterm.js draws on the next animation frame: wait until the rows drawn are the buffer's.
  await game.page.waitForFunction(() => {
    const buffer = window.term.buffer.active;
    const rows = document.querySelector('.xterm-rows').children;
    return [...rows].every(
      (row, y) =>
        row.textContent.replace(/\u00a0/g, ' ').trimEnd() ===
        buffer.getLine(buffer.baseY + y).translateToString(true)
    );
  });
  for (const y of screen.keys()) {
    const { layout, drift } = await drawnLayout(game, y);
    assert.deepEqual(layout, await terminalLayout(game, y), `row ${y} is drawn off its cells`);
    assert.ok(drift < 0.5, `row ${y} is drawn ${drift} px off the grid`);
  }
}

// The two programs as a phone plays them: the answers that turn debug mode on, the map's place
// and size, and what wait ends a game (tavro's wait for any key, answered by a tap).
const programs = {
  'tavro-2dgame': {
    start: 'b.menu',
    debug: [
      ['2', 'b.settings'],
      ['4', 'b.debug'],
      ['1', 'b.settings.debug'],
      ['6', 'b.menu'],
    ],
    map: [-17, 15, 29],
    end: 'b.menu',
    tap: false,
  },
  tavro: {
    start: 'a.title',
    debug: [
      ['2', 'a.settings'],
      ['3', 'a.debug'],
      ['1', 'a.settings.debug'],
      ['5', 'a.title'],
    ],
    map: [0, 15, 30],
    end: 'a.title',
    tap: true,
  },
};

describe('the page for everyone', () => {
  const session = browserSession();
  const screen = (name) => rendered(session.screens[name]);

  test(
    'the keyboard alone, screen readers, the grid, the scrollbar, no layout shift',
    { timeout: 120000 },
    async (t) => {
      const game = await session.open('tavro-2dgame.html', { beforeLoad: watchPage });
      await game.waitForScreen(screen('b.menu'), START_MS);
      const shift = await game.page.evaluate(() => window.layoutShift);
      t.diagnostic(`layout shift while loading: ${shift.toFixed(4)}`);
      assert.ok(shift <= 0.02, `the layout shifted by ${shift}`);

      // Tab leaves the terminal for the link, its focus drawn; Shift+Tab comes back.
      const focused = () =>
        game.page.evaluate(() => [
          document.activeElement.className || document.activeElement.textContent,
          getComputedStyle(document.activeElement).outlineStyle,
        ]);
      await game.press('Tab');
      assert.deepEqual(await focused(), ['Both games', 'solid']);
      await game.press('Shift+Tab');
      assert.equal((await focused())[0], 'xterm-helper-textarea');
      await game.answer('2');
      const settings = screen('b.settings');
      await game.waitForScreen(settings, ANSWER_MS);

      // Screen readers: the screen's text is in the accessibility tree, and the new screen, not
      // the one before, is read out.
      const { nodes } = await game.cdp.send('Accessibility.getFullAXTree');
      const tree = nodes
        .filter((node) => node.role?.value === 'StaticText')
        .map((node) => node.name?.value ?? '')
        .join('')
        .replace(/\u00a0/g, ' ');
      await game.page.waitForFunction(() =>
        document.getElementById('announcement').textContent.includes('system set')
      );
      const said = await announced(game);
      for (const row of settings.map((text) => text.trim()).filter((text) => text !== '')) {
        assert.ok(tree.includes(row), `the accessibility tree lacks "${row}"`);
        assert.ok(said.includes(row), `"${row}" is not read out: ${said}`);
      }
      assert.ok(!said.includes('mine game'), `the screen before is read out too: ${said}`);

      // 『』 and the like beside other characters: every character is drawn on its column.
      await assertDrawnOnGrid(game, settings);
      await game.answer('6');
      await game.waitForScreen(screen('b.menu'), ANSWER_MS);
      await assertDrawnOnGrid(game, screen('b.menu'));

      // No visible scrollbar over the last three columns.
      const covered = await game.page.evaluate(() => {
        const grid = document.querySelector('.xterm-screen').getBoundingClientRect();
        return [...document.querySelectorAll('.xterm .scrollbar')].some((bar) => {
          const box = bar.getBoundingClientRect();
          const style = getComputedStyle(bar);
          return (
            box.width * box.height > 0 &&
            style.visibility !== 'hidden' &&
            Number(style.opacity) > 0 &&
            box.right > grid.left + (grid.width * 77) / 80
          );
        });
      });
      assert.equal(covered, false, 'a scrollbar covers columns 78 to 80');
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );

  for (const [
    program,
    {
      start,
      debug,
      map: [from, height, width],
      end,
      tap,
    },
  ] of Object.entries(programs)) {
    test(
      `a phone: the terminal fits, and a whole game of ${program} by touch`,
      { timeout: 180000 },
      async (t) => {
        const { screens } = session;
        const game = await session.open(`${program}.html`, { phone: true, beforeLoad: watchPage });
        await game.waitForScreen(screen(start), START_MS);
        const fit = await game.page.evaluate(() => ({
          width: innerWidth,
          scrolled: document.documentElement.scrollWidth,
          scale: visualViewport.scale,
          field: !document.getElementById('typing').hidden,
          right: document.querySelector('.xterm-screen').getBoundingClientRect().right,
          viewport: document.querySelector('meta[name="viewport"]').content,
        }));
        t.diagnostic(JSON.stringify(fit));
        assert.ok(
          fit.width === 390 && fit.scrolled <= 390 && fit.right <= 390 && fit.scale === 1,
          "the terminal does not fit the phone's width"
        );
        assert.doesNotMatch(fit.viewport, /user-scalable|maximum-scale/, 'pinch zoom is barred');
        assert.ok(fit.field, 'no text field on a touch screen');

        // The input method's word, then Enter: the keys that type them, through the page's line
        // mode (tavro-2dgame) or as they are to the program's own editor (tavro).
        await sentKeys(game);
        await game.tap('#typed');
        await game.cdp.send('Input.imeSetComposition', {
          text: 'ちらい',
          selectionStart: 3,
          selectionEnd: 3,
        });
        await game.cdp.send('Input.insertText', { text: '地雷' });
        await game.tap('#typing button');
        await game.waitForScreen(screen(start), ANSWER_MS);
        assert.deepEqual(await sentKeys(game), [tap ? '地雷\r' : '地雷\n']);

        for (const [answer, shown] of debug) {
          await game.touchAnswer(answer);
          await game.waitForScreen(screen(shown), ANSWER_MS);
          if (shown.endsWith('.settings')) {
            await game.page.waitForFunction(() =>
              document.getElementById('announcement').textContent.includes('system set')
            );
          }
        }
        await game.touchAnswer('1');
        let field = null;
        await game.waitFor(
          (seen) => (field = Minefield.read(seen.slice(from), height, width)),
          ANSWER_MS,
          'a map in debug mode'
        );
        let drawing = '';
        for (const key of field.walkOff()) {
          const rows = field.step(key);
          const outcome = ['gameover!!\n', screens[`${start[0]}.movePrompt`], 'clear!!\n'];
          drawing =
            screens[`${start[0]}.clear`] + rows.join('\n') + '\n' + outcome[field.result + 1];
          await game.touchAnswer(key);
          await game.waitForScreen(rendered(drawing), ANSWER_MS);
          if (field.result !== 0) {
            break;
          }
        }
        // tavro counts, then waits for a key: taps during the count are dropped, so the
        // terminal is tapped until one reaches the wait. tavro-2dgame goes on by itself.
        const after = screen(field.result === 1 ? `${end}.unlocked` : end);
        if (tap) {
          await sleep(3000);
          assert.deepEqual(await game.screen(), rendered(drawing), 'the key wait did not wait');
          for (let taps = 0; !(await game.screenIs(after)) && taps < 20; ++taps) {
            await game.tap('#terminal');
            await sleep(500);
          }
        }
        await game.waitForScreen(after, 10000);
        await game.touchAnswer('3');
        assert.deepEqual(await game.endNotice(), {
          text: `${program} ended with status 0.`,
          restart: true,
        });
        assert.deepEqual(game.errors, []);
        await game.close();
      }
    );
  }

  test(
    "with DejaVu as the only system font, what the games print is drawn in the site's font",
    { timeout: 120000 },
    async (t) => {
      const dir = mkdtempSync(join(tmpdir(), 'tavro-fonts-'));
      writeFileSync(
        join(dir, 'fonts.conf'),
        `<?xml version="1.0"?><fontconfig>
<dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${dir}</cachedir></fontconfig>`
      );
      const browser = await launchBrowser({ FONTCONFIG_FILE: join(dir, 'fonts.conf') });
      t.after(() => browser.close());
      const game = await GamePage.open(browser, session.server.url, 'tavro-2dgame.html');
      await game.waitForScreen(screen('b.menu'), START_MS);
      // The characters of `list` that `font` draws as it draws a missing glyph.
      const missing = (font, list) =>
        game.page.evaluate(
          ([family, characters]) => {
            const draw = (character) => {
              const context = document.createElement('canvas').getContext('2d');
              context.font = `32px ${family}`;
              context.fillText(character, 2, 32);
              return context.canvas.toDataURL();
            };
            return characters.filter((character) => draw(character) === draw('\u{e000}'));
          },
          [font, list]
        );
      assert.deepEqual(await missing('monospace', ['地']), ['地'], 'the system has Japanese fonts');
      const printed = [...new Set(Object.values(session.screens).join(''))].filter(
        (character) => character > '~' && !/\s/u.test(character)
      );
      t.diagnostic(`${printed.length} characters besides ASCII`);
      assert.deepEqual(
        await missing(await game.page.evaluate(() => term.options.fontFamily), printed),
        []
      );
      // The cells were measured in the site's font, whose half-width characters are half an em.
      assert.equal(
        await game.page.evaluate(
          () => document.querySelector('.xterm-screen').getBoundingClientRect().width
        ),
        80 * 8
      );
      await assertDrawnOnGrid(game, screen('b.menu'));
      assert.deepEqual(game.errors, []);
    }
  );
});
