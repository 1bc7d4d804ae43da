// A paste of 50,000 lines into tavro-2dgame's page, in headless Chromium: the page stays
// responsive (no task of the page's main thread takes longer than 200 ms) and every line
// reaches the program, which answers each one (a menu answer that names no entry shows the
// title again, with its prompt).
//
// A task's length is the main thread's own time in it, from a trace of the browser (its
// task events): on a busy machine the wall-clock length of a task that the system set aside
// says nothing of the page. The wall-clock lengths are shown beside it.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';

import { START_MS, browserSession, rendered } from './support.mjs';

const LINES = 50000;
const LONGEST_TASK_MS = 200;

// The main thread's own time (ms) in its longest task, from a trace's task events: the
// longest of any renderer's main thread (the page is the only one).
function longestTaskMs(trace) {
  const events = trace.traceEvents ?? trace;
  const mains = new Set(
    events
      .filter((event) => event.name === 'thread_name' && event.args.name === 'CrRendererMain')
      .map((event) => `${event.pid}/${event.tid}`)
  );
  const tasks = events.filter(
    (event) =>
      event.name === 'ThreadControllerImpl::RunTask' &&
      mains.has(`${event.pid}/${event.tid}`) &&
      event.tdur !== undefined
  );
  assert.ok(tasks.length > 1000, `${tasks.length} tasks of the page traced`);
  return Math.max(...tasks.map((event) => event.tdur / 1000));
}

describe('a paste into tavro-2dgame', () => {
  const session = browserSession();

  test(`${LINES} lines: no long freeze, every line answered`, { timeout: 300000 }, async (t) => {
    const game = await session.open('tavro-2dgame.html');
    await game.waitForScreen(rendered(session.screens['b.menu']), START_MS);

    // Counts the menu prompts the program shows from here on (a prompt may come in two
    // pieces), and notes every task of the page that runs 50 ms or longer by the clock.
    await game.page.evaluate((prompt) => {
      const watch = { prompts: 0, tail: '', tasks: [] };
      window.flood = watch;
      const write = window.term.write.bind(window.term);
      window.term.write = (text, done) => {
        const seen = watch.tail + text;
        watch.prompts += seen.split(prompt).length - 1;
        watch.tail = seen.slice(-(prompt.length - 1));
        return write(text, done);
      };
      new PerformanceObserver((list) => {
        watch.tasks.push(...list.getEntries().map((entry) => entry.duration));
      }).observe({ type: 'longtask' });
    }, 'input 1 ～ 3 ->');

    // The paste as the browser delivers it to the terminal's text field.
    await session.browser.startTracing(game.page, { categories: ['toplevel'] });
    const started = performance.now();
    await game.page.evaluate((count) => {
      const data = new DataTransfer();
      data.setData('text/plain', '5\n'.repeat(count));
      document
        .querySelector('.xterm-helper-textarea')
        .dispatchEvent(
          new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true })
        );
    }, LINES);
    await game.page.waitForFunction((count) => window.flood.prompts >= count, LINES, {
      polling: 100,
      timeout: 240000,
    });
    const seconds = (performance.now() - started) / 1000;
    const longest = longestTaskMs(JSON.parse(await session.browser.stopTracing()));
    await game.waitForScreen(rendered(session.screens['b.menu']));
    const { prompts, tasks } = await game.page.evaluate(() => window.flood);
    assert.equal(prompts, LINES);
    t.diagnostic(
      `${prompts} answers in ${seconds.toFixed(1)} s; the longest task ` +
        `${longest.toFixed(0)} ms of the main thread's time; by the clock ${tasks.length} tasks ` +
        `of 50 ms or more, the longest ${Math.max(0, ...tasks).toFixed(0)} ms`
    );
    assert.ok(longest <= LONGEST_TASK_MS, `the longest task took ${longest.toFixed(0)} ms`);
    assert.deepEqual(game.errors, []);
    await game.close();
  });
});
