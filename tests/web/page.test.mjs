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
  ANSWER_MS, GamePage, Minefield, START_MS, browserSession, drawnLayout, launchBrowser, rendered,
  sleep, terminalLayout,
} from './support.mjs';

// Before the page loads: the layout shift it makes is summed up in window.layoutShift, and what
// it sends the game as typed keys is kept, decoded, in window.sentKeys.
async function watchPage(page) {
  await page.addInitScript(() => {
    window.layoutShift = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) {
        window.layoutShift += entry.hadRecentInput ? 0 : entry.value;
      }
    }).observe({ type: 'layout-shift', buffered: true });
    window.sentKeys = [];
    const post = Worker.prototype.postMessage;
    Worker.prototype.postMessage = function postMessage(message, ...rest) {
      if (message?.type === 'input') {
        window.sentKeys.push(new TextDecoder().decode(message.bytes));
      }
      return post.call(this, message, ...rest);
    };
  });
}

const sentKeys = (game) => game.page.evaluate(() => window.sentKeys.splice(0));

// Each row of `screen` that has text: drawn where the terminal's cells put it, each character
// at its column's left edge.
async function assertDrawnOnGrid(game, screen) {
  for (const [y, row] of screen.entries()) {
    if (row !== '') {
      const { layout, drift } = await drawnLayout(game, y);
      assert.deepEqual(layout, await terminalLayout(game, y), `row ${y} is drawn off its cells`);
      assert.ok(drift < 0.5, `row ${y} is drawn ${drift} px off the grid`);
    }
  }
}

// The text of every node of the page's accessibility tree, one after another.
async function accessibleText(game) {
  const { nodes } = await game.cdp.send('Accessibility.getFullAXTree');
  return nodes.filter((node) => node.role?.value === 'StaticText')
    .map((node) => node.name?.value ?? '').join('').replace(/\u00a0/g, ' ');
}

// Walks a debug-mode map off its edge by touch: the final drawing's text.
async function walkByTouch(game, field, clear, prompt) {
  let drawing = '';
  for (const key of field.walkOff()) {
    const rows = field.step(key);
    drawing = clear + rows.join('\n') + '\n' + ['gameover!!\n', prompt, 'clear!!\n'][field.result + 1];
    await game.touchAnswer(key);
    if (field.result !== 0) {
      break;
    }
    await game.waitForScreen(rendered(drawing), ANSWER_MS);
  }
  assert.notEqual(field.result, 0, 'the walk ended the game');
  return drawing;
}

describe('the page for everyone', () => {
  const session = browserSession();
  const screen = (name) => rendered(session.screens[name]);

  test('the keyboard alone, screen readers, the grid, the scrollbar, no layout shift',
    { timeout: 120000 }, async (t) => {
    const game = await session.open('tavro-2dgame.html', { beforeLoad: watchPage });
    await game.waitForScreen(screen('b.menu'), START_MS);
    const shift = await game.page.evaluate(() => window.layoutShift);
    t.diagnostic(`layout shift while loading: ${shift.toFixed(4)}`);
    assert.ok(shift <= 0.02, `the layout shifted by ${shift}`);

    // Tab leaves the terminal for the link, its focus drawn; Shift+Tab comes back, and the
    // keys reach the game again.
    const focused = () => game.page.evaluate(() => {
      const element = document.activeElement;
      return [element.className || element.textContent, getComputedStyle(element).outlineStyle];
    });
    await game.press('Tab');
    const [link, outline] = await focused();
    assert.equal(link, 'Both games');
    assert.notEqual(outline, 'none', 'the focus is not shown');
    await game.press('Shift+Tab');
    assert.equal((await focused())[0], 'xterm-helper-textarea');
    await game.answer('2');
    const settings = screen('b.settings');
    await game.waitForScreen(settings, ANSWER_MS);

    // Screen readers: the screen's text is in the accessibility tree, and the new screen is
    // read out through the live region, without the one before it.
    const tree = await accessibleText(game);
    for (const row of settings.filter((text) => text.trim() !== '')) {
      assert.ok(tree.includes(row.trim()), `the accessibility tree lacks "${row.trim()}"`);
    }
    await game.page.waitForFunction(
      () => document.getElementById('announcement').textContent.includes('system set'), null,
      { timeout: ANSWER_MS });
    const said = await game.page.evaluate(
      () => document.getElementById('announcement').textContent);
    assert.ok(settings.every((row) => said.includes(row.trim())), `announced: ${said}`);
    assert.ok(!said.includes('mine game'), `announced the screen before too: ${said}`);

    // 『』 and the like beside other characters: every character is drawn on its column.
    await assertDrawnOnGrid(game, settings);
    await game.answer('6');
    await game.waitForScreen(screen('b.menu'), ANSWER_MS);
    await assertDrawnOnGrid(game, screen('b.menu'));

    // No visible scrollbar over the last three columns.
    const covered = await game.page.evaluate(() => {
      const screenBox = document.querySelector('.xterm-screen').getBoundingClientRect();
      const from = screenBox.left + (screenBox.width * 77) / 80;
      return [...document.querySelectorAll('.xterm .scrollbar')].some((bar) => {
        const box = bar.getBoundingClientRect();
        const style = getComputedStyle(bar);
        return box.width > 0 && box.height > 0 && style.visibility !== 'hidden' &&
          Number(style.opacity) > 0 && box.right > from && box.left < screenBox.right;
      });
    });
    assert.equal(covered, false, 'a scrollbar covers columns 78 to 80');
    assert.deepEqual(game.errors, []);
    await game.close();
  });

  test('a phone: the terminal fits its width, a whole game of tavro-2dgame by touch, and the ' +
    'input method', { timeout: 180000 }, async (t) => {
    const game = await session.open('tavro-2dgame.html', { phone: true, beforeLoad: watchPage });
    await game.waitForScreen(screen('b.menu'), START_MS);
    const fit = await game.page.evaluate(() => ({
      width: window.innerWidth,
      scrolled: document.documentElement.scrollWidth,
      scale: window.visualViewport.scale,
      right: document.querySelector('.xterm-screen').getBoundingClientRect().right,
      viewport: document.querySelector('meta[name="viewport"]').content,
      field: !document.getElementById('typing').hidden,
    }));
    t.diagnostic(JSON.stringify(fit));
    assert.equal(fit.width, 390, 'laid out at the phone\'s width');
    assert.ok(fit.scrolled <= 390 && fit.right <= 390 && fit.scale === 1,
      'the terminal is wider than the phone');
    assert.doesNotMatch(fit.viewport, /user-scalable|maximum-scale/, 'pinch zoom is barred');
    assert.ok(fit.field, 'no text field on a touch screen');

    // A word composed in the input method goes to the page's line mode as the keys typed.
    await sentKeys(game);
    await game.tap('#typed');
    await game.cdp.send('Input.imeSetComposition',
      { text: 'ちらい', selectionStart: 3, selectionEnd: 3 });
    await game.cdp.send('Input.insertText', { text: '地雷' });
    await game.tap('#typing button');
    await game.waitForScreen(screen('b.menu'), ANSWER_MS);
    assert.deepEqual(await sentKeys(game), ['地雷\n']);

    for (const [answer, shown] of [['2', 'b.settings'], ['4', 'b.debug'],
      ['1', 'b.settings.debug'], ['6', 'b.menu']]) {
      await game.touchAnswer(answer);
      await game.waitForScreen(screen(shown), ANSWER_MS);
    }
    await game.touchAnswer('1');
    let field = null;
    await game.waitFor((seen) => (field = Minefield.read(seen.slice(-17), 15, 29)) !== null,
      ANSWER_MS, 'a map in debug mode');
    const { screens } = session;
    const drawing = await walkByTouch(game, field, screens['b.clear'], screens['b.movePrompt']);
    await game.waitForScreen(rendered(drawing), ANSWER_MS);
    await game.waitForScreen(rendered(screens[field.result === 1 ? 'b.menu.unlocked' : 'b.menu']),
      10000);
    await game.touchAnswer('3');
    assert.deepEqual(await game.endNotice(),
      { text: 'tavro-2dgame ended with status 0.', restart: true });
    assert.deepEqual(game.errors, []);
    await game.close();
  });

  test('a phone: a whole game of tavro by touch, a tap answering the key wait',
    { timeout: 180000 }, async () => {
    const game = await session.open('tavro.html', { phone: true, beforeLoad: watchPage });
    await game.waitForScreen(screen('a.title'), START_MS);
    // The field's text goes to tavro's own editor as the bytes typed, Enter as CR.
    await sentKeys(game);
    await game.touchAnswer('2');
    await game.waitForScreen(screen('a.settings'), ANSWER_MS);
    assert.deepEqual(await sentKeys(game), ['2\r']);
    for (const [answer, shown] of [['3', 'a.debug'], ['1', 'a.settings.debug'],
      ['5', 'a.title']]) {
      await game.touchAnswer(answer);
      await game.waitForScreen(screen(shown), ANSWER_MS);
    }
    await game.touchAnswer('1');
    let field = null;
    await game.waitFor((seen) => (field = Minefield.read(seen, 15, 30)) !== null, ANSWER_MS,
      'a map in debug mode');
    const { screens } = session;
    const drawing = await walkByTouch(game, field, screens['a.clear'], screens['a.movePrompt']);
    await game.waitForScreen(rendered(drawing), ANSWER_MS);
    // The count, then the key wait: the drawing stays until a tap on the terminal. Taps while
    // the count runs are dropped, so the tap is made again until one reaches the wait.
    await sleep(3000);
    assert.deepEqual(await game.screen(), rendered(drawing), 'the key wait did not wait');
    const title = screen(field.result === 1 ? 'a.title.unlocked' : 'a.title');
    for (let taps = 0; !(await game.screenIs(title)) && taps < 20; ++taps) {
      await game.tap('#terminal');
      await sleep(500);
    }
    await game.waitForScreen(title, ANSWER_MS);
    await game.touchAnswer('3');
    assert.deepEqual(await game.endNotice(), { text: 'tavro ended with status 0.', restart: true });
    assert.deepEqual(game.errors, []);
    await game.close();
  });

  test('with DejaVu as the only system font, the Japanese is drawn in the site\'s font',
    { timeout: 120000 }, async (t) => {
    const dir = mkdtempSync(join(tmpdir(), 'tavro-fonts-'));
    const config = join(dir, 'fonts.conf');
    writeFileSync(config, `<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>${dir}</cachedir></fontconfig>
`);
    const browser = await launchBrowser({ FONTCONFIG_FILE: config });
    try {
      const game = await GamePage.open(browser, session.server.url, 'tavro-2dgame.html');
      await game.waitForScreen(screen('b.menu'), START_MS);
      // Drawings of each of `characters` in `font` that look like the missing glyph's box.
      const boxes = (font, characters) => game.page.evaluate(([family, list]) => {
        const draw = (character) => {
          const canvas = document.createElement('canvas');
          canvas.width = 40;
          canvas.height = 40;
          const context = canvas.getContext('2d');
          context.font = `32px ${family}`;
          context.fillText(character, 2, 32);
          return canvas.toDataURL();
        };
        const box = draw('\u{e000}');
        return list.filter((character) => draw(character) === box);
      }, [font, characters]);
      assert.deepEqual(await boxes('monospace', ['地', '雷']), ['地', '雷'],
        'the system still has Japanese fonts');
      // Every character the programs print, in the terminal's font.
      const printed = [...new Set(Object.values(session.screens).join(''))]
        .filter((character) => character > '~' && !/\s/u.test(character));
      t.diagnostic(`${printed.length} characters besides ASCII`);
      assert.deepEqual(await boxes(await game.page.evaluate(() => term.options.fontFamily),
        printed), []);
      // The cells were measured in the site's font: half an em wide, 80 of them 40 em.
      const width = await game.page.evaluate(
        () => document.querySelector('.xterm-screen').getBoundingClientRect().width);
      t.diagnostic(`80 columns: ${width} px`);
      assert.equal(width, 40 * 16);
      await assertDrawnOnGrid(game, screen('b.menu'));
      assert.deepEqual(game.errors, []);
      await game.close();
    } finally {
      await browser.close();
    }
  });
});
