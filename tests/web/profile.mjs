// Where the page's own thread spends its time: a CPU profile (the DevTools
// protocol's Profiler, sampling every 200 us) of the title screen once the
// page has settled, then of a running game, each over SECONDS, listed by the
// self time of each function, the most first. The rest of chromium's work
// (drawing, the sound's threads) is not in it: measure.mjs counts that. The
// game's functions have their names only in a build linked with
// --profiling-funcs; otherwise they read wasm-function[N].
//
//   tests/web/run.sh profile.mjs [SECONDS] [ROWS]   (default 20, 30)
import { servePage } from './serve.mjs';
import { chromium } from 'playwright-core';
import { chromiumArgs, sleep } from './checks.mjs';
import { mkdtemp, rm } from 'node:fs/promises';
import { loadavg, tmpdir } from 'node:os';
import { join } from 'node:path';

const [pageFolder, , secondsText, rowsText] = process.argv.slice(2);
const seconds = Number(secondsText || 20);
const rows = Number(rowsText || 30);
const server = await servePage(pageFolder);

// Each function's self time, summed over the samples that were in it.
function selfTimes(profile, what) {
  const nodes = new Map(profile.nodes.map((node) => [node.id, node]));
  const self = new Map();
  profile.samples.forEach((id, i) => {
    const frame = nodes.get(id).callFrame;
    const name = `${frame.functionName || '(anonymous)'} ${frame.url.replace(/^.*\//, '')}`.trim();
    self.set(name, (self.get(name) || 0) + (profile.timeDeltas[i] || 0));
  });
  const wall = profile.endTime - profile.startTime;
  const busy = [...self].filter(([name]) => name !== '(idle)').reduce((sum, [, us]) => sum + us, 0);
  return [`== ${what}: ${(wall / 1e6).toFixed(1)} s, the page's thread busy ${(100 * busy / wall).toFixed(2)} % ` +
          `(load ${loadavg()[0].toFixed(2)})`,
          ...[...self].filter(([name]) => name !== '(idle)').sort((a, b) => b[1] - a[1]).slice(0, rows)
            .map(([name, us]) => `${(us / 1000).toFixed(1).padStart(8)} ms ${(100 * us / wall).toFixed(3).padStart(7)} %  ${name}`)]
    .join('\n');
}

const profileFolder = await mkdtemp(join(tmpdir(), 'morvex2-profile-'));
const context = await chromium.launchPersistentContext(profileFolder, {
  executablePath: '/usr/bin/chromium', headless: true, viewport: { width: 800, height: 640 }, args: chromiumArgs,
});
try {
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await page.goto(server.address);
  await page.click('#start');
  // The tunes fetched and decoded, the files kept for offline play.
  await sleep(12000);
  await cdp.send('Profiler.enable');
  await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
  const take = async (what) => {
    await cdp.send('Profiler.start');
    await sleep(seconds * 1000);
    console.log(selfTimes((await cdp.send('Profiler.stop')).profile, what));
  };
  await take('title screen');
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.press('Enter');
  await sleep(500);
  await take('running game');
} finally {
  await context.close();
  server.close();
  await rm(profileFolder, { recursive: true, force: true, maxRetries: 5 });
}
