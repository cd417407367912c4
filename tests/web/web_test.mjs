// The browser build in a real browser: serves the page's folder on
// 127.0.0.1, drives Debian's chromium through playwright-core, and checks
// that the title screen appears, that keys start a game and move the piece,
// that every committed replay plays back to the Linux final frame, that what
// the game saves survives a reload, and that nothing is said on the console
// as an error; then the page as a phone game (phone_test.mjs), kept for
// offline play and updated (kept_test.mjs), asleep while hidden
// (hidden_test.mjs), saying what goes wrong (trouble_test.mjs), and keeping
// every tab's results (shared_test.mjs).
//
//   node web_test.mjs PAGE_FOLDER SOURCE_FOLDER
import { servePage } from './serve.mjs';
import { check, failures, sleep, until, keep, colours, differs, shownColours, desktopBrowser, consoleWatch,
         firstEntry, playToEnd, watchToVerdict, holdClockAtSeed } from './checks.mjs';
import { testKeptPage } from './kept_test.mjs';
import { testPhone } from './phone_test.mjs';
import { testPhoneScreens } from './phone_screens_test.mjs';
import { testHidden, testHiddenUpdate } from './hidden_test.mjs';
import { testTrouble } from './trouble_test.mjs';
import { testShared } from './shared_test.mjs';
import { readFile, readdir, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const server = await servePage(pageFolder);
const { address } = server;
const started = Date.now();
const seconds = () => `${((Date.now() - started) / 1000).toFixed(0)} s`;

const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const context = await desktopBrowser(profile);
const { consoleErrors, watch } = consoleWatch();

// --- the title screen, keys, and what survives a reload
async function titleShown(page) {
  await until('the title screen appears', async () => (await shownColours(page)) > 50, 60000);
  await page.evaluate(() => window.morvex2RunClock());
}
// Whether the game watches for gamepads: SDL listens for them once its
// controller support starts.
async function watchesGamepads(page) {
  return page.evaluate(() => JSEvents.eventHandlers.some((handler) => handler.eventTypeString === 'gamepadconnected'));
}
// Whether the game's sound goes out through the page's own output, running,
// at the rate the game mixes at.
async function soundThroughPage(page) {
  return page.evaluate(() => {
    const sdl = Module.SDL2;
    return !!sdl.audio && !!sdl.audio.scriptProcessorNode &&
      sdl.audio.scriptProcessorNode.context === sdl.audioContext &&
      sdl.audioContext.state === 'running' && sdl.audioContext.sampleRate === 44100;
  });
}

async function playOnePage() {
  const page = watch(await context.newPage(), 'game');
  await holdClockAtSeed(page);
  await page.goto(address);
  await titleShown(page);
  await keep(page, 'title');
  check((await colours(page, 'title')) > 50, 'the title screen is drawn');
  check(await page.evaluate(() => document.getElementById('pad').hidden && !document.body.classList.contains('touch')),
        'without a touch screen there is no pad');
  await page.click('#start');
  check(await page.evaluate(() => document.activeElement.id === 'canvas'), 'the canvas has the keys');
  if (await until('the sound plays', () => soundThroughPage(page), 10000)) {
    check(true, "the game's sound plays through the page's output, at 44.1 kHz");
  }
  // The tunes are decoded by the browser and kept in the game's tune cache
  // as plain samples, and the browser's own copy of them is let go.
  const tuneFiles = (await readdir(join(pageFolder, 'tunes'))).length;
  const tunesKept = () => page.evaluate((count) => {
    const cache = '/home/web_user/.cache/morvex2';
    if (!FS.analyzePath(cache).exists) return false;
    const kind = (name) => {
      const stream = FS.open(`${cache}/${name}`, 'r');
      const start = new Uint8Array(4);
      FS.read(stream, start, 0, 4, 0);
      FS.close(stream);
      return String.fromCharCode(...start);
    };
    const kept = FS.readdir(cache).filter((name) => name.endsWith('.tune'));
    return kept.length === count && kept.every((name) => kind(name) === 'RIFF') && Module.morvex2DecodedTunes.size === 0;
  }, tuneFiles);
  if (await until('the tunes are decoded into the tune cache', tunesKept, 30000)) {
    check(true, `the ${tuneFiles} tunes, decoded by the browser, are kept in the tune cache as plain samples`);
  }
  await page.evaluate(() => window.morvex2SoundPeak());
  if (await until("the title's tune is heard", () => page.evaluate(() => window.morvex2SoundPeak() > 0.01), 10000)) {
    check(true, "the title's tune is heard");
  }
  check(!(await watchesGamepads(page)), 'gamepads are not watched before the player asks');
  const scroll = await page.evaluate(() => window.scrollY);
  await page.keyboard.press('Enter');
  await sleep(500);
  await keep(page, 'ready');
  check((await differs(page, 'title', 'ready')) > 10000, 'RETURN goes to the play screen');
  // The canvas shows the game's pixels where they lie in the game's memory;
  // memory that grows moves them (64 MB taken here, as a long session's
  // files may), and the next frames must still reach the canvas.
  const grown = await page.evaluate(() => {
    const before = HEAPU8.length;
    Module._free(Module.allocateUTF8('x'.repeat(64 << 20)));
    return HEAPU8.length > before;
  });
  check(grown, "the game's memory grows");
  // RETURN starts the game; the middle level's first tick brings the piece.
  await page.keyboard.press('Enter');
  await sleep(2500);
  await keep(page, 'playing');
  check((await differs(page, 'ready', 'playing')) > 0, 'RETURN starts the game');
  await page.keyboard.press('ArrowLeft');
  await sleep(300);
  await keep(page, 'moved');
  const changed = await differs(page, 'playing', 'moved');
  check(changed > 0 && changed < 20000, `LEFT moves the piece (${changed} pixels changed)`);
  check(await page.evaluate(() => window.scrollY) === scroll, 'the keys do not scroll the page');
  await page.keyboard.press('ArrowUp');

  // The name field writes zel.ini.
  await page.fill('#name', 'ブラウザ');
  await page.click('#keep-name');
  check(/保存/.test(await page.textContent('#status')), 'the name is kept');
  await page.focus('#canvas');
  // The first piece, upright, pops its balloon; dropping every piece where it
  // comes then ends the game soon. Its result enters the middle table.
  await playToEnd(page);
  await sleep(1500);
  await page.click('#controllers');
  if (await until('gamepads are watched once asked for', () => watchesGamepads(page), 10000)) {
    check(true, 'gamepads are watched once asked for');
  }
  const saved = await page.evaluate(() => ({
    table: Array.from(Module.morvex2ReadDataFile('tyuu.pod')),
    name: Array.from(Module.morvex2ReadDataFile('zel.ini')),
    replay: Array.from(Module.morvex2ReadDataFile('last.mvr')),
  }));
  // ブラウザ in Shift-JIS.
  const entered = firstEntry(saved.table);
  check(entered.score === '10' && entered.name === '131,117,131,137,131,69,131,85',
        `the game's 10 points entered the middle table at rank 1 under the name (${entered.score}, ${entered.name})`);
  await page.reload();
  await titleShown(page);
  const kept = await page.evaluate(() => ({
    table: Array.from(Module.morvex2ReadDataFile('tyuu.pod')),
    name: Array.from(Module.morvex2ReadDataFile('zel.ini')),
    replay: Array.from(Module.morvex2ReadDataFile('last.mvr') || []),
  }));
  check(kept.table.join() === saved.table.join(), 'the table, with the new entry, survives a reload');
  check(kept.name.join() === saved.name.join(),
        `the name survives a reload (${saved.name.join()} / ${kept.name.join()})`);
  check(kept.replay.join() === saved.replay.join(), 'last.mvr survives a reload');
  check(!/failed|できません/.test(await page.textContent('#status')), 'no failed save is shown');
  const errors = await page.evaluate(() => window.morvex2Errors);
  check(errors.length === 0, `the game wrote nothing to standard error${errors.length ? ': ' + errors.join(' | ') : ''}`);
  if (await until('gamepads are watched again after a reload', () => watchesGamepads(page), 10000)) {
    check(true, 'gamepads are watched again after a reload, unasked');
  }
  await page.close();
}

// --- a committed replay, watched through the page's file picker, at double
// speed, to the Linux final frame
async function watchReplay(name) {
  const page = watch(await context.newPage(), name);
  await page.goto(address);
  // A player picks the file once the game is shown; a page loaded again
  // before that cuts its own download of the game short, which the browser
  // says on the console.
  await until(`${name}: the title screen appears`, async () => (await shownColours(page)) > 50, 60000);
  // The file picker keeps the file and loads the page again to watch it.
  await Promise.all([
    page.waitForNavigation(),
    page.setInputFiles('#watch', join(sourceFolder, 'tests/replays', `${name}.mvr`)),
  ]);
  // A short replay may be over by the first poll.
  await until(`${name}: playback starts`, async () => (await shownColours(page)) > 50 ||
    (await page.evaluate(() => window.morvex2Output.length > 0)), 60000);
  await watchToVerdict(page, name);
  const golden = (await readFile(join(sourceFolder, `tests/e2e/golden/replay_${name}.png`))).toString('base64');
  await until(`${name}: the last frame is kept`, () => page.evaluate(() => !!window.morvex2FinalFrame), 10000);
  await page.evaluate(async (png) => {
    const blob = await (await fetch(`data:image/png;base64,${png}`)).blob();
    const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    window.morvex2Kept = window.morvex2Kept || {};
    window.morvex2Kept.golden = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    window.morvex2Kept.final = window.morvex2FinalFrame;
  }, golden);
  const off = await differs(page, 'final', 'golden');
  check(off === 0, `${name}: the final frame is the Linux one (${off} pixels differ)`);
  await page.close();
}

try {
  await playOnePage();
  const replays = (await readdir(join(sourceFolder, 'tests/replays')))
    .filter((file) => file.endsWith('.mvr')).map((file) => file.slice(0, -4));
  await Promise.all(replays.map(watchReplay));
  console.log(`-- the desktop page and the replays: ${seconds()}`);
  await testKeptPage({ context, server, pageFolder, watch });
  console.log(`-- kept offline and updated: ${seconds()}`);
  check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? ':\n  ' + consoleErrors.join('\n  ') : ''}`);
  await testPhone({ address, sourceFolder });
  console.log(`-- the phone: ${seconds()}`);
  await testPhoneScreens({ address, sourceFolder });
  console.log(`-- the phone's screens and the keys: ${seconds()}`);
  await testHidden({ address });
  await testHiddenUpdate({ server, pageFolder });
  console.log(`-- hidden: ${seconds()}`);
  await testTrouble({ address, sourceFolder });
  console.log(`-- trouble: ${seconds()}`);
  await testShared({ address });
  console.log(`-- shared between tabs: ${seconds()}`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await context.close();
  server.close();
  await rm(profile, { recursive: true, force: true });
}
process.exit(failures === 0 ? 0 : 1);
