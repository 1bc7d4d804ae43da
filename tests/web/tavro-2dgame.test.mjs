// tavro-2dgame in the page, in headless Chromium: its title laid out as on a Japanese console,
// the page's own line mode (echo, erasing whole characters by their width, Ctrl+W, Ctrl+U, keys
// that do nothing), the settings, a game in debug mode with its pause of about 1.5 s, entry 3
// with the page's end notice, and the way to tavro's page through the index. Screens are
// compared whole with the native tests' expected screens.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';

import {
  ANSWER_MS,
  Minefield,
  START_MS,
  browserSession,
  consoleLayout,
  documentRow,
  rendered,
  terminalLayout,
} from './support.mjs';

describe('tavro-2dgame in the page', () => {
  const session = browserSession();

  test(
    'title, line mode, settings, a game and its pause, entry 3',
    { timeout: 120000 },
    async (t) => {
      const { screens } = session;
      const game = await session.open('tavro-2dgame.html');
      const menu = (unlocked = false, typed = '') =>
        rendered(screens[unlocked ? 'b.menu.unlocked' : 'b.menu'], typed);
      await game.waitForScreen(menu(), START_MS);

      // Full-width blanks and "★☆★" two columns each, as on a Japanese console.
      const title = '　　　　　　　★☆★　地雷ゲーム　mine game★☆★';
      const y = menu().indexOf(title);
      assert.deepEqual(await terminalLayout(game, y), consoleLayout(title, 0));
      assert.equal(await documentRow(game, y), title);

      // The page's line mode: echo; Backspace takes a whole character and its columns (two for
      // a wide one); Ctrl+W the last word; arrows, function keys and other control keys do
      // nothing; Ctrl+U clears the line.
      await game.type('3地雷 mine  ');
      await game.waitForScreen(menu(false, '3地雷 mine'), ANSWER_MS);
      await game.press('Control+w'); // the blanks and "mine"; the blank before it stays
      await game.waitForScreen(menu(false, '3地雷'), ANSWER_MS);
      await game.press('Backspace');
      await game.press('Backspace');
      await game.waitForScreen(menu(false, '3地'), ANSWER_MS);
      for (const key of ['ArrowLeft', 'ArrowUp', 'Home', 'F2', 'Control+a']) {
        await game.press(key);
      }
      await game.type('★');
      await game.waitForScreen(menu(false, '3地★'), ANSWER_MS);
      assert.deepEqual(await terminalLayout(game, 24), [
        [0, '3'],
        [1, '地'],
        [3, '★'],
      ]);
      await game.press('Control+u');
      await game.waitForScreen(menu(), ANSWER_MS);

      // Settings: debug mode on, and back; the answers are typed on the line below each prompt.
      await game.answer('2');
      await game.waitForScreen(rendered(screens['b.settings']), ANSWER_MS);
      await game.answer('4');
      await game.waitForScreen(rendered(screens['b.debug']), ANSWER_MS);
      await game.answer('1');
      await game.waitForScreen(rendered(screens['b.settings.debug']), ANSWER_MS);
      await game.answer('6');
      await game.waitForScreen(menu(), ANSWER_MS);

      // A game, walked off the map over free cells (onto a mine when none leads off).
      await game.answer('1');
      let field = null;
      await game.waitFor(
        (seen) => (field = Minefield.read(seen.slice(-17), 15, 29)) !== null,
        ANSWER_MS,
        'a map in debug mode'
      );
      let drawing = '';
      for (const key of field.walkOff()) {
        const rows = field.step(key);
        const outcome = ['gameover!!\n', screens['b.movePrompt'], 'clear!!\n'][field.result + 1];
        drawing = screens['b.clear'] + rows.join('\n') + '\n' + outcome;
        await game.answer(key);
        if (field.result !== 0) {
          break;
        }
        await game.waitForScreen(rendered(drawing), ANSWER_MS);
      }
      assert.notEqual(field.result, 0, 'the walk ended the game');
      // The final map and its message stay for the pause, then the title comes back by itself.
      const final = rendered(drawing);
      const shown = await game.shownAt(23, final[23], ANSWER_MS);
      await game.waitForScreen(final);
      const titleAgain = menu(field.result === 1);
      const gone = await game.shownAt(23, titleAgain[23], 10000);
      await game.waitForScreen(titleAgain);
      const paused = (gone - shown) / 1000;
      assert.ok(paused >= 1.3 && paused <= 2.5, `the pause took ${paused.toFixed(2)} s`);
      t.diagnostic(`the pause after the game: ${paused.toFixed(2)} s`);

      await game.type('3');
      await game.waitForScreen(menu(field.result === 1, '3'), ANSWER_MS);
      await game.press('Enter');
      assert.deepEqual(await game.endNotice(), {
        text: 'tavro-2dgame ended with status 0.',
        restart: true,
      });

      // The page's link to both games, and from there tavro's page, which starts at once.
      await game.page.click('a[href="index.html"]');
      await game.page.click('a[href="tavro.html"]');
      await game.page.waitForFunction(() => window.term !== undefined);
      await game.waitForScreen(rendered(screens['a.greeting']), START_MS);
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );
});
