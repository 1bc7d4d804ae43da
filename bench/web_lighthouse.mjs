// Lighthouse (web/package.json pins it) on the index and both game pages, as a phone (its
// default: a mid-range phone on a slow 4G network, simulated) and as a desktop (its desktop
// preset), in Debian's chromium, the site served compressed on 127.0.0.1 (bench/web runs it).
// Prints the four scores of each run, the first paint and largest paint, Lighthouse's measure of
// the machine's speed (its benchmark index: a busy machine scores low, and its performance
// figures suffer with it), and every audit that did not pass in full.
import { execFile } from 'node:child_process';
import { join } from 'node:path';
import { promisify } from 'node:util';

import { serveSite } from '../tests/web/support.mjs';

const root = join(import.meta.dirname, '..');
const cli = join(root, 'web/node_modules/lighthouse/cli/index.js');
const pages = ['index.html', 'tavro.html', 'tavro-2dgame.html'];
const categories = ['performance', 'accessibility', 'best-practices', 'seo'];

const chromeFlags = ['--headless=new', ...(process.getuid?.() === 0 ? ['--no-sandbox'] : [])];

async function lighthouse(url, desktop) {
  const { stdout } = await promisify(execFile)(
    process.execPath,
    [
      cli,
      url,
      '--output=json',
      '--output-path=stdout',
      '--quiet',
      `--only-categories=${categories.join(',')}`,
      `--chrome-flags=${chromeFlags.join(' ')}`,
      ...(desktop ? ['--preset=desktop'] : []),
    ],
    {
      env: { ...process.env, CHROME_PATH: process.env.CHROMIUM ?? '/usr/bin/chromium' },
      maxBuffer: 64 << 20,
    }
  );
  return JSON.parse(stdout);
}

const server = await serveSite();
try {
  console.log(
    'page               device   perf  a11y  best   seo   first paint  largest paint' + '  machine'
  );
  for (const desktop of [false, true]) {
    for (const page of pages) {
      const report = await lighthouse(server.url + page, desktop);
      const scores = categories.map((name) => Math.round(report.categories[name].score * 100));
      const paint = (id) => report.audits[id].displayValue.replace(/\s/g, ' ');
      console.log(
        `${page.padEnd(18)} ${(desktop ? 'desktop' : 'mobile').padEnd(8)} ` +
          `${scores.map((score) => String(score).padStart(4)).join('  ')}   ` +
          `${paint('first-contentful-paint').padStart(11)}  ` +
          `${paint('largest-contentful-paint').padStart(13)}  ${report.environment.benchmarkIndex}`
      );
      const audited = new Set(
        categories.flatMap((name) =>
          report.categories[name].auditRefs.filter((ref) => ref.weight > 0).map((ref) => ref.id)
        )
      );
      for (const id of audited) {
        const audit = report.audits[id];
        if (audit.score !== null && audit.score < 1) {
          console.log(`    ${id}: ${audit.score} ${audit.displayValue ?? ''}`);
        }
      }
    }
  }
} finally {
  await server.close();
}
