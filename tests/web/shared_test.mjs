// Every tab's result is kept: two and three tabs of one browser, with games
// in play, closed, taken over and loaded again in every order, and a tab that
// goes to another page and comes back, kept by the browser or loaded anew, on
// a phone and on the desktop. Each row is a
// browser context of its own (its own storage), and every game scores 10 on
// the middle table (the clock held at the seed of checks.mjs), so that a
// table holds exactly as many 10s as games were finished.
//
//   node shared_test.mjs PAGE_FOLDER SOURCE_FOLDER [ROWS]   (or from web_test.mjs;
//   ROWS: a pattern of the rows to run)
import { chromium } from 'playwright-core';
import { check, failures, sleep, until, titleShown, said, chromiumArgs, withTestHooks, holdClockAtSeed,
  phoneEmulation } from './checks.mjs';
import { storedFile } from './kept_test.mjs';
import { servePage } from './serve.mjs';
import { pathToFileURL } from 'node:url';

// The scores of the middle table's ten rows, from its stored bytes.
function scores(stored) {
  if (!stored) return [];
  const rows = [];
  for (let row = 0; row < 10; row += 1) {
    const text = stored.slice(450 + 9 * row, 459 + 9 * row).map((byte) => (byte + 0x20) & 0xff);
    const end = text.indexOf(0);
    rows.push(String.fromCharCode(...(end < 0 ? text : text.slice(0, end))));
  }
  return rows;
}
const tens = (stored) => scores(stored).filter((score) => score === '10').length;

const screen = (page) => page.evaluate(() => (Module._morvex2_scene ? Module._morvex2_scene() : 0));

async function open(context, address, name) {
  const page = await context.newPage();
  page.on('pageerror', (error) => check(false, `${name}: ${error.message}`));
  await page.goto(address);
  await titleShown(page, `${name}: the title screen appears`);
  await page.evaluate(() => window.morvex2RunClock());
  await page.click('#start');
  return page;
}

// From the title to a game of the middle level in play, its first piece
// turned upright: the next landing scores.
async function startGame(page) {
  await page.keyboard.press('Enter');
  await until('the play screen', async () => (await screen(page)) === 2, 20000);
  await page.keyboard.press('Enter');
  await sleep(2500);
  await page.keyboard.press('ArrowUp');
}

// Drops every piece until the high scores show the game's result, and the
// page has saved it.
async function finishGame(page, name) {
  const ended = await until(`${name}: the game ends`, async () => {
    await page.keyboard.down('ArrowDown');
    return (await screen(page)) === 3;
  }, 90000);
  await page.keyboard.up('ArrowDown');
  await sleep(1000);
  return ended;
}

async function storedTens(page, count, what) {
  let stored = null;
  const ok = await until(what, async () => {
    stored = await storedFile(page, 'tyuu.pod');
    return tens(stored) === count;
  }, 20000);
  return check(ok, `${what} (${scores(stored).join(' ')})`);
}

// What each tab's game holds of the table, as it would enter its next result.
const held = (page) => page.evaluate(() => Array.from(Module.morvex2ReadDataFile('tyuu.pod') || []).join());

// A table in the stored form from [name, score] rows (dates and counts made
// up alike), ten rows, the rest empty.
function table(rows) {
  const bytes = Array(590).fill(0xe0);
  const put = (at, width, text) => {
    [...Buffer.from(text, 'latin1')].slice(0, width).forEach((byte, i) => { bytes[at + i] = (byte - 0x20) & 0xff; });
  };
  rows.forEach(([name, score], row) => {
    put(16 * row, 16, name);
    put(160 + 29 * row, 29, 'Sat Dec 05 16:38:43 2026');
    put(450 + 9 * row, 9, String(score));
    put(540 + 5 * row, 5, '1');
  });
  return bytes;
}
const names = (stored) => scores(stored).map((score, row) => {
  const text = stored.slice(16 * row, 16 * row + 16).map((byte) => (byte + 0x20) & 0xff);
  const end = text.indexOf(0);
  return score ? `${String.fromCharCode(...(end < 0 ? text : text.slice(0, end)))}${score}` : '';
}).filter(Boolean).join(' ');

// A line that says another tab keeps the scores.
const othersKeep = /another tab too|Another tab now keeps/;

// Leaves the page for another and comes back with the browser's Back: the
// page as it was left, when the browser keeps it (`cached`), else loaded
// anew. Which of the two happened is checked, so that a row never tries the
// other by chance.
async function awayAndBack(page, cached, whileAway = async () => true) {
  // A service worker that installs while the page is away talks to it, and
  // the browser then drops the page it kept: the page's own is let settle.
  await page.evaluate(async () => {
    const ready = await navigator.serviceWorker.ready;
    while (ready.installing || ready.waiting || ready.active.state !== 'activated') {
      await new Promise((wait) => { setTimeout(wait, 100); });
    }
    window.pageShownAs = null;
  });
  await page.goto('about:blank');
  const away = await whileAway();
  await page.goBack({ waitUntil: 'commit' });
  let shownAs = null;
  await until('the page is shown again', async () => {
    shownAs = await page.evaluate(() => window.pageShownAs).catch(() => null);
    return shownAs !== null && shownAs !== undefined;
  }, 60000);
  return check(shownAs === (cached ? 'kept' : 'loaded'),
    `the page comes back ${cached ? 'as it was left' : 'loaded anew'} (${shownAs})`) && away;
}

// A tab goes to another page during its game, alone or beside another tab,
// and comes back: the folder is handed over while it is away and taken up
// again as the tabs stand when it is back, its lines say so and no line
// stays that is no longer true, and the game it finishes then is stored.
async function goesAway(context, address, { cached, beside }) {
  const first = await open(context, address, 'first');
  const second = beside ? await open(context, address, 'second') : null;
  if (second) await until('the second tab says another keeps the scores', async () => /another tab too/.test(await said(second)), 20000);
  await startGame(first);
  const away = await awayAndBack(first, cached, async () => !second ||
    until('the other tab takes the folder over while the first is away, and says so', async () =>
      /went to another page: this tab keeps them now/.test(await said(second)), 10000));
  if (cached) {
    check(await screen(first) === 2, 'the game left in play is still in play');
  } else {
    await titleShown(first, 'the page loaded anew shows the title');
    await first.evaluate(() => window.morvex2RunClock());
    await first.click('#start');
  }
  const told = await until(second ? 'the tab that came back says the other keeps the scores'
                                  : 'the tab that came back, alone, says nothing of another tab', async () =>
    othersKeep.test(await said(first)) === !!second, 10000);
  if (!cached) await startGame(first);
  await finishGame(first, 'the tab that came back');
  const stored = await storedTens(first, 1, "the game of the tab that came back is stored");
  let lines = true;
  if (second) {
    lines = await until('the tab that came back says it keeps the scores now', async () =>
      /This tab now keeps/.test(await said(first)), 10000) &&
      await until('the other tab says so too', async () => /Another tab now keeps/.test(await said(second)), 10000);
  }
  const last = await said(first);
  // Alone, the tab has nothing to say of keeping the scores.
  const stale = second ? othersKeep : /keeps? (the scores|them)/;
  return check(!stale.test(last), `no line of the tab that came back says another tab keeps the scores (${last})`) &&
    away && told && stored && lines;
}

// A tab's first request for the lock reaches the browser late, after the
// game has asked to save its first files (a fresh browser's tables), as on a
// busy phone: the save waits for the answer instead of taking the folder
// before the tab's own request, which would then find it held and leave the
// tab saying another keeps the scores. A tab alone says nothing of keeping
// them.
async function saveBeforeAnswer(context, address) {
  await context.addInitScript(() => {
    const request = navigator.locks.request.bind(navigator.locks);
    let answer;
    const answered = new Promise((resolve) => { answer = resolve; });
    window.answerLock = answer;
    let first = true;
    navigator.locks.request = (name, options, callback) => {
      if (!first) return request(name, options, callback);
      first = false;
      return answered.then(() => request(name, options, callback));
    };
  });
  const page = await context.newPage();
  page.on('pageerror', (error) => check(false, error.message));
  await page.goto(address);
  await titleShown(page);
  const waited = check((await storedFile(page, 'tyuu.pod')) === null, 'the first save waits for the answer');
  await page.evaluate(() => window.answerLock());
  const stored = await until('the first save is stored once the answer comes', async () =>
    (await storedFile(page, 'tyuu.pod')) !== null, 10000);
  await sleep(500);
  const locks = await page.evaluate(async () => {
    const now = await navigator.locks.query();
    return `${now.held.length} held, ${now.pending.length} waiting`;
  });
  const once = check(locks === '1 held, 0 waiting', `the tab holds the lock once and waits for nothing (${locks})`);
  const line = await said(page);
  return check(line === '', `the tab alone says nothing of keeping the scores (${line})`) && waited && stored && once;
}

// What a save keeps when another tab stored the file since this one read it
// (`base`): this tab's new entries are added to the stored ones.
async function testMerges(context, address) {
  const page = await context.newPage();
  await page.goto(address);
  await titleShown(page);
  const fifties = Array.from({ length: 10 }, (_, i) => [`F${i}`, 50]);
  const cases = [
    ['an entry of this tab joins one of another tab', [], [['B', 10]], [['A', 20]], 'A20 B10'],
    ['an equal score goes below the stored one', [], [['B', 10]], [['A', 10]], 'A10 B10'],
    ['two tabs with the same entry keep both', [], [['A', 10]], [['A', 10]], 'A10 A10'],
    ['entries both tabs had stay once', [['X', 30]], [['X', 30], ['B', 10]], [['X', 30], ['A', 20]], 'X30 A20 B10'],
    ['a full table takes a higher score and drops its last', fifties, [['B', 60], ...fifties.slice(0, 9)],
      [...fifties.slice(0, 9), ['A', 40]], `B60 ${fifties.slice(0, 9).map(([n]) => `${n}50`).join(' ')}`],
    ['a full table takes no lower score', fifties, [...fifties.slice(0, 9), ['B', 45]],
      [['A', 70], ...fifties.slice(0, 9)], `A70 ${fifties.slice(0, 9).map(([n]) => `${n}50`).join(' ')}`],
  ];
  let ok = true;
  for (const [what, base, mine, theirs, wanted] of cases) {
    const merged = await page.evaluate(([b, m, t]) =>
      Array.from(morvex2MergeFile('/x/tyuu.pod', new Uint8Array(b), new Uint8Array(m), new Uint8Array(t))),
    [table(base), table(mine), table(theirs)]);
    ok = check(names(merged) === wanted, `${what}: ${names(merged)}`) && ok;
  }
  const lines = await page.evaluate(() => {
    const bytes = (text) => new TextEncoder().encode(text);
    return new TextDecoder().decode(morvex2MergeLines(bytes('a\nb\n'), bytes('b\nc\n'), bytes('a\nb\nd\n')));
  });
  ok = check(lines === 'b\nd\nc\n', `world results not yet sent: one sent by this tab goes, the others' new ones stay (${JSON.stringify(lines)})`) && ok;
  const damaged = await page.evaluate(() =>
    morvex2MergeFile('/x/syo.pod', null, new Uint8Array(590).fill(7), new Uint8Array(100)).every((byte) => byte === 7));
  return check(damaged, 'a stored table of the wrong size gives way to the tab\'s own') && ok;
}

export async function testShared({ address, only = null }) {
  const rows = [
    ['the merges of a table and of the world results, case by case', (context) => testMerges(context, address)],
    ['two tabs finish their games one after the other: both results are kept', async (context) => {
      const first = await open(context, address, 'first');
      const second = await open(context, address, 'second');
      const other = await until('the second tab says another keeps the scores', async () =>
        /another tab too/.test(await said(second)), 20000);
      await startGame(first);
      await startGame(second);
      await finishGame(first, 'first');
      await storedTens(first, 1, "the first tab's result is stored");
      await until("the second tab's game has the first tab's result in its table", async () =>
        (await held(second)) === (await held(first)), 10000);
      await finishGame(second, 'second');
      const both = await storedTens(first, 2, 'the second tab, finishing later, adds its result to the first one');
      await until('the first tab says the second keeps the scores now', async () =>
        /Another tab now keeps/.test(await said(first)), 10000);
      return other && both && /This tab now keeps/.test(await said(second)) &&
        (await held(first)) === (await held(second));
    }],
    // Two games that end at once: the second tab's game enters its result
    // into its table before it hears of the first tab's save (here it never
    // hears of it), and its save adds it to the stored one.
    ['a tab that has not heard of the other tab\'s result yet: both results are kept', async (context) => {
      const first = await open(context, address, 'first');
      const second = await open(context, address, 'second');
      await second.evaluate(() => { morvex2Storage.channel.onmessage = null; });
      await startGame(first);
      await startGame(second);
      await finishGame(first, 'first');
      await storedTens(first, 1, "the first tab's result is stored");
      const stale = tens(await second.evaluate(() => Array.from(Module.morvex2ReadDataFile('tyuu.pod')))) === 0;
      await finishGame(second, 'second');
      return check(stale, "the second tab has not read the first tab's result when its own game ends") &&
        (await storedTens(first, 2, 'both results are in the stored table')) &&
        (await until('the second tab holds the merged table', async () => (await held(second)) === (await held(first)),
          10000));
    }],
    ['the keeping tab closes during its game: the other takes the folder over, says so, and keeps its result',
      async (context) => {
        const first = await open(context, address, 'first');
        const second = await open(context, address, 'second');
        await startGame(first);
        await startGame(second);
        await first.close();
        const said1 = await until('the second tab says it keeps the scores now', async () =>
          /was closed or went to another page: this tab keeps them now/.test(await said(second)), 10000);
        check(!/another tab too/.test(await said(second)), 'the line that another tab keeps the scores is gone');
        await finishGame(second, 'second');
        return said1 && (await storedTens(second, 1, "the second tab's result is stored"));
      }],
    ['a tab takes the folder over during the first tab\'s game: neither game is lost', async (context) => {
      const first = await open(context, address, 'first');
      const second = await open(context, address, 'second');
      await startGame(first);
      await startGame(second);
      await second.click('#status button:has-text("Keep them")');
      await until('the first tab says it was taken over', async () => /Another tab now keeps/.test(await said(first)),
        10000);
      check(await screen(first) === 2 && await screen(second) === 2, 'both games go on');
      await finishGame(second, 'second');
      await finishGame(first, 'first');
      return storedTens(second, 2, "the first tab's result, finished after the take-over, is stored beside the second's");
    }],
    ['the keeping tab is loaded again while the other plays: the other keeps, and both later results are kept',
      async (context) => {
        const first = await open(context, address, 'first');
        const second = await open(context, address, 'second');
        await startGame(second);
        await first.reload();
        await titleShown(first, 'the first tab starts again');
        await first.evaluate(() => window.morvex2RunClock());
        await first.click('#start');
        const taken = await until('the second tab keeps the scores now', async () =>
          /this tab keeps them now/.test(await said(second)), 10000);
        const told = await until('the first tab, loaded again, says the other keeps them', async () =>
          /another tab too/.test(await said(first)), 10000);
        await finishGame(second, 'second');
        await storedTens(second, 1, "the second tab's result is stored");
        await startGame(first);
        await finishGame(first, 'first');
        return taken && told && (await storedTens(second, 2, "the reloaded tab's later result is stored too"));
      }],
    ['three tabs: closing the keeper hands the folder to one other tab, closing that one to the last',
      async (context) => {
        const first = await open(context, address, 'first');
        const second = await open(context, address, 'second');
        const third = await open(context, address, 'third');
        await startGame(second);
        await startGame(third);
        await first.close();
        await until('one tab takes the folder over', async () =>
          /this tab keeps them now/.test((await said(second)) + (await said(third))), 10000);
        const keepers = [/this tab keeps them now/.test(await said(second)),
          /this tab keeps them now/.test(await said(third))];
        check(keepers.filter(Boolean).length === 1, `exactly one tab takes the folder over (${keepers})`);
        const [keeper, last] = keepers[0] ? [second, third] : [third, second];
        await finishGame(keeper, 'the new keeper');
        await storedTens(last, 1, "the new keeper's result is stored");
        await keeper.close();
        const handed = await until('the last tab takes the folder over', async () =>
          /this tab keeps them now/.test(await said(last)), 10000);
        await finishGame(last, 'the last tab');
        return handed && (await storedTens(last, 2, "the last tab's result is stored beside the first keeper's"));
      }],
  ];

  // A tab goes to another page and comes back, in each way a browser brings
  // it back, alone and beside another tab, on a phone and on the desktop.
  for (const phone of [true, false]) {
    for (const cached of [true, false]) {
      for (const beside of [false, true]) {
        rows.push([`${phone ? 'a phone' : 'the desktop'}: a tab goes to another page during its game and comes back ` +
          `${cached ? 'as it was left' : 'loaded anew'}, ${beside ? 'beside another tab' : 'alone'}: ` +
          'it keeps the scores as the tabs stand, and its game is stored',
        (context) => goesAway(context, address, { cached, beside }), { phone, cached }]);
      }
    }
  }
  rows.push(['a save that comes before the answer to the tab\'s first request for the lock waits for it',
    (context) => saveBeforeAnswer(context, address)]);

  if (only) rows.splice(0, rows.length, ...rows.filter(([what]) => only.test(what)));
  const launch = (cache) => chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs,
    ignoreDefaultArgs: cache ? ['--disable-back-forward-cache'] : [] });
  // Playwright turns the back-forward cache off; the rows that want it have a browser of their own.
  const browser = await launch(false);
  const caching = await launch(true);
  try {
    // Two rows at a time: each plays its games in real time.
    for (let first = 0; first < rows.length; first += 2) {
      await Promise.all(rows.slice(first, first + 2).map(async ([what, run, { phone = false, cached = false } = {}]) => {
        const context = await withTestHooks(await (cached ? caching : browser).newContext(phone
          ? { ...phoneEmulation, viewport: { width: 390, height: 844 } } : { viewport: { width: 800, height: 640 } }));
        context.setDefaultTimeout(120000);
        await holdClockAtSeed(context);
        await context.addInitScript(() => {
          addEventListener('pageshow', (event) => { window.pageShownAs = event.persisted ? 'kept' : 'loaded'; });
        });
        try {
          const ok = await run(context);
          check(ok, what);
        } catch (error) {
          check(false, `${what}: ${error.message}`);
        } finally {
          await context.close();
        }
      }));
    }
  } finally {
    await browser.close();
    await caching.close();
  }
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const server = await servePage(process.argv[2]);
  const started = Date.now();
  try {
    await testShared({ address: server.address, only: process.argv[4] ? new RegExp(process.argv[4]) : null });
  } finally {
    server.close();
  }
  console.log(`-- shared between tabs: ${((Date.now() - started) / 1000).toFixed(0)} s`);
  process.exit(failures === 0 ? 0 : 1);
}
