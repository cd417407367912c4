// Where the page's own thread spends its time beyond the floor's: samples
// the page's thread (the DevTools protocol's CPU profiler) for SECONDS on the
// title screen and in a running game, then the floor playing the parts the
// game put, and gives each as shares of one core: the game's wasm, the
// page's and the module's JavaScript, the sound (the mixer's decoding and
// its callback), the browser's own work on that thread ("(program)": timers,
// tasks, putting the canvas) and garbage collection; then the functions with
// the most time of their own. measure.mjs gives the CPU of all of chromium's
// processes; this says what the page's thread does with its share.
//
// The wasm's functions have names only in a build linked with
// --profiling-funcs (a scratch build folder; never the site that ships):
//   tests/web/run.sh profile.mjs [SECONDS] [PAGE_FOLDER]   (default 20, build/web/site)
import { chromium } from 'playwright-core';
import { servePage } from './serve.mjs';
import { notePuts, titleThenGame, playOnFloor, floorFolder, launchOptions } from './puts.mjs';
import { mkdtemp, rm } from 'node:fs/promises';
import { loadavg, tmpdir } from 'node:os';
import { join } from 'node:path';

const [siteFolder, sourceFolder, secondsText, otherFolder] = process.argv.slice(2);
const seconds = Number(secondsText || 20);
const server = await servePage(otherFolder || siteFolder);
const floorServer = await servePage(floorFolder(sourceFolder));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The sound's share: the mixer's Ogg decoder and SDL's conversions and
// callback, in wasm and on the page.
const sound = /vorbis|OGG_|codebook|imdct|get_bits|get8|crc32|SDL_Convert|SDL_AudioStream|mix_channels|Mix_|HandleAudioProcess|onaudioprocess|getChannelData|Rendering/;
function kindOf(frame) {
  if (frame.functionName === '(idle)') return 'idle';
  if (frame.functionName === '(program)') return 'browser';
  if (frame.functionName === '(garbage collector)') return 'gc';
  if (sound.test(frame.functionName)) return 'sound';
  return /\.wasm/.test(frame.url) ? 'wasm' : 'script';
}
async function sample(page, label) {
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Profiler.enable');
  await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
  await cdp.send('Profiler.start');
  await sleep(seconds * 1000);
  const { profile } = await cdp.send('Profiler.stop');
  await cdp.detach();
  const nodes = new Map(profile.nodes.map((node) => [node.id, node]));
  const kinds = new Map();
  const functions = new Map();
  let total = 0;
  profile.samples.forEach((id, i) => {
    const ms = (profile.timeDeltas[i] || 0) / 1000;
    const frame = nodes.get(id).callFrame;
    const kind = kindOf(frame);
    total += ms;
    kinds.set(kind, (kinds.get(kind) || 0) + ms);
    if (kind === 'idle') return;
    const name = `${frame.functionName || '(anonymous)'} ${frame.url.replace(/^.*\//, '')}`.trim();
    functions.set(name, (functions.get(name) || 0) + ms);
  });
  const share = (ms) => `${((100 * ms) / total).toFixed(3)} %`;
  const order = ['wasm', 'script', 'sound', 'browser', 'gc'];
  const lines = [`${label}: busy ${share(total - (kinds.get('idle') || 0))} of a core (load ${loadavg()[0].toFixed(2)}): ` +
    order.map((kind) => `${kind} ${share(kinds.get(kind) || 0)}`).join(', ')];
  for (const [name, ms] of [...functions].sort((a, b) => b[1] - a[1]).slice(0, 15)) {
    lines.push(`  ${ms.toFixed(1).padStart(7)} ms ${share(ms).padStart(9)}  ${name.slice(0, 110)}`);
  }
  return lines.join('\n');
}

const profile = await mkdtemp(join(tmpdir(), 'morvex2-profile-'));
const context = await chromium.launchPersistentContext(profile, launchOptions);
try {
  const page = await context.newPage();
  await page.addInitScript(notePuts);
  await page.goto(server.address);
  await page.click('#start');
  await sleep(12000);  // the page settled: the tunes come and the files are kept offline
  const { title, titlePuts, game, gamePuts } = await titleThenGame(page, (shown, what) =>
    sample(shown, what === 'title' ? 'title screen, the page' : 'running game, the page'));
  const floor = await context.newPage();
  await floor.goto(floorServer.address);
  await playOnFloor(floor, titlePuts, seconds);
  await sleep(1000);
  const floorTitle = await sample(floor, 'title screen, the floor');
  await playOnFloor(floor, gamePuts, seconds);
  await sleep(1000);
  const floorGame = await sample(floor, 'running game, the floor');
  console.log([title, floorTitle, game, floorGame].join('\n'));
} finally {
  await context.close();
  server.close();
  floorServer.close();
  await rm(profile, { recursive: true, force: true, maxRetries: 5 });
}
