// The time from navigation to a game's first screen on the page (bench/web runs it): each
// game's page loaded `LOADS` times, each in a fresh browser context, so that nothing is cached.
// The page itself reads its clock (performance.now() counts from the navigation's start) once
// the terminal shows the screen, polled every 5 ms.
import { GamePage, launchBrowser, serveSite } from '../tests/web/support.mjs';

const LOADS = 5;
const firstScreens = [
  ['tavro.html', 'Hello Objective-C World', "tavro's greeting"],
  ['tavro-2dgame.html', 'input 1 ～ 3 ->', "tavro-2dgame's title"],
];

const server = await serveSite();
const browser = await launchBrowser();
try {
  console.log(`Chromium ${browser.version()}`);
  for (const [file, text, what] of firstScreens) {
    const times = [];
    for (let load = 0; load < LOADS; ++load) {
      const game = await GamePage.open(browser, server.url, file);
      const handle = await game.page.waitForFunction(
        (wanted) => {
          const buffer = window.term.buffer.active;
          for (let y = 0; y < buffer.length; ++y) {
            if (buffer.getLine(y).translateToString(true).includes(wanted)) {
              return performance.now();
            }
          }
          return false;
        },
        text,
        { polling: 5, timeout: 30000 }
      );
      times.push(await handle.jsonValue());
      await game.close();
    }
    const mean = times.reduce((sum, time) => sum + time, 0) / times.length;
    console.log(
      `${what}: ${mean.toFixed(0)} ms after navigation (mean of ${LOADS}; ` +
        `${Math.min(...times).toFixed(0)} to ${Math.max(...times).toFixed(0)} ms)`
    );
  }
} finally {
  await browser.close();
  server.close();
}
