// The page served by a world-table server, in a real browser: starts
// morvex2-server on a free port of 127.0.0.1 with an empty data folder and
// the page's folder as its site, and checks that the page finds the server
// by itself and says so, that a game played there to its end, and scoring,
// enters the world's middle table with the score the game ended with, that TAB on the
// high-score screen shows the world's table, and that the entry's link
// (/?watch=ENTRY) plays its replay back as it was recorded, that a removed
// entry's link says so, and that a game whose server went down before its
// end keeps its result and enters it at the next start.
//
//   node world_test.mjs PAGE_FOLDER SOURCE_FOLDER
//
// The server comes from the Linux release build (MORVEX2_SERVER names
// another); without it the test says so and passes nothing off as checked.
import { execFileSync } from 'node:child_process';
import { mkdtemp } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, failures, sleep, until, keep, differs, titleShown, said, desktopBrowser, consoleWatch, firstEntry,
         playSpreadToEnd, watchToVerdict } from './checks.mjs';
import { endWorldTest, startWorldServer } from './world_server.mjs';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const world = await startWorldServer(pageFolder, sourceFolder, 'the world-table test');
if (world === null) process.exit(0);
const { address } = world;
const started = Date.now();
const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const api = async (path) => (await fetch(new URL(path, address))).json();
const served = async (entry) => Buffer.from(await (await fetch(new URL(`/api/v1/entries/${entry}/replay`, address)))
  .arrayBuffer());

// The row of the world table that holds the game whose replay is `replay`, as
// the game wrote it; null while there is none.
async function entryOf(replay) {
  for (const row of (await api(`/api/v1/tables/${replay[6]}`)).entries) {
    if ((await served(row.entry)).equals(replay)) return row;
  }
  return null;
}

const context = await desktopBrowser(profile);
const { consoleErrors, watch } = consoleWatch();

// A ranked game on the middle level, from the page's start to the game's
// end, the pieces spread over the field; `before`, the replay of an earlier
// game in this browser, if any. Returns the game's own record of it: its
// replay, whose header holds the level, the score and the removed count it
// ended with (little-endian at bytes 6, 12 and 16), and its table, which
// enters no game of 0 points.
async function playOneRanked(page, before) {
  await page.goto(address);
  await titleShown(page);
  const origin = address.replace(/\/$/, '');
  check((await said(page)).includes(`ranked games on the world tables of ${origin}`),
        `the page says it plays on the server that serves it (${await said(page)})`);
  check(await page.evaluate(() => !document.getElementById('world').hidden), 'the button to turn it off is shown');
  await page.fill('#name', 'ブラウザ');
  await page.click('#keep-name');
  await page.click('#start');
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.press('Enter');
  await sleep(1000);
  await playSpreadToEnd(page, before);
  return page.evaluate(() => ({
    replay: Array.from(Module.morvex2ReadDataFile('last.mvr')),
    table: Array.from(Module.morvex2ReadDataFile('tyuu.pod') || []),
  }));
}

// A ranked game that scored (a game of 0 points proves nothing of the score:
// one more is played, at most three in all), its entry in the world's table
// with the score the game ended with, and that table on the high-score
// screen's TAB. Returns the entry's id.
async function playRanked() {
  const page = watch(await context.newPage(), 'ranked');
  let game = null;
  for (let games = 1; games <= 3 && (game === null || Buffer.from(game.replay).readInt32LE(12) === 0); games += 1) {
    game = await playOneRanked(page, game && game.replay);
    console.log(`-- game ${games}: score ${Buffer.from(game.replay).readInt32LE(12)}`);
  }
  const header = Buffer.from(game.replay);
  const played = { level: header[6], score: header.readInt32LE(12), removed: header.readInt32LE(16) };
  check(played.score > 0, `a game scored (${played.score} points, ${played.removed} removed)`);
  let entry = null;
  await until('the world table holds the game', async () => {
    entry = (await api(`/api/v1/tables/${played.level}`)).entries.find(
      (row) => row.name === 'ブラウザ' && row.score === played.score && row.removed === played.removed) || null;
    return entry !== null;
  }, 20000);
  if (!entry) return null;
  check(played.level === 1 && entry.score === played.score && entry.removed === played.removed && entry.rank === 1,
        `the world's middle table holds the game at rank 1 as it ended (score ${entry.score} / ${played.score}, ` +
        `removed ${entry.removed} / ${played.removed})`);
  // A fresh browser's table holds this game alone, if any.
  const kept = game.table.length > 0 ? firstEntry(game.table) : { score: '' };
  if (kept.score !== '') check(kept.score === String(entry.score), `this browser's table holds the same score (${kept.score})`);
  const stored = await served(entry.entry);
  check(stored.equals(header), `the server keeps the game's replay as the game wrote it (${stored.length} bytes)`);
  // The high-score screen is up once the game has entered its table.
  // It stands still, so what TAB changes is TAB's; TAB again brings this
  // browser's table back as it was.
  await until('the high-score screen stands still', async () => {
    await keep(page, 'local');
    await sleep(500);
    await keep(page, 'still');
    return (await differs(page, 'local', 'still')) === 0;
  }, 10000);
  await page.keyboard.press('Tab');
  const shown = await until('TAB shows the world table', async () => {
    await keep(page, 'world');
    return (await differs(page, 'local', 'world')) > 0;
  }, 10000);
  if (shown) check(true, `TAB shows the world table (${await differs(page, 'local', 'world')} pixels changed)`);
  // The way back is drawn on the game's next turn, later on a busy machine:
  // the table must come back whole.
  await page.keyboard.press('Tab');
  const back = await until("TAB again shows this browser's table", async () => {
    await keep(page, 'back');
    return (await differs(page, 'local', 'back')) === 0;
  }, 10000);
  if (back) check(true, "TAB again shows this browser's table");
  const errors = await page.evaluate(() => window.morvex2Errors);
  check(errors.length === 0, `the game wrote nothing to standard error${errors.length ? ': ' + errors.join(' | ') : ''}`);
  await page.close();
  return entry.entry;
}

// The entry's link from the server's tables plays its replay back.
async function watchEntry(entry) {
  const page = watch(await context.newPage(), 'watched');
  await page.goto(`${address}?watch=${entry}`);
  await until('the entry plays back', () => page.evaluate(() => !!window.morvex2Frame), 60000);
  await watchToVerdict(page, `entry ${entry}`);
  await page.close();
}

// How many stamps of `kind` (start, progress, end) the server has taken since it last started.
async function stampsTaken(kind) {
  const metrics = await (await fetch(new URL('/metrics', address))).text();
  const line = new RegExp(`route="/api/v1/tickets/\\{id\\}/${kind}",status="204"\\} ([0-9]+)`).exec(metrics);
  return line ? Number(line[1]) : 0;
}

// The server stopped during a ranked game, and started again on its store and
// port before the next start (the page opened again): the kept result is
// sent and enters the table. The server vouches for the last seconds of a
// game whose end it never heard only when the game told its progress shortly
// before that end; how soon the stack reaches the top depends on the pieces
// and on how fast a busy browser plays them, so the game is held to it in
// rounds: paused (its clock and its progress go on), the server is stopped as
// soon as it has taken a progress, and every piece is dropped where it
// appears for a few seconds; a game not over by then is paused again and the
// server started again for the next round. The page is not watched for
// console errors: the browser reports the requests that found no server.
const roundMs = 6000;
async function serverDownAtTheEnd() {
  const begun = Date.now();
  const page = await context.newPage();
  await page.goto(address);
  await titleShown(page);
  const lastBefore = await page.evaluate(() => {
    const last = Module.morvex2ReadDataFile('last.mvr');
    return last === null ? null : Array.from(last);
  });
  const ended = () => page.evaluate((earlier) => {
    const now = Module.morvex2ReadDataFile('last.mvr');
    return now !== null && (earlier === null || now.length !== earlier.length || now.some((b, i) => b !== earlier[i]));
  }, lastBefore);
  await page.click('#start');
  // The advanced level (UP from the middle one), whose quick pieces end a game soon; the play
  // screen starts paused.
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('Enter');
  let since = 0;
  for (let round = 1; ; round += 1) {
    if (round > 10) return check(false, 'the game ends within 10 rounds');
    const told = await stampsTaken('progress');
    if (!await until(`the game tells its progress in round ${round}`, async () => (await stampsTaken('progress')) > told,
                     20000)) return;
    await world.down();
    since = Date.now();
    await page.keyboard.press('Enter');
    // DOWN again and again, as a held key repeats: a spawn sets the fall back to the level's pace.
    let over = false;
    while (!over && Date.now() - since < roundMs) {
      await page.keyboard.down('ArrowDown');
      await sleep(100);
      over = await ended();
    }
    await page.keyboard.up('ArrowDown');
    if (over) break;
    await page.keyboard.press('Enter');
    // A spawn may have ended the game between the last look and the pause.
    await sleep(300);
    if (await ended()) break;
    await world.up();
  }
  console.log(`-- the game ended ${Date.now() - since} ms after the server went down`);
  const kept = await until('the result is kept while the server is down', () => page.evaluate(
    () => Module.morvex2ReadDataFile('world-pending.txt') !== null), 30000);
  const header = Buffer.from(await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('last.mvr'))));
  await world.up();
  await page.goto(address);
  await titleShown(page);
  let entry = null;
  await until('the kept result enters the table at the next start',
              async () => (entry = await entryOf(header)) !== null, 30000);
  if (kept && entry) {
    // The case as meant: the server never heard the end, and the last progress vouched for the game.
    const [unheard, told] = execFileSync('sqlite3', [join(world.data, 'world.sqlite'),
      `SELECT ended_ms IS NULL, progress_ms FROM entries JOIN tickets ON tickets.id = entries.ticket_id
       WHERE entries.id = ${entry.entry}`]).toString().trim().split('|');
    check(unheard === '1', `the result kept while the server was down (score ${entry.score}) entered the table at ` +
                           `the next start, vouched for by the game's progress at ${told} ms, its end unheard`);
  }
  await page.close();
  console.log(`-- the server down at the end: ${((Date.now() - begun) / 1000).toFixed(0)} s`);
}

// Once the operator removes the entry, its link says so instead of playing.
// The page is not watched for console errors: the browser reports the 410.
async function removedEntry(entry) {
  execFileSync(world.program, ['remove', String(entry), '--why', 'a test of removal', '--data', world.data]);
  const page = await context.newPage();
  await page.goto(`${address}?watch=${entry}`);
  if (await until('the page says the entry was removed', async () => /was removed/.test(await said(page)), 60000)) {
    check(true, `?watch=${entry} of a removed entry says so (${await said(page)})`);
  }
  await page.close();
}

try {
  const entry = await playRanked();
  if (entry !== null) await watchEntry(entry);
  if (entry !== null) await removedEntry(entry);
  await serverDownAtTheEnd();
  check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? ':\n  ' + consoleErrors.join('\n  ') : ''}`);
  console.log(`-- the world tables: ${((Date.now() - started) / 1000).toFixed(0)} s`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await endWorldTest(context, world, profile);
}
process.exit(failures === 0 ? 0 : 1);
