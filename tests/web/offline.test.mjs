// The site as a visitor's browser meets it, in headless Chromium: what each page is made of
// (no request that fails, a description, one heading in a main landmark, a first paint that
// does not wait for xterm.js), an installable app, play without a network after one visit, a
// new build replacing the stored one, and a failed load saying which file failed and how.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  ANSWER_MS,
  GamePage,
  START_MS,
  browserArgs,
  expectedScreens,
  launchBrowser,
  rendered,
  site,
  sleep,
} from './support.mjs';
import { serveDirectory } from './static_server.mjs';

const root = join(import.meta.dirname, '../..');

// A copy of the built site that a test may change, and a server of it.
async function siteCopy() {
  const folder = mkdtempSync(join(tmpdir(), 'tavro-site-'));
  cpSync(site, folder, { recursive: true });
  return { folder, server: await serveDirectory(folder) };
}

// The site's service worker controls `page` and has stored the site; the name of its store.
async function storedSite(page) {
  return page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    while (!navigator.serviceWorker.controller) {
      await new Promise((wait) => setTimeout(wait, 20));
    }
    return caches.keys();
  });
}

const version = (folder) =>
  /version: '(\w+)'/.exec(readFileSync(join(folder, 'precache.js'), 'utf8'))[1];

describe('the site in the browser', () => {
  let screens;
  let browser;
  const copies = [];
  before(async () => {
    screens = expectedScreens();
    browser = await launchBrowser();
  });
  after(async () => {
    await browser?.close();
    for (const { folder, server } of copies) {
      await server.close();
      rmSync(folder, { recursive: true, force: true });
    }
  });
  const copy = async () => {
    const made = await siteCopy();
    copies.push(made);
    return made;
  };

  test(
    'each page: no failed request, a description, one heading in a main landmark, ' +
      'installable, painted before xterm.js arrives',
    { timeout: 90000 },
    async () => {
      const { server } = await copy();
      for (const file of ['index.html', 'tavro.html', 'tavro-2dgame.html']) {
        // No service worker: every file comes from the server, and xterm.js comes a second late.
        const context = await browser.newContext({ serviceWorkers: 'block' });
        await context.route('**/xterm/xterm.js', async (route) => {
          await new Promise((wait) => setTimeout(wait, 1000));
          await route.continue();
        });
        const page = await context.newPage();
        const failed = [];
        const scripts = [];
        page.on('requestfailed', (request) => failed.push(`${request.url()} failed`));
        page.on('response', (response) => {
          if (response.status() >= 400) {
            failed.push(`${response.url()}: ${response.status()}`);
          } else if (/\.js$/.test(new URL(response.url()).pathname)) {
            scripts.push(response);
          }
        });
        await page.goto(server.url + file);
        if (file !== 'index.html') {
          // The game's first screen: everything the page loads has been asked for.
          await page.waitForFunction(
            () => {
              const buffer = window.term?.buffer.active;
              return (
                buffer &&
                [...Array(buffer.length).keys()].some(
                  (y) => buffer.getLine(y).translateToString(true).trim() !== ''
                )
              );
            },
            null,
            { timeout: START_MS }
          );
        }
        // Source maps that scripts name are there too (a debugger, or Lighthouse, asks for them).
        for (const script of scripts) {
          const map = /\/\/# sourceMappingURL=(\S+)\s*$/.exec(await script.text());
          if (map) {
            const response = await page.request.get(new URL(map[1], script.url()).href);
            assert.equal(response.status(), 200, `${script.url()} names ${map[1]}`);
          }
        }
        const facts = await page.evaluate(() => ({
          description: document.querySelector('meta[name="description"]')?.content.length > 0,
          headings: document.querySelectorAll('h1, h2, h3').length,
          mainHeading: document.querySelectorAll('main h1').length,
          mains: document.querySelectorAll('main, [role="main"]').length,
          firstPaint: performance.getEntriesByName('first-contentful-paint')[0]?.startTime,
          xterm: performance
            .getEntriesByType('resource')
            .find((entry) => entry.name.endsWith('/xterm/xterm.js'))?.responseEnd,
        }));
        assert.deepEqual(failed, [], file);
        assert.deepEqual(
          {
            description: facts.description,
            headings: facts.headings,
            mainHeading: facts.mainHeading,
            mains: facts.mains,
          },
          { description: true, headings: 1, mainHeading: 1, mains: 1 },
          file
        );
        if (facts.xterm !== undefined) {
          assert.ok(
            facts.firstPaint < facts.xterm,
            `${file}: first paint at ${facts.firstPaint} ms, xterm.js at ${facts.xterm} ms`
          );
        }
        await context.close();
      }

      // Installable as an app: that takes a browser profile of its own (not a private one).
      const profile = mkdtempSync(join(tmpdir(), 'tavro-profile-'));
      const context = await browser.browserType().launchPersistentContext(profile, {
        executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        args: browserArgs(),
      });
      try {
        const page = await context.newPage();
        await page.goto(server.url);
        const cdp = await context.newCDPSession(page);
        const deadline = performance.now() + 20000; // until the service worker is there
        let errors;
        do {
          await sleep(250);
          ({ installabilityErrors: errors } = await cdp.send('Page.getInstallabilityErrors'));
        } while (errors.length > 0 && performance.now() < deadline);
        assert.deepEqual(errors, []);
      } finally {
        await context.close();
        rmSync(profile, { recursive: true, force: true });
      }
    }
  );

  test(
    'after one visit, a page reloads and plays with the network off, and so does the index',
    { timeout: 90000 },
    async () => {
      const { server } = await copy();
      const game = await GamePage.open(browser, server.url, 'tavro.html');
      await game.waitForScreen(rendered(screens['a.greeting']), START_MS);
      assert.equal((await storedSite(game.page)).length, 1);

      // No server at all, and the browser offline.
      await server.close();
      await game.context.setOffline(true);
      await game.page.reload();
      await game.page.waitForFunction(() => window.term !== undefined);
      await game.waitForScreen(rendered(screens['a.greeting']), START_MS);
      await game.press('Enter');
      await game.waitForScreen(rendered(screens['a.title']), ANSWER_MS);

      // The index, then the other game, which was not visited but is stored with the rest.
      await game.page.goto(server.url);
      await game.page.click('a[href="tavro-2dgame.html"]');
      await game.page.waitForFunction(() => window.term !== undefined);
      await game.waitForScreen(rendered(screens['b.menu']), START_MS);
      await game.answer('3');
      assert.deepEqual(await game.endNotice(), {
        text: 'tavro-2dgame ended with status 0.',
        restart: true,
      });
      assert.deepEqual(game.errors, []);
      await game.close();
    }
  );

  test('a new build replaces the stored site', { timeout: 60000 }, async () => {
    const { folder, server } = await copy();
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(server.url);
    const first = version(folder);
    assert.deepEqual(await storedSite(page), [`tavro-${first}`]);

    // The build again, with a changed page: a new version that the reloaded page picks up.
    const index = join(folder, 'index.html');
    writeFileSync(index, readFileSync(index, 'utf8').replace('</h1>', ' new</h1>'));
    execFileSync('cmake', [`-DSITE=${folder}`, '-P', join(root, 'cmake/WebPrecache.cmake')]);
    const second = version(folder);
    assert.notEqual(second, first);
    await page.reload();
    const deadline = performance.now() + 20000;
    while ((await page.evaluate(() => caches.keys())).join() !== `tavro-${second}`) {
      assert.ok(performance.now() < deadline, 'the new build has not replaced the old one');
      await sleep(50);
    }
    await page.reload();
    assert.match(await page.textContent('h1'), / new$/);
    await context.close();
  });

  test(
    'a failed load says which file could not be loaded, and its HTTP status',
    { timeout: 60000 },
    async () => {
      const { folder, server } = await copy();
      const notice = async (file) => {
        const game = await GamePage.open(browser, server.url, file, { serviceWorkers: 'block' });
        await game.page.waitForSelector('#restart:not([hidden])', { timeout: ANSWER_MS });
        const shown = await game.currentNotice();
        await game.close();
        return shown;
      };
      rmSync(join(folder, 'tavro.wasm'));
      rmSync(join(folder, 'tavro-2dgame.js'));
      assert.deepEqual(await notice('tavro.html'), {
        restart: true,
        text: 'tavro could not start: tavro.wasm could not be loaded: HTTP 404 Not Found.',
      });
      assert.deepEqual(await notice('tavro-2dgame.html'), {
        restart: true,
        text:
          'tavro-2dgame could not start: ' +
          'tavro-2dgame.js could not be loaded: HTTP 404 Not Found.',
      });
      rmSync(join(folder, 'worker.js'));
      assert.deepEqual(await notice('tavro.html'), {
        restart: true,
        text: 'tavro could not start: worker.js could not be loaded: HTTP 404 Not Found.',
      });

      // Without xterm.js there is no terminal, only the notice.
      rmSync(join(folder, 'xterm/xterm.js'));
      const context = await browser.newContext({ serviceWorkers: 'block' });
      const page = await context.newPage();
      await page.goto(server.url + 'tavro-2dgame.html');
      await page.waitForFunction(() => document.getElementById('status').textContent !== '');
      assert.equal(
        await page.textContent('#status'),
        'tavro-2dgame could not start: xterm/xterm.js could not be loaded: HTTP 404 Not Found.'
      );
      await context.close();
    }
  );
});
