// Two builds of the page side by side on the title screen, with the floor
// beside them, as measure.mjs measures one: each in a browser of its own,
// started and settled once, then the CPU of all of each browser's processes
// in short windows taken in turns (paired.mjs), so that the machine's other
// work falls on all three alike. Gives each build against the floor and the
// second against the first, by kind of thread; and, for each build, how long
// the page's thread is busy for each timer it fires (the game's turn: it wakes
// on a timer, draws, and sets the next before it hands the page back) and for
// each block of sound it mixes, which say where a change went when the shares
// move less than their spread.
//
//   tests/web/run.sh side_by_side.mjs FIRST_SITE SECOND_SITE [SECONDS] [PAIRS]
//   (e.g. a copy of main's build/web/site against this tree's; default 10 s,
//   8 pairs: about 8 minutes)
import { servePage } from './serve.mjs';
import { launchTabs } from './tabs.mjs';
import { notePuts, takenPuts, playOnFloor, floorFolder, measuredFlags, whenModuleMade, noteDecodes, tunesDecoded,
         keptOfflineInTab } from './puts.mjs';
import { pairedWindows, pairedReport } from './paired.mjs';
import { pauseBrowser } from './threads.mjs';
import { loadavg } from 'node:os';

const [, sourceFolder, firstSite, secondSite, secondsText, pairsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);
const pairs = Math.max(1, Number(pairsText || 8));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const noGcs = () => ({ minor: 0, major: 0 });

// The page's thread's busy time from each timer's start to the next timer
// set, and in each block of sound; taken up once the game has settled.
const noteTurns = `(() => {
  const turns = window.morvex2Turns = { timers: 0, timerMs: 0, sounds: 0, soundMs: 0 };
  const set = window.setTimeout;
  let firedAt = null;
  window.setTimeout = function (run, ms, ...rest) {
    if (firedAt !== null) turns.timerMs += performance.now() - firedAt;
    firedAt = null;
    return set.call(this, function (...given) {
      firedAt = performance.now();
      turns.timers += 1;
      return run.apply(this, given);
    }, ms, ...rest);
  };
  const node = Module.SDL2 && Module.SDL2.audio && Module.SDL2.audio.scriptProcessorNode;
  if (!node) return;
  const mix = node.onaudioprocess;
  node.onaudioprocess = function (event) {
    const start = performance.now();
    mix.call(this, event);
    turns.sounds += 1;
    turns.soundMs += performance.now() - start;
  };
})()`;
const takenTurns = `(() => {
  const turns = { ...window.morvex2Turns };
  Object.assign(window.morvex2Turns, { timers: 0, timerMs: 0, sounds: 0, soundMs: 0 });
  return turns;
})()`;

// One build, loaded, past its start, its tunes decoded and its files kept
// offline, with a few seconds more for the browser's compiles of the title.
async function pageSide(name, folder) {
  const server = await servePage(folder);
  const browser = await launchTabs([...measuredFlags, '--window-size=800,640']);
  const tab = await browser.open('about:blank');
  await tab.send('Page.addScriptToEvaluateOnNewDocument',
    { source: `(${notePuts})();(${whenModuleMade})(${noteDecodes})` });
  await tab.goto(server.address);
  await tab.evaluate("document.getElementById('start').click()");
  for (const settled of [keptOfflineInTab, tunesDecoded]) {
    for (const end = Date.now() + 60000; Date.now() < end && !(await tab.evaluate(settled));) await sleep(250);
  }
  await sleep(5000);
  await tab.evaluate(noteTurns);
  return { name, browser, server, tab, profile: browser.profile, count: noGcs, turns: [],
           puts: () => tab.evaluate(takenPuts) };
}

const sides = [];
const servers = [];
try {
  const first = await pageSide('first', firstSite);
  sides.push(first);
  const second = await pageSide('second', secondSite);
  sides.push(second);
  // The floor plays what the first build put in a window of its own.
  await first.puts();
  await sleep(seconds * 1000);
  const parts = await first.puts();
  const floorServer = await servePage(floorFolder(sourceFolder));
  servers.push(floorServer);
  const floorBrowser = await launchTabs([...measuredFlags, '--window-size=800,640']);
  const floorTab = await floorBrowser.open('about:blank');
  await floorTab.send('Page.addScriptToEvaluateOnNewDocument', { source: `(${notePuts})()` });
  await floorTab.goto(floorServer.address);
  sides.push({ name: 'floor', browser: floorBrowser, profile: floorBrowser.profile, count: noGcs,
               puts: () => floorTab.evaluate(takenPuts), before: () => playOnFloor(floorTab, parts, seconds) });
  for (const side of sides) await pauseBrowser(side.profile, true);
  // Each build's turns are read with its puts, at both ends of its windows.
  for (const side of [first, second]) {
    const puts = side.puts;
    side.puts = async () => {
      side.turns.push(await side.tab.evaluate(takenTurns));
      return puts();
    };
  }
  const windows = await pairedWindows(sides, { seconds, pairs });
  const lines = [`side by side on the title screen (load ${loadavg().map((load) => load.toFixed(2)).join(' ')})`];
  lines.push(...pairedReport('first build', windows, 'first', 'floor', { seconds }));
  lines.push(...pairedReport('second build', windows, 'second', 'floor', { seconds }));
  lines.push(...pairedReport('second against first', windows, 'second', 'first', { seconds }));
  for (const side of [first, second]) {
    // Every other reading ends a window; the ones between cover the pauses.
    const inWindows = side.turns.filter((turn, i) => i % 2 === 1);
    const sum = (key) => inWindows.reduce((total, turn) => total + turn[key], 0);
    lines.push(`  ${side.name}: ${(sum('timerMs') / Math.max(1, sum('timers'))).toFixed(3)} ms busy per timer ` +
               `(${sum('timers')} timers), ${(sum('soundMs') / Math.max(1, sum('sounds'))).toFixed(3)} ms per block ` +
               `of sound (${sum('sounds')} blocks)`);
  }
  console.log(lines.join('\n'));
} finally {
  for (const side of sides) {
    await pauseBrowser(side.profile, false);
    await side.browser.close();
    if (side.server) side.server.close();
  }
  for (const server of servers) server.close();
}
