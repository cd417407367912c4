// The page on a phone (chromium's phone emulation: touch, a mobile viewport,
// three device pixels to the CSS pixel): the pad appears only with touch,
// sends exactly the keys' messages, plays a game to its end whose replay
// the Linux build reproduces, and has no accessibility violation in either
// mode. The layouts are phone_screens_test.mjs's.
import { chromium } from 'playwright-core';
import { check, until, sleep, keep, differs, titleShown, chromiumArgs, withTestHooks,
         phoneEmulation as phone } from './checks.mjs';
import { execFile } from 'node:child_process';
import { mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// What the canvas receives of the keys, as SDL reads them.
const recordKeys = () => {
  window.morvex2Keys = [];
  window.morvex2KeyTimes = [];
  for (const type of ['keydown', 'keyup']) {
    document.getElementById('canvas').addEventListener(type, (event) => {
      window.morvex2Keys.push(`${event.type} ${event.key} ${event.code} ${event.keyCode} ${event.repeat}`);
      window.morvex2KeyTimes.push(event.timeStamp);
    });
  }
};
const keysSeen = (page) => page.evaluate(() => {
  window.morvex2KeyTimes.splice(0);
  return window.morvex2Keys.splice(0);
});
// The keys with the page's time of each, in milliseconds.
const keysSeenWhen = (page) => page.evaluate(() => {
  const times = window.morvex2KeyTimes.splice(0);
  return window.morvex2Keys.splice(0).map((key, i) => ({ key, at: times[i] }));
});

async function centre(page, selector) {
  const box = await page.locator(selector).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}
// Fingers on the pad, through the DevTools protocol's touch events: a touch
// starts with every finger then on the screen, and ends with those lifted.
async function fingers(cdp, type, points) {
  await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
}

async function axeViolations(page, axeSource) {
  await page.addScriptTag({ content: axeSource });
  const result = await page.evaluate(async () => window.axe.run(document, { resultTypes: ['violations'] }));
  return result.violations.map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target.join(' ')).join(', ')}`);
}

// The game of the players' Linux build (build/game) shows the replay in a
// virtual X server, and says whether it reproduced.
function linuxReplay(sourceFolder, file) {
  return new Promise((resolve) => {
    execFile(join(sourceFolder, 'scripts/virtual-screen.sh'), ['640x480', join(sourceFolder, 'build/game/morvex2'),
      '--window', `--replay=${file}`], {
      env: { ...process.env, SDL_AUDIODRIVER: 'dummy', HOME: tmpdir() },
      timeout: 240000,
    }, (error, stdout, stderr) => resolve(`${stdout}${stderr}`.trim()));
  });
}

export async function testPhone({ address, sourceFolder }) {
  const axeSource = await readFile(new URL('./node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs });
  try {
    // --- without touch: today's page, with no accessibility violation
    const desk = await withTestHooks(await browser.newContext({ viewport: { width: 800, height: 640 } }));
    const deskPage = await desk.newPage();
    await deskPage.goto(address);
    await titleShown(deskPage, 'the desktop page shows the title');
    check(await deskPage.evaluate(() => document.getElementById('pad').hidden), 'a desktop browser shows no pad');
    let violations = await axeViolations(deskPage, axeSource);
    check(violations.length === 0, `axe finds no violation on the desktop page${violations.length ? ': ' + violations.join('; ') : ''}`);
    // The keyboard's messages, for the pad's to be compared with.
    await deskPage.click('#start');
    await deskPage.evaluate(recordKeys);
    await deskPage.focus('#canvas');
    for (const key of ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Enter', 'Escape', 'F1']) {
      await deskPage.keyboard.press(key);
    }
    const keyboardKeys = await keysSeen(deskPage);
    await desk.close();

    // --- with touch
    const context = await withTestHooks(await browser.newContext({ ...phone, viewport: { width: 390, height: 844 } }));
    context.setDefaultTimeout(120000);
    const page = await context.newPage();
    await page.goto(address);
    await titleShown(page, 'the phone shows the title');
    check(await page.evaluate(() => !document.getElementById('pad').hidden), 'a touch screen shows the pad');
    await page.tap('#start');
    await page.evaluate(recordKeys);
    // ESC from the play screen goes back to the title, and F1 shows the scores.
    const order = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Enter', 'Escape', 'F1'];
    // Back in a game asks first; ended, it sends ESC.
    for (const key of order) {
      await page.tap(`#pad button[data-key="${key}"]`);
      if (key === 'Escape') await page.tap('#ask-end');
    }
    const padKeys = await keysSeen(page);
    check(padKeys.join() === keyboardKeys.join(),
          `each button sends its key's press and release as the keyboard does (${padKeys.length} messages)`);
    // From the scores, RETURN goes back to the title.
    await page.tap('#pad button[data-key="Enter"]');
    await sleep(500);
    await keysSeen(page);

    // Held: one press, the desktop's repeats, one release; a second finger
    // taps the turn meanwhile.
    const cdp = await context.newCDPSession(page);
    const drop = { ...(await centre(page, '#pad button[data-key="ArrowDown"]')), id: 1 };
    const turn = { ...(await centre(page, '#pad button[data-key="ArrowUp"]')), id: 2 };
    await fingers(cdp, 'touchStart', [drop]);
    await sleep(300);
    await fingers(cdp, 'touchStart', [drop, turn]);
    await fingers(cdp, 'touchEnd', [turn]);
    await sleep(900);
    await fingers(cdp, 'touchEnd', []);
    const heldWhen = await keysSeenWhen(page);
    const held = heldWhen.map(({ key }) => key);
    const downs = held.filter((key) => key.startsWith('keydown ArrowDown'));
    const repeats = downs.filter((key) => key.endsWith(' true')).length;
    // Timers on a busy machine fire late, never early, and the fingers lift
    // late: the repeats are held to the span the page itself saw between the
    // press and the release, at most one after 660 ms and one each 40 ms on.
    const times = heldWhen.filter(({ key }) => key.startsWith('keydown ArrowDown')).map(({ at }) => at);
    const released = heldWhen[heldWhen.length - 1].at;
    const most = Math.floor((released - times[0] - 655) / 40) + 1;  // 5 ms for the clock's grain
    const paced = times.slice(1).every((at, i) => at - times[i] >= (i === 0 ? 655 : 35));
    check(downs[0] === 'keydown ArrowDown ArrowDown 40 false' && repeats >= 8 && repeats <= most && paced &&
          held.includes('keydown ArrowUp ArrowUp 38 false') && held.includes('keyup ArrowUp ArrowUp 38 false') &&
          held[held.length - 1] === 'keyup ArrowDown ArrowDown 40 false' &&
          held.indexOf('keyup ArrowUp ArrowUp 38 false') < held.length - 1,
          `DOWN held 1.2 s repeats after 660 ms every 40 ms (${repeats} repeats, at most ${most} in the ` +
          `${Math.round(released - times[0])} ms held) while another finger taps the turn` +
          ` (${held.filter((key) => !key.endsWith('ArrowDown 40 true')).join('; ')})`);

    // --- a game by touch: start, move, turn, and drop to its end
    await keep(page, 'title');
    await page.tap('#pad button[data-key="Enter"]');
    await sleep(500);
    await keep(page, 'ready');
    check((await differs(page, 'title', 'ready')) > 10000, 'START goes to the play screen');
    await page.tap('#pad button[data-key="Enter"]');
    await sleep(2500);
    await keep(page, 'playing');
    await page.tap('#pad button[data-key="ArrowLeft"]');
    await sleep(300);
    await keep(page, 'moved');
    const moved = await differs(page, 'playing', 'moved');
    check(moved > 0 && moved < 20000, `← moves the piece (${moved} pixels changed)`);
    await page.tap('#pad button[data-key="ArrowUp"]');
    await sleep(300);
    await keep(page, 'turned');
    const turned = await differs(page, 'moved', 'turned');
    check(turned > 0 && turned < 20000, `the turn turns the piece (${turned} pixels changed)`);
    await fingers(cdp, 'touchStart', [drop]);
    await until('the game played by touch ends', () =>
      page.evaluate(() => Module.morvex2ReadDataFile('last.mvr') !== null), 120000);
    await fingers(cdp, 'touchEnd', []);
    const replay = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('last.mvr') || []));
    const work = await mkdtemp(join(tmpdir(), 'morvex2-touch-'));
    await writeFile(join(work, 'touch.mvr'), Buffer.from(replay));
    const verdict = await linuxReplay(sourceFolder, join(work, 'touch.mvr'));
    check(/replay reproduced/.test(verdict), `the Linux build reproduces the game played by touch: ${verdict}`);
    await rm(work, { recursive: true, force: true });
    await sleep(1500);

    violations = await axeViolations(page, axeSource);
    check(violations.length === 0, `axe finds no violation on the phone's page${violations.length ? ': ' + violations.join('; ') : ''}`);

    await context.close();
  } finally {
    await browser.close();
  }
}
