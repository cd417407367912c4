// The browser build in a real browser: serves build/web on 127.0.0.1, drives
// Debian's chromium through playwright-core, and checks that the title screen
// appears, that keys start a game and move the piece, that every committed
// replay plays back to the Linux final frame, that what the game saves
// survives a reload, and that nothing is said on the console as an error.
//
//   node web_test.mjs PAGE_FOLDER SOURCE_FOLDER
import { chromium } from 'playwright-core';
import { servePage } from './serve.mjs';
import { readFile, readdir, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const server = await servePage(pageFolder);
const { address } = server;

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures += 1;
}

const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  locale: 'ja-JP',
  viewport: { width: 800, height: 640 },
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
         '--disable-backgrounding-occluded-windows', '--autoplay-policy=no-user-gesture-required'],
});
// The machine may be busy with other builds: a page gets two minutes for a step.
context.setDefaultTimeout(120000);
context.setDefaultNavigationTimeout(120000);
const consoleErrors = [];
function watch(page, label) {
  page.on('console', (message) => {
    if (message.type() === 'error') consoleErrors.push(`${label}: ${message.text()}`);
  });
  page.on('pageerror', (error) => consoleErrors.push(`${label}: ${error.message}`));
  return page;
}

// The frame as the game drew it, and a summary of it.
async function frame(page) {
  return page.evaluate(() => Array.from(window.morvex2Frame()));
}
function differs(a, b) {
  let count = 0;
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) count += 1;
  }
  return count;
}
function colours(pixels) {
  const seen = new Set();
  for (let i = 0; i < pixels.length; i += 4) seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
  return seen.size;
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function until(what, test, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100)) {
    if (await test()) return true;
  }
  check(false, `${what} (waited ${ms} ms)`);
  return false;
}

// --- the title screen, keys, and what survives a reload
async function playOnePage() {
  const page = watch(await context.newPage(), 'game');
  await page.goto(address);
  await until('the title screen appears', async () => colours(await frame(page)) > 50, 60000);
  const title = await frame(page);
  check(colours(title) > 50, 'the title screen is drawn');
  await page.click('#start');
  check(await page.evaluate(() => document.activeElement.id === 'canvas'), 'the canvas has the keys');
  const scroll = await page.evaluate(() => window.scrollY);
  await page.keyboard.press('Enter');
  await sleep(500);
  const ready = await frame(page);
  check(differs(title, ready) > 10000, 'RETURN goes to the play screen');
  // RETURN starts the game; the middle level's first tick brings the piece.
  await page.keyboard.press('Enter');
  await sleep(2500);
  const playing = await frame(page);
  check(differs(ready, playing) > 0, 'RETURN starts the game');
  await page.keyboard.press('ArrowLeft');
  await sleep(300);
  const moved = await frame(page);
  const changed = differs(playing, moved);
  check(changed > 0 && changed < 20000, `LEFT moves the piece (${changed} pixels changed)`);
  check(await page.evaluate(() => window.scrollY) === scroll, 'the keys do not scroll the page');

  // The name field writes zel.ini.
  await page.fill('#name', 'ブラウザ');
  await page.click('#keep-name');
  check(/保存/.test(await page.textContent('#status')), 'the name is kept');
  await page.focus('#canvas');
  // Dropping every piece where it comes ends the game soon; its result goes
  // to the middle table, and the game to last.mvr.
  const before = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('tyuu.pod')));
  await page.keyboard.down('ArrowDown');
  await until('the game ends', async () => (await page.evaluate(
    () => Module.morvex2ReadDataFile('last.mvr') !== null)), 60000);
  await page.keyboard.up('ArrowDown');
  await sleep(1500);
  const saved = await page.evaluate(() => ({
    table: Array.from(Module.morvex2ReadDataFile('tyuu.pod')),
    name: Array.from(Module.morvex2ReadDataFile('zel.ini')),
    replay: Array.from(Module.morvex2ReadDataFile('last.mvr')),
  }));
  // Whether the game scored depends on the pieces; a table that did not
  // change is said, and its survival below is then that of the old one.
  const entered = before.join() !== saved.table.join();
  console.log(`note: the game's result ${entered ? 'entered' : 'did not enter'} the middle table`);
  await page.reload();
  await until('the game starts again', async () => colours(await frame(page)) > 50, 60000);
  const kept = await page.evaluate(() => ({
    table: Array.from(Module.morvex2ReadDataFile('tyuu.pod')),
    name: Array.from(Module.morvex2ReadDataFile('zel.ini')),
    replay: Array.from(Module.morvex2ReadDataFile('last.mvr') || []),
  }));
  check(kept.table.join() === saved.table.join(), 'the table survives a reload');
  check(kept.name.join() === saved.name.join(),
        `the name survives a reload (${saved.name.join()} / ${kept.name.join()})`);
  check(kept.replay.join() === saved.replay.join(), 'last.mvr survives a reload');
  check(!/failed|できません/.test(await page.textContent('#status')), 'no failed save is shown');
  await page.close();
}

// --- a committed replay, watched through the page's file picker, at double
// speed, to the Linux final frame
async function watchReplay(name) {
  const page = watch(await context.newPage(), name);
  await page.goto(address);
  // The file picker keeps the file and loads the page again to watch it.
  await Promise.all([
    page.waitForNavigation(),
    page.setInputFiles('#watch', join(sourceFolder, 'tests/replays', `${name}.mvr`)),
  ]);
  // A short replay may be over by the first look.
  await until(`${name}: playback starts`, async () => colours(await frame(page)) > 50 ||
    (await page.evaluate(() => window.morvex2Output.length > 0)), 60000);
  await page.click('#start');
  await page.keyboard.press(' ');
  const said = async () => page.evaluate(() => window.morvex2Output.join('\n'));
  await until(`${name}: playback ends`, async () => /replay /.test(await said()), 240000);
  check(/replay reproduced/.test(await said()), `${name}: ${await said()}`);
  const golden = (await readFile(join(sourceFolder, `tests/e2e/golden/replay_${name}.png`))).toString('base64');
  const expected = await page.evaluate(async (png) => {
    const blob = await (await fetch(`data:image/png;base64,${png}`)).blob();
    const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return Array.from(context.getImageData(0, 0, bitmap.width, bitmap.height).data);
  }, golden);
  await until(`${name}: the last frame is kept`, () => page.evaluate(() => !!window.morvex2FinalFrame), 10000);
  const shown = await page.evaluate(() => Array.from(window.morvex2FinalFrame || []));
  const off = shown.length === expected.length ? differs(shown, expected) : -1;
  check(off === 0, `${name}: the final frame is the Linux one (${off} pixels differ)`);
  await page.close();
}

try {
  await playOnePage();
  const replays = (await readdir(join(sourceFolder, 'tests/replays')))
    .filter((file) => file.endsWith('.mvr')).map((file) => file.slice(0, -4));
  await Promise.all(replays.map(watchReplay));
  check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? ':\n  ' + consoleErrors.join('\n  ') : ''}`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await context.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}
process.exit(failures === 0 ? 0 : 1);
