// The page as a phone game, in chromium's phone emulation (touch, a mobile
// viewport, three device pixels to the CSS pixel), and by keys alone:
// - the play screen upright shown as the well across the screen with the
//   next pieces, score and count above it, copied from the game's frame, at
//   0.9 CSS pixels to the game's or more; the other screens, sideways and
//   the tablet whole; no button covered, and the scale of each printed;
// - every screen by touch: the high scores' World, ↑ ↓ and OK, Back in a
//   game asking first, Play again once the game has closed, the tablet's pad
//   larger, with no label broken inside a word;
// - the page's lines beside the picture, never over it, wrapped to their
//   slot, and a passing note gone by itself;
// - no keyboard trap: F6 out of the picture and back, every control reached
//   by TAB, the game keeping its TAB, the phone's menu taking the focus and
//   ESC closing it.
// Runs alone too: tests/web/run.sh phone_screens_test.mjs
import { chromium } from 'playwright-core';
import { fileURLToPath } from 'node:url';
import { mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { check, failures, until, sleep, keep, differs, titleShown, chromiumArgs, withTestHooks,
         phoneEmulation as phone } from './checks.mjs';
import { servePage } from './serve.mjs';

const phones = [[360, 800], [390, 844], [412, 915]];
const tablet = [820, 1180];

// What the player sees, in CSS pixels: the picture's visible parts (the
// stage clips the canvas), the strip, the lines and the pad's buttons.
function seen(page) {
  return page.evaluate(() => {
    const rect = (element) => {
      const r = element.getBoundingClientRect();
      return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
    };
    const canvas = document.getElementById('canvas');
    const strip = document.getElementById('strip');
    const status = document.getElementById('status');
    const visible = (element) => getComputedStyle(element).display !== 'none' && getComputedStyle(element).visibility !== 'hidden';
    const stage = rect(document.getElementById('stage'));
    const picture = rect(canvas);
    const shown = { left: Math.max(stage.left, picture.left), top: Math.max(stage.top, picture.top),
                    right: Math.min(stage.right, picture.right), bottom: Math.min(stage.bottom, picture.bottom) };
    return {
      screen: { width: innerWidth, height: innerHeight },
      scene: document.body.getAttribute('data-scene'),
      scale: picture.width / 640,
      cropped: document.body.classList.contains('cropped'),
      picture: [shown, ...(strip.hidden ? [] : [rect(strip)])],
      status: status.textContent ? { ...rect(status), cut: status.scrollWidth > status.clientWidth } : null,
      buttons: Array.from(document.querySelectorAll('#pad button')).filter(visible)
        .map((button) => ({ label: button.getAttribute('aria-label'), ...rect(button) })),
    };
  });
}
const overlaps = (a, b) => a.left < b.right - 0.5 && b.left < a.right - 0.5 && a.top < b.bottom - 0.5 && b.top < a.bottom - 0.5;
const within = (r, screen) => r.left >= -0.5 && r.top >= -0.5 && r.right <= screen.width + 0.5 && r.bottom <= screen.height + 0.5;
// Each way the layout can fail, named; empty when none does.
function faults(view) {
  const found = [];
  for (const part of view.picture) {
    if (!within(part, view.screen)) found.push('the picture leaves the screen');
    const covered = view.buttons.filter((button) => overlaps(button, part)).map((button) => button.label);
    if (covered.length) found.push(`the picture covers ${covered}`);
    if (view.status && overlaps(view.status, part)) found.push('the lines cover the picture');
  }
  const outside = view.buttons.filter((button) => !within(button, view.screen)).map((button) => button.label);
  if (outside.length) found.push(`off the screen: ${outside}`);
  const small = view.buttons.filter((button) => button.width < 48 || button.height < 48).map((button) => button.label);
  if (small.length) found.push(`under 48 px: ${small}`);
  if (view.status && (view.status.cut || !within(view.status, view.screen))) found.push('a line is cut');
  if (view.status && view.buttons.some((button) => overlaps(button, view.status))) found.push('the lines cover a button');
  return found;
}

async function tap(page, key) {
  await page.tap(`#pad button[data-key="${key}"]`);
}
async function sceneIs(page, name) {
  return until(`the ${name} screen is shown`, async () => (await page.evaluate(() => document.body.getAttribute('data-scene'))) === name, 30000);
}
// The strip shows exactly the game's next pieces, score and count.
function stripMatchesFrame(page) {
  return page.evaluate(() => {
    const frame = document.getElementById('canvas').getContext('2d');
    const strip = document.getElementById('strip').getContext('2d');
    return [[362, 12, 136, 78, 0, 0], [362, 96, 96, 56, 146, 11], [362, 196, 96, 56, 252, 11]].every(([x, y, w, h, toX, toY]) => {
      const a = frame.getImageData(x, y, w, h).data;
      const b = strip.getImageData(toX, toY, w, h).data;
      return a.every((value, i) => value === b[i]);
    });
  });
}
const recordKeys = () => {
  window.morvex2Keys = [];
  for (const type of ['keydown', 'keyup']) {
    document.getElementById('canvas').addEventListener(type, (event) => window.morvex2Keys.push(`${type} ${event.key}`));
  }
};
const keysSeen = (page) => page.evaluate(() => window.morvex2Keys.splice(0));

async function layouts(browser, address, shots) {
  const context = await withTestHooks(await browser.newContext({ ...phone, viewport: { width: 390, height: 844 } }));
  context.setDefaultTimeout(120000);
  const page = await context.newPage();
  await page.goto(address);
  await titleShown(page, 'the phone shows the title');
  await page.tap('#start');
  const scales = [];
  for (const [width, height] of [...phones, tablet]) {
    for (const [w, h] of [[width, height], [height, width]]) {
      await page.setViewportSize({ width: w, height: h });
      await sleep(300);
      const title = await seen(page);
      check(!title.cropped && faults(title).length === 0,
            `${w} x ${h}, title: whole at ${title.scale.toFixed(2)}${faults(title).map((f) => '; ' + f).join('')}`);
      await page.screenshot({ path: join(shots, `screens-${w}x${h}-title.png`) });
      await tap(page, 'Enter');
      await sceneIs(page, 'play');
      await sleep(300);
      const play = await seen(page);
      const upright = h > w;
      const phoneUpright = upright && w < 600;
      check(faults(play).length === 0 && (!phoneUpright || (play.cropped && play.scale >= 0.9)) &&
            (play.cropped || play.scale === title.scale),
            `${w} x ${h}, play: ${play.cropped ? 'the well and the strip' : 'whole'} at ${play.scale.toFixed(2)} ` +
            `CSS px to the game's (whole: ${title.scale.toFixed(2)})${faults(play).map((f) => '; ' + f).join('')}`);
      if (play.cropped) check(await stripMatchesFrame(page), `${w} x ${h}: the strip shows the frame's next pieces, score and count`);
      scales.push(`${w} x ${h} ${play.cropped ? 'parts' : 'whole'} ${play.scale.toFixed(2)} (whole ${title.scale.toFixed(2)})`);
      await page.screenshot({ path: join(shots, `screens-${w}x${h}-play.png`) });
      await page.focus('#canvas');
      await page.keyboard.press('Escape');  // back to the title, as the keyboard does: Back by touch would ask
      await sceneIs(page, 'title');
    }
  }
  console.log(`   the well's scale: ${scales.join('; ')}`);

  // The strip follows the game: a game's first piece shows in it at once.
  await page.setViewportSize({ width: 390, height: 844 });
  await tap(page, 'Enter');
  await sceneIs(page, 'play');
  await tap(page, 'Enter');
  await sleep(1500);
  check(await stripMatchesFrame(page), 'the strip follows the frame once the game runs');

  // The lines: four long ones, never over the picture, wrapped to their slot.
  const long = 'A line of news that is long enough to need more than one line on a phone, ' +
               'with https://an.example.org/an/address/without/spaces/to/break/at/all/anywhere in it.';
  await page.evaluate((text) => { for (let i = 0; i < 4; ++i) say(`test-${i}`, text, i % 2 === 1); }, long);
  for (const [w, h] of [[360, 800], [800, 360], [844, 390], [1180, 820]]) {
    await page.setViewportSize({ width: w, height: h });
    await sleep(300);
    const view = await seen(page);
    check(view.status && faults(view).length === 0,
          `${w} x ${h}: four long lines beside the picture, none cut${faults(view).map((f) => '; ' + f).join('')}`);
    await page.screenshot({ path: join(shots, `screens-${w}x${h}-lines.png`) });
  }
  await page.evaluate(() => { for (let i = 0; i < 4; ++i) say(`test-${i}`, null); });

  // Back in a game asks, with the game stopped meanwhile; kept, it goes on.
  await page.setViewportSize({ width: 390, height: 844 });
  await sleep(300);
  await tap(page, 'Escape');
  const asked = await page.evaluate(() => !document.getElementById('ask').hidden);
  await sleep(300);  // a frame the game was drawing as it was asked
  await keep(page, 'asking');
  await sleep(1500);
  await keep(page, 'asked');
  const moved = await differs(page, 'asking', 'asked');
  check(asked && moved === 0, `Back in a game asks first, and the game waits meanwhile (asked: ${asked}; ${moved} pixels changed)`);
  await page.tap('#ask-keep');
  await sleep(1500);
  await keep(page, 'kept');
  check((await page.evaluate(() => document.body.getAttribute('data-scene'))) === 'play' &&
        (await differs(page, 'asked', 'kept')) > 0, '"Keep playing" goes on with the game');
  await tap(page, 'Escape');
  await page.tap('#ask-end');
  check(await sceneIs(page, 'title'), '"End the game" goes back to the title');

  // The high scores by touch: World (TAB), ↑ ↓ to choose, OK (RETURN).
  await page.evaluate(recordKeys);
  await tap(page, 'F1');
  await sceneIs(page, 'ranking');
  const pad = await page.evaluate(() => ({
    world: getComputedStyle(document.querySelector('#pad button[data-key=Tab]')).display !== 'none',
    up: document.querySelector('#pad-right button[data-key=ArrowUp]').textContent,
    ok: document.querySelector('#pad button[data-key=Enter]').textContent,
  }));
  await tap(page, 'Tab');
  await tap(page, 'ArrowDown');
  await tap(page, 'ArrowUp');
  await tap(page, 'Tab');
  const keys = (await keysSeen(page)).filter((key) => !key.includes('F1'));
  check(pad.world && pad.up === '↑' && pad.ok === 'OK決定' &&
        keys.join() === 'keydown Tab,keyup Tab,keydown ArrowDown,keyup ArrowDown,keydown ArrowUp,keyup ArrowUp,keydown Tab,keyup Tab',
        `the high scores' pad offers World, ↑ ↓ and OK, and sends TAB and the arrows (${JSON.stringify(pad)}; ${keys})`);
  await tap(page, 'Enter');
  await sceneIs(page, 'title');
  check(await page.evaluate(() => getComputedStyle(document.querySelector('#pad button[data-key=Tab]')).display === 'none'),
        'World is on the pad only on the high scores');

  // The tablet's pad is larger, and no label breaks inside a word.
  for (const [w, h] of [[1180, 820], [820, 1180], [800, 360]]) {
    await page.setViewportSize({ width: w, height: h });
    await sleep(300);
    const pad = await page.evaluate(() => ({
      smallest: Math.min(...Array.from(document.querySelectorAll('#pad button')).filter((b) => b.offsetParent)
        .map((b) => Math.min(b.offsetWidth, b.offsetHeight))),
      broken: Array.from(document.querySelectorAll('#pad button span')).filter((span) => span.offsetParent &&
        (span.getClientRects().length > 1 || span.getBoundingClientRect().height > 24 ||
         span.getBoundingClientRect().right > span.closest('button').getBoundingClientRect().right + 0.5))
        .map((span) => span.textContent),
    }));
    check(pad.broken.length === 0 && pad.smallest >= (Math.min(w, h) >= 800 ? 64 : 56),
          `${w} x ${h}: the pad's buttons are ${pad.smallest} px at least, no label broken (${pad.broken})`);
    await page.screenshot({ path: join(shots, `screens-${w}x${h}-pad.png`) });
  }

  // Back on the title ends the game: Play again is shown, the pad's keys go.
  await page.setViewportSize({ width: 390, height: 844 });
  await tap(page, 'Escape');
  await until('the game closes', () => page.evaluate(() => document.getElementById('canvas').width === 0), 20000);
  const ended = await page.evaluate(() => ({
    again: !document.getElementById('again').hidden && document.getElementById('again').textContent,
    keys: Array.from(document.querySelectorAll('#pad button[data-key]')).some((b) => getComputedStyle(b).visibility !== 'hidden'),
    menu: getComputedStyle(document.getElementById('menu')).visibility !== 'hidden',
  }));
  await page.screenshot({ path: join(shots, 'screens-390x844-ended.png') });
  check(/Play again/.test(ended.again) && !ended.keys && ended.menu,
        `the game closed on the title shows Play again and the Menu, no dead keys (${JSON.stringify(ended)})`);
  await Promise.all([page.waitForNavigation(), page.tap('#again')]);
  await titleShown(page, 'Play again starts the game again');

  // A passing note goes by itself.
  await page.tap('#start').catch(() => {});
  await page.tap('#menu');
  await page.fill('#name', 'TOUCH');
  await page.tap('#keep-name');
  await page.tap('#close-menu');
  const note = await page.evaluate(() => document.getElementById('status').textContent);
  await sleep(7000);
  const later = await page.evaluate(() => document.getElementById('status').textContent);
  check(/Name kept/.test(note) && !/Name kept/.test(later), `"Name kept." goes away by itself (${note} -> ${later})`);
  await context.close();
}

// Keys alone: out of the picture and back, every control, the game's TAB.
async function keysAlone(browser, address) {
  const desk = await withTestHooks(await browser.newContext({ viewport: { width: 800, height: 640 } }));
  const page = await desk.newPage();
  await page.goto(address);
  await titleShown(page, 'the desktop page shows the title');
  await page.evaluate(recordKeys);
  await page.keyboard.press('Shift');  // the first key starts the game (and its sound)
  const focused = () => page.evaluate(() => {
    const element = document.activeElement;
    return element ? element.id || element.getAttribute('data-file') || element.tagName : null;
  });
  check((await focused()) === 'canvas', 'the first key gives the picture the keys');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Shift+Tab');
  check((await focused()) === 'canvas', 'TAB stays in the picture, for the game');
  await page.keyboard.press('F6');
  const reached = [await focused()];
  for (let i = 0; i < 20; ++i) {
    await page.keyboard.press('Tab');
    const now = await focused();
    if (now === 'canvas' || now === 'BODY' || now === null || reached.includes(now)) break;
    reached.push(now);
  }
  const controls = await page.evaluate(() => Array.from(document.querySelectorAll('#bar button, #bar input'))
    .filter((control) => control.offsetParent !== null).map((control) => control.id || control.getAttribute('data-file')));
  const missed = controls.filter((control) => !reached.includes(control));
  check(reached[0] === 'fullscreen' && missed.length === 0, `F6 leads out of the picture and TAB reaches every control (${reached}; missed: ${missed})`);
  await page.focus('#keep-name');
  await page.keyboard.press('F6');
  check((await focused()) === 'canvas', 'F6 from a control comes back to the game');
  await page.focus('#fullscreen');
  await page.keyboard.press('Shift+Tab');
  check((await focused()) === 'canvas', 'Shift+TAB from the first control comes back to the game');
  check(!(await keysSeen(page)).some((key) => key.includes('F6')), 'F6 never reaches the game');
  // The high scores keep their TAB.
  await page.keyboard.press('F1');
  await sleep(500);
  await page.keyboard.press('Tab');
  check((await focused()) === 'canvas' && (await keysSeen(page)).includes('keydown Tab'), 'TAB on the high scores goes to the game');
  await desk.close();

  // The phone's menu by keys: it takes the focus, and ESC closes it.
  const context = await withTestHooks(await browser.newContext({ ...phone, viewport: { width: 390, height: 844 } }));
  const phonePage = await context.newPage();
  await phonePage.goto(address);
  await titleShown(phonePage, 'the phone shows the title');
  await phonePage.keyboard.press('Shift');
  await phonePage.keyboard.press('F6');
  const onMenu = await phonePage.evaluate(() => document.activeElement.id);
  await phonePage.keyboard.press('Enter');
  const opened = await phonePage.evaluate(() => ({ open: document.getElementById('bar').classList.contains('open'), focus: document.activeElement.id }));
  await phonePage.keyboard.press('Escape');
  const closed = await phonePage.evaluate(() => ({ open: document.getElementById('bar').classList.contains('open'), focus: document.activeElement.id }));
  await phonePage.keyboard.press('F6');
  const back = await phonePage.evaluate(() => document.activeElement.id);
  check(onMenu === 'menu' && opened.open && opened.focus === 'close-menu' && !closed.open && closed.focus === 'menu' && back === 'canvas',
        `the phone: F6 to Menu, which opened takes the focus, ESC closes it, F6 back to the game (${onMenu}; ${JSON.stringify(opened)}; ${JSON.stringify(closed)}; ${back})`);
  await context.close();
}

export async function testPhoneScreens({ address, sourceFolder }) {
  const shots = join(sourceFolder, 'build/web-test/screenshots');
  await mkdir(shots, { recursive: true });
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs });
  try {
    await keysAlone(browser, address);
    await layouts(browser, address, shots);
  } finally {
    await browser.close();
  }
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [pageFolder, sourceFolder] = process.argv.slice(2);
  const server = await servePage(pageFolder);
  try {
    await testPhoneScreens({ address: server.address, sourceFolder });
  } catch (error) {
    check(false, String(error && error.stack || error));
  } finally {
    server.close();
  }
  process.exit(failures === 0 ? 0 : 1);
}
