// An entry of the world's table whose replay comes but cannot be read, in the
// page on a world-table server: RETURN on the entry says so among the page's
// lines, and the high-score screen stays up. The server is real; the entry
// and its bytes are the browser's to fake (the server keeps only replays it
// has played back, so it never serves such bytes itself, but whatever stands
// between it and the player may: a captive portal's page, a cut download).
//
//   node world_entry_test.mjs PAGE_FOLDER SOURCE_FOLDER
import { mkdtemp } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, failures, until, sleep, titleShown, said, desktopBrowser, consoleWatch } from './checks.mjs';
import { endWorldTest, startWorldServer } from './world_server.mjs';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const world = await startWorldServer(pageFolder, sourceFolder, 'the unreadable entry test');
if (world === null) process.exit(0);
const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const context = await desktopBrowser(profile);
const { consoleErrors, watch } = consoleWatch();
const ranking = 3;  // the high-score screen's number (morvex2_scene)
const table = {
  level: 1,
  entries: [{ rank: 1, name: 'ALICE', score: 2160, removed: 30, date: '2026-12-09T02:30:00Z', entry: 11 }],
};
const reason = "the world entry's replay cannot be shown: not a Morvex2 replay";

try {
  const page = watch(await context.newPage(), 'entry');
  let tableServed = false;
  await page.route('**/api/v1/tables/1', (route) => {
    tableServed = true;
    return route.fulfill({ status: 200, contentType: 'application/json', body: JSON.stringify(table) });
  });
  await page.route('**/api/v1/entries/11/replay', (route) => route.fulfill({
    status: 200, contentType: 'text/html', body: '<html>Sign in to use this network</html>' }));
  await page.goto(world.address);
  await titleShown(page);
  await page.click('#start');
  await page.keyboard.press('F1');
  await until('F1 shows the high scores', () => page.evaluate((scene) => Module._morvex2_scene() === scene, ranking),
              20000);
  await page.keyboard.press('Tab');
  await until("TAB asks for the world's table", () => tableServed, 20000);
  // RETURN counts once the table is read; until then it does nothing, so it is pressed again.
  const shown = await until('RETURN on the entry says why it cannot be watched', async () => {
    await page.keyboard.press('Enter');
    await sleep(400);
    return (await said(page)).includes(reason);
  }, 30000);
  if (shown) check(true, `the page shows: ${reason}`);
  check(await page.evaluate((scene) => Module._morvex2_scene() === scene, ranking), 'the high-score screen stays up');
  check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? ':\n  ' + consoleErrors.join('\n  ') : ''}`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await endWorldTest(context, world, profile);
}
process.exit(failures === 0 ? 0 : 1);
