// Measures the browser build in Debian's headless chromium, as
// scripts/measure.sh measures the desktop game, beside the browser's own
// floor (floor/index.html: the same parts of a canvas put at the same moments
// as the game puts them, and a sound stream of the game's kind, with no game):
// the bytes of the files the first frame waits for and of the whole site (raw
// and gzip, each file by itself); the time, and where it goes, from the page's load
// to the game's first frame, plainly, from a cold cache on a slow phone (the
// CPU slowed 4 x, 1.6 Mbit/s with 150 ms of latency) and from the service
// worker's cache on the same phone (the files sent as they are, gzipped, and
// by morvex2-server as it hosts the page); and the CPU share of all of chromium's
// processes, by kind of thread (threads.mjs), on the title screen, in a
// running game and hidden behind another tab, for the game's page against
// the floor (and hidden, an empty tab).
//
// One long window each says little: the floor alone moved two points between
// two runs on a machine shared with others. So the page and the floor run in
// browsers of their own, each started and settled once (the page past its
// start, the tunes' decoding and the files kept for offline play), and the
// CPU is taken in PAIRS pairs of short windows in turns (paired.mjs), the
// browser not measured stopped meanwhile; each scene gives the median of the
// pairs' differences with its spread. The floor plays the parts the game put
// in a window of the same scene just before, over and over.
//
//   scripts/build.sh web && tests/web/run.sh measure.mjs [SECONDS] [PAIRS] [PARTS]
//   (default 10 s, 8 pairs, PARTS "start,title,game,hidden": "start" is the
//   bytes and the first frames; about 15 minutes in all)
import { chromium } from 'playwright-core';
import { servePage } from './serve.mjs';
import { startWorldServer } from './world_server.mjs';
import { launchTabs } from './tabs.mjs';
import { notePuts, takenPuts, playOnFloor, floorFolder, launchOptions, measuredFlags, whenModuleMade, noteDecodes,
         tunesDecoded, keptOfflineInTab } from './puts.mjs';
import { pairedWindows, pairedReport } from './paired.mjs';
import { threadTicks, sharesBetween, pauseBrowser } from './threads.mjs';
import { readFile, readdir, mkdtemp, rm } from 'node:fs/promises';
import { gzipSync } from 'node:zlib';
import { execFileSync } from 'node:child_process';
import { loadavg, tmpdir } from 'node:os';
import { join, relative } from 'node:path';

const [pageFolder, sourceFolder, secondsText, pairsText, partsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);
const pairs = Math.max(1, Number(pairsText || 8));
const parts = new Set((partsText || 'start,title,game,hidden').split(','));
const server = await servePage(pageFolder);
const floorServer = await servePage(floorFolder(sourceFolder));
const load = () => `load ${loadavg()[0].toFixed(2)}`;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

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
// Whether the service worker keeps this build's files: the page's last
// one-off work after its first visit.
const keptOffline = async (page) => page.evaluate(async () => (await caches.keys()).length === 1 &&
  (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated');

// Notes when the game's start passes each of its steps: every run dependency
// removed (the wasm compiled and instantiated, the preloaded data, the
// player's data folder read from storage, ...) and when the runtime is ready
// for main. The module's script asks where its files are (locateFile) before
// it starts fetching them, so its functions are wrapped then.
function noteStartSteps(made) {
  window.morvex2Start = window.morvex2Start || [];
  const note = (what) => window.morvex2Start.push([performance.now(), what]);
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
// Over https with the test's own certificate, which the service worker does
// not accept, only the cold visit is measured (fromCache null).
async function slowPhoneFirstFrames(address, { tls = false } = {}) {
  const profile = await mkdtemp(join(tmpdir(), 'morvex2-measure-slow-'));
  const context = await chromium.launchPersistentContext(profile, { ...launchOptions, ignoreHTTPSErrors: tls });
  try {
    const page = await context.newPage();
    await page.addInitScript(notePuts);
    await page.addInitScript(`(${whenModuleMade})(${noteStartSteps})`);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 150, downloadThroughput: 200000, uploadThroughput: 200000 });
    const cold = await firstFrameMs(page, address);
    const coldSteps = await startSteps(page);
    if (tls) return { cold, fromCache: null, coldSteps, cachedSteps: 'not measured' };
    // The worker fetches the build again once the game runs; then a visit
    // comes from its cache.
    while (!(await keptOffline(page))) await sleep(500);
    const fromCache = await firstFrameMs(page, address);
    return { cold, fromCache, coldSteps, cachedSteps: await startSteps(page) };
  } finally {
    await context.close();
    await rm(profile, { recursive: true, force: true, maxRetries: 5 });
  }
}

// The bytes, and the first frame on this machine and on a slow phone.
async function startFigures() {
  const results = [];
  const profile = await mkdtemp(join(tmpdir(), 'morvex2-measure-'));
  const context = await chromium.launchPersistentContext(profile, launchOptions);
  try {
    const page = await context.newPage();
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
  } finally {
    await context.close();
    await rm(profile, { recursive: true, force: true, maxRetries: 5 });
  }
  const seconds = (ms) => (ms === null ? 'not measured' : `${(ms / 1000).toFixed(3)} s`);
  const slowPhone = async (how, address, tls = false) => {
    const slow = await slowPhoneFirstFrames(address, { tls });
    results.push(`first frame on a slow phone (CPU / 4, 1.6 Mbit/s, 150 ms), ${how}: ` +
                 `cold ${seconds(slow.cold)}, from the service worker's cache ${seconds(slow.fromCache)} (${load()})`);
    results.push(`  cold:  ${slow.coldSteps}`);
    results.push(`  cache: ${slow.cachedSteps}`);
  };
  for (const compressed of [false, true]) {
    server.compress(compressed);
    await slowPhone(`files sent ${compressed ? 'gzipped' : 'as they are'}`, server.address);
  }
  // As the world tables' server hosts the page: its own precompressed copies,
  // validators and cache headers; over http, and over its own TLS as a host
  // without a proxy serves it, where the browser also takes the brotli copies
  // (it asks for them only over https).
  const keys = await mkdtemp(join(tmpdir(), 'morvex2-measure-tls-'));
  execFileSync('openssl', ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '1', '-subj', '/CN=127.0.0.1',
                           '-addext', 'subjectAltName=IP:127.0.0.1', '-keyout', join(keys, 'key.pem'),
                           '-out', join(keys, 'cert.pem')], { stdio: 'ignore' });
  for (const tls of [false, true]) {
    const world = await startWorldServer(pageFolder, sourceFolder, 'the page hosted by morvex2-server',
      tls ? ['--tls-cert', join(keys, 'cert.pem'), '--tls-key', join(keys, 'key.pem')] : []);
    if (!world) break;
    try {
      await slowPhone(`files sent by morvex2-server over ${tls ? 'its own TLS' : 'http'}`, world.address, tls);
    } finally {
      await world.stop();
    }
  }
  await rm(keys, { recursive: true, force: true });
  return results;
}

// A browser of its own for one side, in a window of the page's size, its
// garbage collections counted from V8's trace.
async function launchSide(name) {
  const gcs = { minor: 0, major: 0 };
  let partLine = '';
  const browser = await launchTabs([...measuredFlags, '--window-size=800,640', '--js-flags=--trace-gc'], null,
    (text) => {
      const lines = (partLine + text).split('\n');
      partLine = lines.pop();
      for (const line of lines) {
        const collection = / ms: (Scavenge|Minor Mark-\w+|Mark-Compact|Mark-Sweep)/.exec(line);
        if (collection) gcs[/Scavenge|Minor/.test(collection[1]) ? 'minor' : 'major'] += 1;
      }
    });
  const side = { name, browser, profile: browser.profile, count: () => ({ ...gcs }), tab: null };
  side.puts = async () => (side.tab ? side.tab.evaluate(takenPuts) : []);
  return side;
}
// Waits until `expression` holds, or `ms` have passed; how long it took.
async function waitFor(tab, expression, ms) {
  const start = Date.now();
  while (!(await tab.evaluate(expression)) && Date.now() - start < ms) await sleep(250);
  return (Date.now() - start) / 1000;
}
// The CPU of a browser over what `work` does, as one line.
async function cpuOf(profile, work) {
  const before = await threadTicks(profile);
  const start = Date.now();
  const result = await work();
  const share = sharesBetween(before, await threadTicks(profile), (Date.now() - start) / 1000);
  return { result, text: `${share.all.toFixed(2)} % of a core over ${((Date.now() - start) / 1000).toFixed(1)} s` };
}
const pauseOne = (side, paused) => pauseBrowser(side.profile, paused);
// What the browser does after a start or a change of screen before it runs
// as it will: the top tier's compiles of the new screen's code, the sound's start.
const warmUpMs = 5000;

const results = [];
const sides = [];
try {
  if (parts.has('start')) results.push(...(await startFigures()));
  const wanted = ['title', 'game', 'hidden'].filter((scene) => parts.has(scene));
  if (wanted.length) {
    const page = await launchSide('page');
    sides.push(page);

    // The page, from its load to the title settled.
    page.tab = await page.browser.open('about:blank');
    await page.tab.send('Page.addScriptToEvaluateOnNewDocument', { source: `(${notePuts})();(${whenModuleMade})(${noteDecodes})` });
    const started = await cpuOf(page.profile, async () => {
      await page.tab.goto(server.address);
      await page.tab.evaluate("document.getElementById('start').click()");
      const kept = await waitFor(page.tab, keptOfflineInTab, 60000);
      const decoded = await waitFor(page.tab, tunesDecoded, 60000);
      await sleep(warmUpMs);
      return `the files kept offline after ${kept.toFixed(1)} s, the tunes decoded ${decoded.toFixed(1)} s later`;
    });
    results.push(`the page's start: ${started.result}; with ${warmUpMs / 1000} s more, ${started.text} (${load()})`);

    // The floor plays the parts the page put in its last window, so that
    // both draw the same as the title's animation goes through its phases;
    // over and over in the window's own length, which is a little longer
    // than `seconds` (the readings of /proc and the page at its ends).
    let latestPuts = [];
    let latestTaken = Date.now();
    let latestPeriod = seconds;
    const pagePuts = page.puts;
    page.puts = async () => {
      latestPuts = await pagePuts();
      latestPeriod = (Date.now() - latestTaken) / 1000;
      latestTaken = Date.now();
      return latestPuts;
    };
    const floorSide = await launchSide('floor');
    sides.push(floorSide);
    floorSide.tab = await floorSide.browser.open('about:blank');
    await floorSide.tab.send('Page.addScriptToEvaluateOnNewDocument', { source: `(${notePuts})()` });
    await floorSide.tab.goto(floorServer.address);
    floorSide.before = () => playOnFloor(floorSide.tab, latestPuts, latestPeriod);
    await pauseOne(floorSide, true);
    // A scene's first window of the page, not measured, gives the floor its parts.
    const scene = async (name) => {
      if (page.before) await page.before();
      await sleep(3000);
      await page.puts();
      await sleep(seconds * 1000);
      await page.puts();
      await pauseOne(page, true);
      const windows = await pairedWindows([page, floorSide], { seconds, pairs });
      results.push(...pairedReport(name, windows, 'page', 'floor', { seconds }));
      await pauseOne(page, false);
    };
    if (parts.has('title')) await scene('title screen');

    if (parts.has('game')) {
      // Each window of the page in a game of its own, started from the title
      // (RETURN to the play screen, RETURN to start), its first seconds
      // outside the window: a game left alone ends in about a minute.
      await page.tab.press('Enter', 13);
      await sleep(500);
      await page.tab.press('Enter', 13);
      await sleep(warmUpMs);  // the game's code compiled at the top tier
      page.before = async () => {
        await page.tab.press('Escape', 27);  // back to the title
        await sleep(500);
        await page.tab.press('Enter', 13);
        await sleep(500);
        await page.tab.press('Enter', 13);
      };
      await scene('running game');
      page.before = null;
    }
    floorSide.before = null;

    await pauseOne(page, true);
    if (parts.has('hidden')) {
      // Each page behind another tab, after the browser has done with the
      // change of tab (a few seconds of drawing its own tabs, whatever the
      // page); an empty tab hidden the same way beside them.
      const empty = await launchSide('empty tab');
      sides.push(empty);
      await empty.browser.open('about:blank');
      for (const side of sides) {
        await pauseOne(side, false);
        await side.browser.open('about:blank');
        await sleep(warmUpMs);
        await pauseOne(side, true);
      }
      const windows = await pairedWindows([page, floorSide, empty], { seconds, pairs });
      results.push(...pairedReport('hidden', windows, 'page', 'floor', { seconds }));
    }
  }
  console.log(results.join('\n'));
} finally {
  for (const side of sides) {
    await pauseBrowser(side.profile, false);
    await side.browser.close();
  }
  server.close();
  floorServer.close();
}
