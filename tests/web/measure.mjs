// Measures the browser build in Debian's headless chromium, as
// scripts/measure.sh measures the desktop game: the bytes the page transfers
// (raw and gzip), the time from the page's load to the game's first frame,
// and the CPU share of all of chromium's processes over a window on the title
// screen and over one in a running game, beside that of an empty page.
//
//   scripts/build.sh web && tests/web/run.sh measure.mjs [SECONDS]   (default 20)
import { chromium } from 'playwright-core';
import { servePage } from './serve.mjs';
import { readFile, readdir, mkdtemp, rm } from 'node:fs/promises';
import { gzipSync } from 'node:zlib';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { execFileSync } from 'node:child_process';

const [pageFolder, , secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 20);
let raw = 0;
let gzipped = 0;
const server = await servePage(pageFolder, (body) => {
  raw += body.length;
  gzipped += gzipSync(body, { level: 9 }).length;
});
const { address } = server;

// The CPU time, in clock ticks, of every process started with this profile,
// by the kind of process (the browser, its renderers, its GPU process, its
// audio service and so on).
const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK']).toString());
async function chromiumTicks(profile) {
  const ticks = new Map();
  for (const pid of await readdir('/proc')) {
    if (!/^\d+$/.test(pid)) continue;
    try {
      const command = (await readFile(`/proc/${pid}/cmdline`)).toString();
      if (!command.includes(profile)) continue;
      const kind = (command.match(/--utility-sub-type=[^.\0]*\.mojom\.(\w+)/) ||
                    command.match(/--type=([\w-]+)/) || [null, 'browser'])[1];
      const stat = (await readFile(`/proc/${pid}/stat`)).toString();
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      ticks.set(`${pid} ${kind}`, Number(fields[11]) + Number(fields[12]));  // utime, stime
    } catch {
      // the process ended meanwhile
    }
  }
  return ticks;
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// The share of one core that chromium took over the window, in all and by
// kind of process.
async function cpuShare(profile) {
  const before = await chromiumTicks(profile);
  const start = Date.now();
  await sleep(seconds * 1000);
  const after = await chromiumTicks(profile);
  const elapsed = (Date.now() - start) / 1000;
  const kinds = new Map();
  let all = 0;
  for (const [process, ticks] of after) {
    const share = (100 * (ticks - (before.get(process) || 0))) / ticksPerSecond / elapsed;
    const kind = process.split(' ')[1];
    kinds.set(kind, (kinds.get(kind) || 0) + share);
    all += share;
  }
  const parts = [...kinds].filter(([, share]) => share >= 0.05)
    .map(([kind, share]) => `${kind} ${share.toFixed(2)}`).join(', ');
  return `${all.toFixed(2)} % (${parts})`;
}

const profile = await mkdtemp(join(tmpdir(), 'morvex2-measure-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  viewport: { width: 800, height: 640 },
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--autoplay-policy=no-user-gesture-required'],
});
try {
  const page = await context.newPage();
  // The browser's own share, with an empty page, for comparison.
  await page.goto('about:blank');
  await sleep(3000);
  const empty = await cpuShare(profile);
  const loaded = Date.now();
  await page.goto(address);
  // The first frame: the game's own picture of the title, with its colours.
  for (;;) {
    const colours = await page.evaluate(() => {
      if (!window.morvex2Frame) return 0;
      const pixels = window.morvex2Frame();
      const seen = new Set();
      for (let i = 0; i < pixels.length; i += 4) seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
      return seen.size;
    });
    if (colours > 50) break;
    await sleep(5);
  }
  const firstFrameMs = Date.now() - loaded;
  await page.click('#start');
  await sleep(1000);  // the sound's start-up, as scripts/measure.sh waits for the game's
  const title = await cpuShare(profile);
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.press('Enter');
  const game = await cpuShare(profile);
  console.log(`transferred               ${(raw / 1e6).toFixed(2)} MB raw, ${(gzipped / 1e6).toFixed(2)} MB gzip`);
  console.log(`load to first frame       ${(firstFrameMs / 1000).toFixed(3)} s`);
  console.log(`CPU of all of chromium's processes over ${seconds} s, by kind of process:`);
  console.log(`  empty page     ${empty}`);
  console.log(`  title screen   ${title}`);
  console.log(`  running game   ${game}`);
} finally {
  await context.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}
