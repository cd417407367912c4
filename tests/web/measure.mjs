// Measures the browser build in Debian's headless chromium, as
// scripts/measure.sh measures the desktop game, beside the browser's own
// floor (floor/index.html: the same parts of a canvas put at the same moments
// as the game puts them, and a sound stream of the game's kind, with no game):
// the bytes of the files the first frame waits for and of the whole site (raw
// and gzip, each file by itself); the time, and where it goes, from the page's load
// to the game's first frame, plainly, from a cold cache on a slow phone (the
// CPU slowed 4 x, 1.6 Mbit/s with 150 ms of latency) and from the service
// worker's cache on the same phone; and the CPU share of all of chromium's
// processes over a window on the title screen, in a running game and hidden
// behind another tab, for the game's page and for the floor, beside that of
// an empty page. Each figure has the machine's load beside it: on a busy
// machine the figures mean little, and one run says little on any machine
// (the same floor moved two points between two runs), so the CPU is measured
// in ROUNDS rounds, the game's page and the floor taking turns to go first,
// and each figure is given with the median of its rounds.
//
// The title's window starts once the page has settled: the tunes fetched and
// the files kept for offline play, a few seconds' work done once a visit,
// which is given apart. The hidden windows start once the browser has done
// with the change of tab, which costs it a few seconds of drawing its own
// tabs (about 0.1 s of CPU) whatever the page; that too is given apart.
//
//   scripts/build.sh web && tests/web/run.sh measure.mjs [SECONDS] [ROUNDS]   (default 20, 3)
import { chromium } from 'playwright-core';
import { servePage } from './serve.mjs';
import { launchTabs } from './tabs.mjs';
import { notePuts, titleThenGame, playOnFloor, floorFolder, launchOptions } from './puts.mjs';
import { readFile, readdir, mkdtemp, rm } from 'node:fs/promises';
import { gzipSync } from 'node:zlib';
import { loadavg, tmpdir } from 'node:os';
import { join, relative } from 'node:path';
import { execFileSync } from 'node:child_process';

const [pageFolder, sourceFolder, secondsText, roundsText] = process.argv.slice(2);
const seconds = Number(secondsText || 20);
const rounds = Math.max(1, Number(roundsText || 3));
const server = await servePage(pageFolder);
const floorServer = await servePage(floorFolder(sourceFolder));
const load = () => `load ${loadavg()[0].toFixed(2)}`;

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
// The files of the site named (by their paths in it), else all of them, as
// the service worker fetches them all.
async function siteBytes(folder, only = null) {
  const sizes = { raw: 0, gzipped: 0, files: 0 };
  for (const entry of await readdir(folder, { withFileTypes: true, recursive: true })) {
    const path = join(entry.path || entry.parentPath, entry.name);
    if (!entry.isFile() || (only && !only.includes(relative(folder, path)))) continue;
    const body = await readFile(path);
    sizes.raw += body.length;
    sizes.gzipped += gzipSync(body, { level: 9 }).length;
    sizes.files += 1;
  }
  return sizes;
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// The share of one core that chromium took over the window (`seconds`, or
// until `done` resolves), in all and by kind of process, with the machine's
// load at its end: { all, text }.
async function cpuShare(profile, done = sleep(seconds * 1000)) {
  const before = await chromiumTicks(profile);
  const start = Date.now();
  await done;
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
  return { all, text: `${all.toFixed(2).padStart(5)} % (${parts}; ${load()})` };
}
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
// Whether the service worker keeps this build's files: the page's last
// one-off work after its first visit.
const keptOffline = async (page) => page.evaluate(async () => (await caches.keys()).length === 1 &&
  (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated');

// Notes when the game's start passes each of its steps: every run dependency
// removed (the wasm compiled and instantiated, the preloaded data, the
// player's data folder read from storage, ...) and when the runtime is ready
// for main. The module's script asks where its files are (locateFile) before
// it starts fetching them, so its functions are wrapped then.
function noteStart() {
  window.morvex2Start = [];
  const note = (what) => window.morvex2Start.push([performance.now(), what]);
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (made) => {
      if (made === module) return;
      module = made;
      made.locateFile = (path, folder) => {
        const remove = window.removeRunDependency;
        if (!remove.noted) {
          window.removeRunDependency = (id) => {
            note(id);
            return remove(id);
          };
          window.removeRunDependency.noted = true;
        }
        return folder + path;
      };
      made.onRuntimeInitialized = () => note('main');
    },
  });
}
// Where the time to the first frame went: when each file of the page had come
// (resource timing), when each step of the start ended, and the first frame.
async function startSteps(page) {
  const { files, steps, first } = await page.evaluate(() => ({
    files: [['index.html', performance.getEntriesByType('navigation')[0].responseEnd],
      ...performance.getEntriesByType('resource').map((entry) => [new URL(entry.name).pathname.replace(/^.*\//, '') || '/ (HEAD)',
        entry.responseEnd])],
    steps: window.morvex2Start,
    first: window.morvex2FirstPut,
  }));
  const at = (ms) => (ms / 1000).toFixed(2);
  const came = files.filter(([, end]) => end <= first).map(([name, end]) => `${name} ${at(end)}`);
  const done = steps.filter(([, what]) => !what.startsWith('fp '))  // each preloaded file, as the package ends
    .map(([end, what]) => `${what.replace(/^datafile_.*/, 'preloaded data')} ${at(end)}`);
  return `files come: ${came.join(', ')}; steps done: ${done.join(', ')}; first frame ${at(first)} s`;
}


// The time from the navigation's start to the first part the game puts.
async function firstFrameMs(page, address) {
  await page.goto(address);
  for (;;) {
    const at = await page.evaluate(() => window.morvex2FirstPut);
    if (at !== null) return at;
    await sleep(20);
  }
}

// A phone of the slow kind: the CPU slowed 4 x, 1.6 Mbit/s each way with
// 150 ms of latency. From a cold cache, then from the service worker's.
async function slowPhoneFirstFrames() {
  const profile = await mkdtemp(join(tmpdir(), 'morvex2-measure-slow-'));
  const context = await chromium.launchPersistentContext(profile, launchOptions);
  try {
    const page = await context.newPage();
    await page.addInitScript(notePuts);
    await page.addInitScript(noteStart);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 150, downloadThroughput: 200000, uploadThroughput: 200000 });
    const cold = await firstFrameMs(page, server.address);
    const coldSteps = await startSteps(page);
    // The worker fetches the build again once the game runs; then a visit
    // comes from its cache.
    while (!(await keptOffline(page))) await sleep(500);
    const fromCache = await firstFrameMs(page, server.address);
    return { cold, fromCache, coldSteps, cachedSteps: await startSteps(page) };
  } finally {
    await context.close();
    await rm(profile, { recursive: true, force: true, maxRetries: 5 });
  }
}

// The CPU of a page hidden behind another tab, once it has started and
// sounded for a while (and settled, when `settled` says when): the first
// seconds after the change of tab, then the window.
const tabChangeMs = 5000;
async function hiddenShare(address, started, settled = 'true') {
  const tabs = await launchTabs(['--disable-quic', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--autoplay-policy=no-user-gesture-required']);
  try {
    const tab = await tabs.open(address);
    for (let waited = 0; !(await tab.evaluate(started)) && waited < 60000; waited += 200) await sleep(200);
    for (let waited = 0; !(await tab.evaluate(settled)) && waited < 60000; waited += 200) await sleep(200);
    await sleep(3000);
    await tabs.open('about:blank');
    const change = await cpuShare(tabs.profile, sleep(tabChangeMs));
    return { change, hidden: await cpuShare(tabs.profile) };
  } finally {
    await tabs.close();
  }
}

const profile = await mkdtemp(join(tmpdir(), 'morvex2-measure-'));
const context = await chromium.launchPersistentContext(profile, launchOptions);
const results = [];
try {
  const page = await context.newPage();
  // The browser's own share, with an empty page, for comparison.
  await page.goto('about:blank');
  await sleep(3000);
  const empty = await cpuShare(profile);
  await page.addInitScript(notePuts);
  const firstFrame = await firstFrameMs(page, server.address);
  const first = await siteBytes(pageFolder, await page.evaluate(() => [
    ...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')]
    .filter((entry) => entry.responseEnd <= window.morvex2FirstPut)
    .map((entry) => new URL(entry.name).pathname.slice(1) || 'index.html')));
  results.push(`to the first frame         ${(first.raw / 1e6).toFixed(2)} MB raw, ${(first.gzipped / 1e6).toFixed(2)} MB gzip ` +
               `(${first.files} files)`);
  const site = await siteBytes(pageFolder);
  results.push(`the whole site             ${(site.raw / 1e6).toFixed(2)} MB raw, ${(site.gzipped / 1e6).toFixed(2)} MB gzip ` +
               `(${site.files} files; the service worker keeps them all)`);
  results.push(`load to first frame        ${(firstFrame / 1000).toFixed(3)} s (${load()})`);

  // One visit to the game's page: the title once the page has settled, then
  // a game started from it. The first visit is the one whose parts the floor
  // plays.
  const visit = async (again) => {
    if (again) await firstFrameMs(page, server.address);
    await page.click('#start');
    const settling = Date.now();
    const settle = await cpuShare(profile, (async () => {
      while (!(await keptOffline(page))) await sleep(200);
      await sleep(3000);  // the sound's start-up, and the first tune's
    })());
    const settleSeconds = (Date.now() - settling) / 1000;
    return { settle, settleSeconds, ...(await titleThenGame(page, () => cpuShare(profile))) };
  };
  // The floor: the game's own parts at the game's own moments.
  const floorVisit = async (titlePuts, gamePuts) => {
    const floor = await context.newPage();
    await floor.goto(floorServer.address);
    await playOnFloor(floor, titlePuts, seconds);
    await sleep(1000);
    const title = await cpuShare(profile);
    await playOnFloor(floor, gamePuts, seconds);
    await sleep(1000);
    const game = await cpuShare(profile);
    await floor.close();
    return { title, game };
  };
  const shown = [];
  const floorShown = [];
  let parts = null;
  for (let round = 0; round < rounds; ++round) {
    if (round % 2 === 1) floorShown.push(await floorVisit(parts.titlePuts, parts.gamePuts));
    const played = await visit(round > 0);
    shown.push(played);
    parts = parts || played;
    if (round % 2 === 0) floorShown.push(await floorVisit(parts.titlePuts, parts.gamePuts));
  }
  const startedGame = "!!document.getElementById('start') && (document.getElementById('start').click(), true)";
  const keptOfflineInTab = `(async () => (await caches.keys()).length === 1 &&
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated')()`;
  const hidden = { game: [], floor: [], empty: [] };
  for (let round = 0; round < rounds; ++round) {
    hidden.game.push(await hiddenShare(server.address, startedGame, keptOfflineInTab));
    hidden.floor.push(await hiddenShare(floorServer.address, 'true'));
    hidden.empty.push(await hiddenShare('about:blank', 'true'));
  }

  for (const compressed of [false, true]) {
    server.compress(compressed);
    const slow = await slowPhoneFirstFrames();
    results.push(`first frame on a slow phone (CPU / 4, 1.6 Mbit/s, 150 ms), files sent ${compressed ? 'gzipped' : 'as they are'}: ` +
                 `cold ${(slow.cold / 1000).toFixed(3)} s, from the service worker's cache ${(slow.fromCache / 1000).toFixed(3)} s (${load()})`);
    results.push(`  cold:  ${slow.coldSteps}`);
    results.push(`  cache: ${slow.cachedSteps}`);
  }
  results.push(`parts put in ${seconds} s: title ${parts.titlePuts.length}, game ${parts.gamePuts.length}`);
  results.push(`CPU of all of chromium's processes over ${seconds} s, by kind of process, in ${rounds} rounds:`);
  results.push(`  empty page                    ${empty.text}`);
  shown.forEach((played, round) => {
    results.push(`  round ${round + 1}: settling after the click, ${played.settleSeconds.toFixed(1)} s: ${played.settle.text}`);
    results.push(`    title screen  game          ${played.title.text}`);
    results.push(`                  floor         ${floorShown[round].title.text}`);
    results.push(`    running game  game          ${played.game.text}`);
    results.push(`                  floor         ${floorShown[round].game.text}`);
  });
  for (let round = 0; round < rounds; ++round) {
    results.push(`  round ${round + 1}: hidden, the first ${tabChangeMs / 1000} s after the change of tab, then ${seconds} s:`);
    for (const kind of ['game', 'floor', 'empty']) {
      const { change, hidden: after } = hidden[kind][round];
      results.push(`    ${kind.padEnd(6)} change ${change.text}`);
      results.push(`           hidden ${after.text}`);
    }
  }
  const row = (what, mine, floors, extra = '') => {
    const game = median(mine.map((share) => share.all));
    const floor = median(floors.map((share) => share.all));
    const difference = game - floor;
    results.push(`  ${what.padEnd(14)} ${game.toFixed(2).padStart(5)} %  ${floor.toFixed(2).padStart(5)} %  ` +
                 `${difference >= 0 ? '+' : '-'}${Math.abs(difference).toFixed(2)}${extra}`);
  };
  results.push(`medians of ${rounds} rounds:  game     floor    game - floor`);
  row('title screen', shown.map((played) => played.title), floorShown.map((floor) => floor.title));
  row('running game', shown.map((played) => played.game), floorShown.map((floor) => floor.game));
  row('hidden', hidden.game.map((one) => one.hidden), hidden.floor.map((one) => one.hidden),
      ` (empty tab ${median(hidden.empty.map((one) => one.hidden.all)).toFixed(2)} %)`);
  console.log(results.join('\n'));
} finally {
  await context.close();
  server.close();
  floorServer.close();
  await rm(profile, { recursive: true, force: true, maxRetries: 5 });
}
