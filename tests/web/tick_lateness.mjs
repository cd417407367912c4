// How late the page's timer ticks come in a browser whose processor is
// slowed four times (DevTools' CPU throttling), measured from whole games:
// GAMES middle-level games are played in the page to their end, each game's
// replay is kept in OUT_FOLDER, and morvex2-sim (the Linux release build)
// prints where each game's ticks stood against their timer's rhythm. The
// world tables' server holds every ranked game to the latest measured here
// and on the other targets (tools/measure/tick_lateness.sh), with room.
//
//   tests/web/run.sh tick_lateness.mjs GAMES OUT_FOLDER
import { execFileSync } from 'node:child_process';
import { mkdtemp, mkdir, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { sleep, titleShown, desktopBrowser, playSpreadToEnd } from './checks.mjs';
import { servePage } from './serve.mjs';

const [pageFolder, sourceFolder, gamesText = '3', out = join(tmpdir(), 'morvex2-tick-lateness')] =
  process.argv.slice(2);
const sim = join(sourceFolder, 'build/release/tools/morvex2-sim');
await mkdir(out, { recursive: true });
const served = await servePage(pageFolder);
const { address } = served;
const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const context = await desktopBrowser(profile);
let before = null;
for (let game = 1; game <= Number(gamesText); game += 1) {
  const page = await context.newPage();
  const devtools = await context.newCDPSession(page);
  await devtools.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  await page.goto(address);
  await titleShown(page);
  await page.click('#start');
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.press('Enter');
  await sleep(1000);
  await playSpreadToEnd(page, before);
  before = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('last.mvr')));
  const file = join(out, `chromium-${game}.mvr`);
  await writeFile(file, Buffer.from(before));
  console.log(`chromium-${game} ${execFileSync(sim, ['timing'], { input: Buffer.from(before) }).toString().trim()}`);
  await page.close();
}
await context.close();
served.close();
await rm(profile, { recursive: true, force: true });
