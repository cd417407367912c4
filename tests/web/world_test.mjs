// The page served by a world-table server, in a real browser: starts
// morvex2-server on a free port of 127.0.0.1 with an empty data folder and
// the page's folder as its site, and checks that the page finds the server
// by itself and says so, that a game played there to its end enters the
// world's middle table with the score the game kept, that TAB on the
// high-score screen shows the world's table, and that the entry's link
// (/?watch=ENTRY) plays its replay back as it was recorded.
//
//   node world_test.mjs PAGE_FOLDER SOURCE_FOLDER
//
// The server comes from the Linux release build (MORVEX2_SERVER names
// another); without it the test says so and passes nothing off as checked.
import { chromium } from 'playwright-core';
import { spawn } from 'node:child_process';
import { access, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, failures, sleep, until, keep, differs, titleShown, said, chromiumArgs, firstEntry, playToEnd,
         watchToVerdict } from './checks.mjs';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const serverProgram = process.env.MORVEX2_SERVER || join(sourceFolder, 'build/release/server/morvex2-server');
try {
  await access(serverProgram);
} catch {
  console.log(`SKIPPED: the world-table test needs ${serverProgram} (scripts/build.sh release morvex2-server)`);
  process.exit(0);
}
const started = Date.now();
const data = await mkdtemp(join(tmpdir(), 'morvex2-world-'));
const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));

// The server says its port on its first line.
const server = spawn(serverProgram, ['--data', data, '--listen', '127.0.0.1:0', '--site', pageFolder],
                     { stdio: ['ignore', 'pipe', 'inherit'] });
const address = await new Promise((resolve, reject) => {
  let out = '';
  server.stdout.on('data', (chunk) => {
    out += chunk;
    const listening = /listening on (127\.0\.0\.1:[0-9]+)/.exec(out);
    if (listening) resolve(`http://${listening[1]}/`);
  });
  server.on('exit', (code) => reject(new Error(`morvex2-server stopped (${code}) before listening: ${out}`)));
});
const api = async (path) => (await fetch(new URL(path, address))).json();

const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  locale: 'ja-JP',
  viewport: { width: 800, height: 640 },
  args: chromiumArgs,
});
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

// A ranked game on the middle level, to its end; its entry in the world's
// table, which the high-score screen's TAB shows. Returns the entry's id.
async function playRanked() {
  const page = watch(await context.newPage(), 'ranked');
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
  await playToEnd(page);
  const kept = firstEntry(Array.from(await page.evaluate(() => Module.morvex2ReadDataFile('tyuu.pod'))));
  let entry = null;
  await until('the world table holds the game', async () => {
    entry = (await api('/api/v1/tables/1')).entries.find((row) => row.name === 'ブラウザ') || null;
    return entry !== null;
  }, 20000);
  if (!entry) return null;
  check(String(entry.score) === kept.score && entry.rank === 1,
        `the world's middle table holds the game at rank 1 with the score the game kept (${entry.score}, ${kept.score})`);
  // The high-score screen is up once the game has entered its table.
  await sleep(1500);
  await keep(page, 'local');
  await page.keyboard.press('Tab');
  const shown = await until('TAB shows the world table', async () => {
    await keep(page, 'world');
    return (await differs(page, 'local', 'world')) > 0;
  }, 10000);
  if (shown) check(true, `TAB shows the world table (${await differs(page, 'local', 'world')} pixels changed)`);
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

try {
  const entry = await playRanked();
  if (entry !== null) await watchEntry(entry);
  check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? ':\n  ' + consoleErrors.join('\n  ') : ''}`);
  console.log(`-- the world tables: ${((Date.now() - started) / 1000).toFixed(0)} s`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await context.close();
  server.kill();
  await rm(profile, { recursive: true, force: true });
  await rm(data, { recursive: true, force: true });
}
process.exit(failures === 0 ? 0 : 1);
