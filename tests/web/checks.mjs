import { chromium } from 'playwright-core';
import { fileURLToPath } from 'node:url';

// What the browser tests share: the checks' tally, waiting for a condition,
// and the game's frames kept and compared inside the page (sending one to
// the test, 1.2 million numbers, takes seconds on a busy machine, and the
// game goes on meanwhile).
export let failures = 0;
export function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures += 1;
  return ok;
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// True once `test` holds; a failed check after `ms`.
export async function until(what, test, ms) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100)) {
    if (await test()) return true;
  }
  check(false, `${what} (waited ${ms} ms)`);
  return false;
}

// `keep` names the frame shown now; `colours` counts the colours of a kept
// frame; `differs` counts the pixels two kept frames differ in (-1 when
// their sizes do).
export async function keep(page, name) {
  await page.evaluate((kept) => {
    window.morvex2Kept = window.morvex2Kept || {};
    window.morvex2Kept[kept] = window.morvex2Frame();
  }, name);
}
export async function colours(page, name) {
  return page.evaluate((kept) => {
    const pixels = window.morvex2Kept[kept];
    const seen = new Set();
    for (let i = 0; i < pixels.length; i += 4) seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
    return seen.size;
  }, name);
}
export async function differs(page, first, second) {
  return page.evaluate(([a, b]) => {
    const one = window.morvex2Kept[a];
    const other = window.morvex2Kept[b];
    if (!one || !other || one.length !== other.length) return -1;
    let count = 0;
    for (let i = 0; i < one.length; i += 4) {
      if (one[i] !== other[i] || one[i + 1] !== other[i + 1] || one[i + 2] !== other[i + 2]) count += 1;
    }
    return count;
  }, [first, second]);
}
export async function shownColours(page) {
  if (!(await page.evaluate(() => !!window.morvex2Frame))) return 0;
  await keep(page, 'now');
  return colours(page, 'now');
}
export async function titleShown(page, what = 'the title screen appears') {
  return until(what, async () => (await shownColours(page)) > 50, 60000);
}

// The table's plain text from its 590 stored bytes: rank 1's name and score.
export function firstEntry(stored) {
  const plain = stored.map((byte) => (byte + 0x20) & 0xff);
  const text = (bytes) => bytes.slice(0, bytes.indexOf(0) < 0 ? bytes.length : bytes.indexOf(0));
  return { name: text(plain.slice(0, 16)).join(), score: String.fromCharCode(...text(plain.slice(450, 459))) };
}

// The pieces of a run follow from the wall-clock second at which the game
// starts. The page's clock (of a page, or of every page of a context) is held
// at a second (and the next one is as good) whose first piece, turned
// upright, stands a pin on a balloon of its colour, as morvex2-sim shows: the
// game below then scores 10 whichever tick of the first piece's fall its keys
// come on. The clock runs on from there once the page calls
// window.morvex2RunClock() (once the title is shown), so the files the game
// writes later carry later times than the first start's.
export const seedSecond = 1796774403;
export async function holdClockAtSeed(target) {
  await target.addInitScript((held) => {
    const realNow = Date.now;
    let offset = null;
    Date.now = () => (offset === null ? held : realNow() + offset);
    window.morvex2RunClock = () => {
      if (offset === null) offset = held - realNow();
    };
  }, seedSecond * 1000);
}

// Plays a started game to its end by dropping every piece where it comes; the
// game has then written last.mvr. DOWN is held as a keyboard holds it,
// repeating: a landing sets the fall back to the level's pace until the key
// comes again.
export async function playToEnd(page) {
  const ended = await until('the game ends', async () => {
    await page.keyboard.down('ArrowDown');
    return page.evaluate(() => Module.morvex2ReadDataFile('last.mvr') !== null);
  }, 60000);
  await page.keyboard.up('ArrowDown');
  return ended;
}

// Plays a started game to its end as a player who spreads the pieces over
// the field: each turned once, steered to the next column but two round the
// field's eight and dropped. Spread so, the pins meet balloons of their
// colour now and then and the game scores, on most seeds. The game has ended
// once last.mvr is there and is not `before` (the bytes of an earlier game's,
// or null).
export async function playSpreadToEnd(page, before = null) {
  let pieces = 0;
  return until('the game ends', async () => {
    const shift = (pieces * 3) % 8 - 3;
    pieces += 1;
    await page.keyboard.press('ArrowUp');
    for (let i = 0; i < Math.abs(shift); i += 1) await page.keyboard.press(shift < 0 ? 'ArrowLeft' : 'ArrowRight');
    await page.keyboard.down('ArrowDown');
    await sleep(300);
    await page.keyboard.up('ArrowDown');
    await sleep(300);
    return page.evaluate((earlier) => {
      const now = Module.morvex2ReadDataFile('last.mvr');
      return now !== null && (earlier === null || now.length !== earlier.length || now.some((b, i) => b !== earlier[i]));
    }, before);
  }, 180000);
}

// A replay being watched in the page, at double speed, to its verdict on the
// game's standard output; a failed check unless it came out as recorded.
export async function watchToVerdict(page, name) {
  await page.click('#start');
  await page.keyboard.press(' ');
  const said = async () => page.evaluate(() => window.morvex2Output.join('\n'));
  await until(`${name}: playback ends`, async () => /replay /.test(await said()), 240000);
  return check(/replay reproduced/.test(await said()), `${name}: ${await said()}`);
}

// The page's status lines as a player reads them.
export async function said(page) {
  return page.evaluate(() => document.getElementById('status').textContent);
}

// The tests' own script in every page they open (page_test_hooks.js): the
// game's printed lines and its frames, which the page keeps no record of.
export const pageTestHooks = fileURLToPath(new URL('./page_test_hooks.js', import.meta.url));
export async function withTestHooks(context) {
  await context.addInitScript({ path: pageTestHooks });
  return context;
}

// Chromium as the tests start it: Debian's, headless, with no background
// throttling, so that a busy machine slows the game no more than it must.
export const chromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
  '--disable-backgrounding-occluded-windows', '--autoplay-policy=no-user-gesture-required'];

// Chromium's phone emulation: touch, a mobile viewport's rules, three device
// pixels to the CSS pixel, a Japanese phone.
export const phoneEmulation = { isMobile: true, hasTouch: true, deviceScaleFactor: 3, locale: 'ja-JP' };

// The desktop browser the tests play in, on a profile of their own. The
// machine may be busy with other builds: a page gets two minutes for a step.
export async function desktopBrowser(profile) {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    locale: 'ja-JP',
    viewport: { width: 800, height: 640 },
    args: chromiumArgs,
  });
  context.setDefaultTimeout(120000);
  context.setDefaultNavigationTimeout(120000);
  return withTestHooks(context);
}

// The errors said on the consoles of the pages `watch` is given, each after
// its page's label.
export function consoleWatch() {
  const consoleErrors = [];
  function watch(page, label) {
    page.on('console', (message) => {
      if (message.type() === 'error') consoleErrors.push(`${label}: ${message.text()}`);
    });
    page.on('pageerror', (error) => consoleErrors.push(`${label}: ${error.message}`));
    return page;
  }
  return { consoleErrors, watch };
}
