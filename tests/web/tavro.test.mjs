// tavro in the page, in headless Chromium: the greeting's wait, the key that ends it, the line
// editing of the program's own editor through the raw keys the page sends, a game in debug
// mode to its end with the count and the key wait, the settings, the bonus, and entry 3 with
// the page's end notice. Screens are compared whole with the native tests' expected screens.
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
  sleep,
  terminalLayout,
} from './support.mjs';

describe('tavro in the page', () => {
  const session = browserSession();
  const screen = (name) => session.screens[name];

  const title = (unlocked = false, typed = '') =>
    rendered(screen(unlocked ? 'a.title.unlocked' : 'a.title'), typed);

  async function open() {
    const game = await session.open('tavro.html');
    await game.waitForScreen(rendered(screen('a.greeting')), START_MS);
    return game;
  }

  // Entry 3: echoed, then Enter ends the program; the page says so, offers to start again and
  // the terminal takes no more keys.
  async function chooseEnd(game, unlocked) {
    await game.type('3');
    await game.waitForScreen(title(unlocked, '3'), ANSWER_MS);
    await game.press('Enter');
    assert.deepEqual(await game.endNotice(), { text: 'tavro ended with status 0.', restart: true });
    await game.page.click('#terminal');
    await game.type('1');
    await game.press('Enter');
    await sleep(200);
    assert.deepEqual(await game.screen(), title(unlocked, '3'));
  }

  test(
    'the greeting stays about five seconds without a key, and entry 3 ends the game',
    { timeout: 120000 },
    async (t) => {
      const game = await session.open('tavro.html');
      const greeting = rendered(screen('a.greeting'));
      const shown = await game.shownAt(9, greeting[9], START_MS);
      await game.waitForScreen(greeting);
      assert.equal(
        await game.page.evaluate(() => document.activeElement?.className),
        'xterm-helper-textarea',
        'the terminal has the keyboard when the page opens'
      );
      const gone = await game.shownAt(17, title()[17], 10000);
      await game.waitForScreen(title());
      // The clock counts whole seconds, so the wait is 4 to 5 s, seen up to a poll late. The
      // page may take in the program's first output a few tenths late while it is still
      // setting up the terminal (more so on a busy machine), which shortens what is seen.
      const waited = (gone - shown) / 1000;
      assert.ok(waited >= 3.5 && waited <= 6, `the greeting stayed ${waited.toFixed(2)} s`);
      t.diagnostic(`the greeting stayed ${waited.toFixed(2)} s`);

      // The title's rows stand at the columns of a Japanese console: "★☆★" and "―" are two
      // columns wide there, as every character of code page 932's two bytes is. The document
      // holds the same text.
      const rows = [
        [7, '★☆★　地雷ゲーム　mine game★☆★'],
        [8, '―画面端まで辿りつけ！ go to the out!～'],
      ];
      for (const [y, text] of rows) {
        assert.deepEqual(await terminalLayout(game, y), consoleLayout(text, 25));
        assert.equal(await documentRow(game, y), ' '.repeat(25) + text);
      }
      await chooseEnd(game, false);

      // Starting again: a fresh run, from the greeting.
      await game.page.click('#restart');
      await game.waitForScreen(rendered(screen('a.greeting')), START_MS);
      assert.deepEqual(await game.currentNotice(), { text: '', restart: false });
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );

  test(
    'a key ends the greeting at once and stays as the start of the answer',
    { timeout: 120000 },
    async (t) => {
      const game = await open();
      const pressed = await game.page.evaluate(() => performance.now());
      await game.type('x');
      const shown = await game.shownAt(17, title(false, 'x')[17], 3000);
      await game.waitForScreen(title(false, 'x'));
      const took = (shown - pressed) / 1000;
      assert.ok(took < 1.5, `the key ended the greeting after ${took.toFixed(2)} s`);
      t.diagnostic(`the key ended the greeting after ${took.toFixed(2)} s`);
      await game.press('ArrowLeft');
      await game.press('F1');
      await game.press('Backspace');
      await game.waitForScreen(title(), ANSWER_MS);

      // The program's own editing, from the keys that the page passes on as they are: a wide
      // character is erased by its two columns, Ctrl+U takes the line.
      await game.type('12 地雷');
      await game.waitForScreen(title(false, '12 地雷'), ANSWER_MS);
      await game.press('Backspace');
      await game.waitForScreen(title(false, '12 地'), ANSWER_MS);
      await game.press('Control+u');
      await game.waitForScreen(title(), ANSWER_MS);
      // Ambiguous characters take two columns in the page, and the editor takes back both: the
      // next character stands right after what is left. Ctrl+W takes the word.
      await game.type('★―x');
      await game.press('Backspace');
      await game.press('Backspace');
      await game.type('y');
      await game.waitForScreen(title(false, '★y'), ANSWER_MS);
      await game.press('Control+w');
      await game.waitForScreen(title(), ANSWER_MS);

      // A click anywhere on the page gives the keyboard back to the terminal.
      await game.page.evaluate(() => document.activeElement.blur());
      await game.page.mouse.click(900, 650);
      await game.type('7');
      await game.waitForScreen(title(false, '7'), ANSWER_MS);
      await game.press('Backspace');
      await chooseEnd(game, false);
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );

  test(
    'debug mode, games to a win with the count and the key wait, the bonus, entry 3',
    { timeout: 120000 },
    async (t) => {
      const game = await open();
      await game.type('2');
      await game.waitForScreen(title(false, '2'), 3000);
      await game.press('Enter');
      await game.waitForScreen(rendered(screen('a.settings')), ANSWER_MS);
      await game.answer('3');
      await game.waitForScreen(rendered(screen('a.debug')), ANSWER_MS);
      await game.answer('1');
      await game.waitForScreen(rendered(screen('a.settings.debug')), ANSWER_MS);
      await game.answer('5');
      await game.waitForScreen(title(), ANSWER_MS);

      // Games until one is won: the shortest walk over free cells nearly always gets off.
      let won = false;
      for (let games = 0; !won && games < 4; ++games) {
        await game.answer('1');
        let field = null;
        await game.waitFor(
          (seen) => (field = Minefield.read(seen, 15, 30)) !== null,
          ANSWER_MS,
          'a map in debug mode'
        );
        let drawing = '';
        for (const key of field.walkOff()) {
          const rows = field.step(key);
          const outcome = ['gameover!!\n', screen('a.movePrompt'), 'clear!!\n'][field.result + 1];
          drawing = screen('a.clear') + rows.join('\n') + '\n' + outcome;
          await game.answer(key);
          await game.waitForScreen(rendered(drawing), ANSWER_MS);
          if (field.result !== 0) {
            break;
          }
        }
        assert.notEqual(field.result, 0, 'the walk ended the game');
        won = field.result === 1;
        // The final drawing stays through the count and the key wait; one whole key ends them,
        // an arrow's escape sequence included, leaving nothing of it for the menu's answer. Keys
        // pressed while the count runs are dropped when it ends, so on a busy machine the arrow
        // is pressed again until one reaches the key wait (at the menu's prompt it does nothing).
        await sleep(3000);
        assert.deepEqual(await game.screen(), rendered(drawing), 'the key wait did not wait');
        await game.press('ArrowUp');
        for (let presses = 1; (await game.screenIs(rendered(drawing))) && presses < 20; ++presses) {
          await sleep(500);
          await game.press('ArrowUp');
        }
        await game.waitForScreen(title(won), 10000);
      }
      assert.ok(won, 'no game of four was won');

      // The bonus: the telephone (on a cleared screen) taken by someone else, one key, and the
      // title again.
      await game.answer('4');
      await game.waitForScreen(rendered(screen('a.bonus')), ANSWER_MS);
      await game.answer('1');
      const taken = screen('a.clear') + screen('a.bonus.take');
      await game.waitForScreen(rendered(taken), ANSWER_MS);
      await game.answer('2');
      await game.waitForScreen(rendered(taken + '2\n' + screen('a.bonus.taken')), ANSWER_MS);
      await game.type('z');
      await game.waitForScreen(title(true), ANSWER_MS);
      await chooseEnd(game, true);
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );
});
