// A page hidden behind another tab sleeps as a desktop window without the
// focus does: it draws nothing, its sound stops and no timer wakes it;
// shown again, it goes on. A new version started in another tab reaches a
// hidden tab between games at once, and a hidden game never.
import { check, until, sleep, pageTestHooks } from './checks.mjs';
import { launchTabs } from './tabs.mjs';
import { makeBuild } from './kept_test.mjs';
import { rm } from 'node:fs/promises';

// Counts the parts the game puts on its canvas, and the timers and frame
// callbacks the page asks for, from now on. (The page keeps its own
// putImageData on the canvas's context, which the prototype no longer reaches.)
const countPuts = `(() => {
  window.morvex2Puts = 0;
  const context = document.getElementById('canvas').getContext('2d');
  const put = context.putImageData;
  context.putImageData = function (...args) {
    window.morvex2Puts += 1;
    return put.apply(this, args);
  };
  window.morvex2Timers = 0;
  for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
    const ask = window[name];
    window[name] = function (...args) {
      window.morvex2Timers += 1;
      return ask.apply(this, args);
    };
  }
  return true;
})()`;
const titleColours = `(() => {
  if (!window.morvex2Frame) return 0;
  const pixels = window.morvex2Frame();
  const seen = new Set();
  for (let i = 0; i < pixels.length; i += 4) seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
  return seen.size;
})()`;
const soundState = 'Module.SDL2.audioContext ? Module.SDL2.audioContext.state : "none"';
// How many pixels of the picture now differ from the one kept as `name`.
const keepFrame = (name) => `(window['${name}'] = window.morvex2Frame().slice(), true)`;
const differsFrom = (name) => `(() => {
  const kept = window['${name}'];
  const now = window.morvex2Frame();
  let count = 0;
  for (let i = 0; i < now.length; i += 4) if (now[i] !== kept[i] || now[i + 1] !== kept[i + 1] || now[i + 2] !== kept[i + 2]) count += 1;
  return count;
})()`;
// Hides the tab behind a new one for `ms`; the parts put and the timers asked
// for meanwhile, counted from the end of the focus change's last frame.
async function hideFor(browser, tab, ms) {
  const other = await browser.open('about:blank');
  await until('the page is hidden behind another tab', () => tab.evaluate('document.hidden'), 10000);
  await sleep(500);  // the last frame of the focus change
  const putsFrom = await tab.evaluate('window.morvex2Puts');
  const timersFrom = await tab.evaluate('window.morvex2Timers');
  await sleep(ms);
  const puts = (await tab.evaluate('window.morvex2Puts')) - putsFrom;
  const timers = (await tab.evaluate('window.morvex2Timers')) - timersFrom;
  return { other, puts, timers };
}
async function showAgain(tab, other) {
  await tab.activate();
  await other.close();
  await until('the page is shown again', async () => !(await tab.evaluate('document.hidden')), 10000);
}

export async function testHidden({ address }) {
  const browser = await launchTabs(['--autoplay-policy=no-user-gesture-required'], pageTestHooks);
  try {
    const tab = await browser.open(address);
    await until('the title screen appears in a tab', async () => (await tab.evaluate(titleColours)) > 50, 60000);
    await tab.evaluate(countPuts);
    await tab.evaluate("document.getElementById('start').click(), true");
    await until('the sound plays in the tab', async () => (await tab.evaluate(soundState)) === 'running', 20000);
    await sleep(1000);
    const shownPuts = await tab.evaluate('window.morvex2Puts');
    const hidden = await hideFor(browser, tab, 3000);
    check(shownPuts > 5 && hidden.puts === 0,
          `hidden, the page draws nothing (${hidden.puts} parts put in 3 s; ${shownPuts} in the second before)`);
    check(hidden.timers === 0, `hidden, nothing wakes the page (${hidden.timers} timers asked for in 3 s)`);
    check((await tab.evaluate(soundState)) === 'suspended', 'hidden, the sound stops');
    await showAgain(tab, hidden.other);
    const shownFrom = await tab.evaluate('window.morvex2Puts');
    if (await until('the title moves again', async () => (await tab.evaluate('window.morvex2Puts')) > shownFrom + 5, 10000)) {
      check(true, 'shown again, the game goes on drawing');
    }
    if (await until('the sound plays again', async () => (await tab.evaluate(soundState)) === 'running', 10000)) {
      check(true, 'shown again, the sound plays');
    }

    // A game put away (the phone locked mid-game) stands still, as a desktop
    // game does without the focus, and goes on when it is taken up again.
    await tab.evaluate(keepFrame('morvex2Title'));
    await tab.press('Enter', 13);
    await sleep(500);
    await tab.press('Enter', 13);
    if (!(await until('a game starts in the tab', async () => (await tab.evaluate(differsFrom('morvex2Title'))) > 640 * 480 / 4, 10000))) return;
    await sleep(1000);
    const inGame = await hideFor(browser, tab, 2000);
    check(inGame.puts === 0 && inGame.timers === 0,
          `hidden in a game, the page draws nothing and nothing wakes it (${inGame.puts} parts, ${inGame.timers} timers in 2 s)`);
    await showAgain(tab, inGame.other);
    const gameFrom = await tab.evaluate('window.morvex2Puts');
    if (await until('the piece falls again', async () => (await tab.evaluate('window.morvex2Puts')) > gameFrom, 10000)) {
      check(true, 'shown again, the game goes on');
    }
  } finally {
    await browser.close();
  }
}

const screen = '(Module._morvex2_scene ? Module._morvex2_scene() : 0)';
const said = "document.getElementById('status').textContent";
const runsNext = `(async () => !window.morvex2SamePage &&
  (await (await fetch('page.js')).text()).includes('the next build'))()`;

export async function testHiddenUpdate({ server, pageFolder }) {
  const browser = await launchTabs(['--autoplay-policy=no-user-gesture-required'], pageTestHooks);
  const next = await makeBuild(pageFolder, 'the next build');
  const title = (tab, what) => until(what, async () => (await tab.evaluate(titleColours)) > 50, 60000);
  try {
    const asking = await browser.open(server.address);
    await title(asking, 'the title screen appears');
    await until('the worker keeps the page', () => asking.evaluate(
      'navigator.serviceWorker.getRegistration().then((kept) => !!(kept && kept.active))'), 60000);
    server.serve(next.folder);
    await asking.goto(server.address);
    await title(asking, 'the kept build starts');
    if (!(await until('the new build is offered', async () => /new version/.test(await asking.evaluate(said)), 60000))) return;
    const playing = await browser.open(server.address);
    const scores = await browser.open(server.address);
    for (const [tab, key, code, wanted] of [[playing, 'Enter', 13, 2], [scores, 'F1', 112, 3]]) {
      // A tab behind another draws nothing: each is brought to the front to show its title.
      await tab.activate();
      await title(tab, 'the kept build starts in another tab');
      await tab.evaluate("document.getElementById('start').click(), window.morvex2SamePage = true");
      await sleep(500);
      await tab.press(key, code);
      await until(`the tab shows screen ${wanted}`, async () => (await tab.evaluate(screen)) === wanted, 20000);
    }
    await asking.activate();
    await until('the other tabs are hidden', async () =>
      (await playing.evaluate('document.hidden')) && (await scores.evaluate('document.hidden')), 10000);
    await asking.evaluate(`[...document.querySelectorAll('#status button')]
      .find((button) => button.textContent.startsWith('Start it')).click(), true`);
    if (await until('the hidden tab on the high scores starts the new build', async () => {
      try {
        return await scores.evaluate(runsNext);
      } catch {
        return false;  // between documents
      }
    }, 30000)) {
      check(true, 'a hidden tab between games starts the new build at once');
    }
    await sleep(2000);
    check((await playing.evaluate('window.morvex2SamePage === true')) && (await playing.evaluate(screen)) === 2,
          'a hidden tab in a game keeps its game');
  } finally {
    await browser.close();
    server.serve(pageFolder);
    await rm(next.folder, { recursive: true, force: true });
  }
}
