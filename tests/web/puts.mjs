// What the measurements share: the browser they launch, and the parts of the
// canvas a page puts, noted as it puts them, which the floor then plays.
import { join } from 'node:path';

// Notes every part the page puts on a canvas, and when the first came.
export function notePuts() {
  window.morvex2Puts = [];
  window.morvex2FirstPut = null;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...where) {
    const now = performance.now();
    if (window.morvex2FirstPut === null) window.morvex2FirstPut = now;
    if (where.length === 6) window.morvex2Puts.push([now, where[2], where[3], where[4], where[5]]);
    return put.call(this, image, ...where);
  };
}
// The parts put since the last call, timed from the first of them; an
// expression, for a playwright page or a tab driven through tabs.mjs.
export const takenPuts = `(() => {
  const puts = window.morvex2Puts.splice(0);
  const start = puts.length ? puts[0][0] : 0;
  return puts.map(([at, ...part]) => [Math.round(at - start), ...part]);
})()`;
export const takePuts = (page) => page.evaluate(takenPuts);

// From the title screen shown, `measure(page, what)` there, then in a game
// started from it (RETURN to the play screen, RETURN to start), each with
// the parts put meanwhile; the page is left for an empty one.
export async function titleThenGame(page, measure) {
  await takePuts(page);
  const title = await measure(page, 'title');
  const titlePuts = await takePuts(page);
  await page.keyboard.press('Enter');
  await new Promise((resolve) => setTimeout(resolve, 500));
  await page.keyboard.press('Enter');
  await new Promise((resolve) => setTimeout(resolve, 500));
  await takePuts(page);
  const game = await measure(page, 'game');
  const gamePuts = await takePuts(page);
  await page.goto('about:blank');
  return { title, titlePuts, game, gamePuts };
}

// Plays `parts` on the floor (floor/index.html), over and over every `seconds`.
export async function playOnFloor(floor, parts, seconds) {
  await floor.evaluate(`window.floorPlay(${JSON.stringify(parts)}, ${seconds * 1000})`);
}
export const floorFolder = (sourceFolder) => join(sourceFolder, 'tests/web/floor');

// What every measured browser runs with, beside headless, no sandbox, no GPU
// and no first run: nothing of its own on the network, sound without a gesture.
export const measuredFlags = ['--disable-quic', '--disable-background-networking', '--disable-component-update',
                              '--disable-sync', '--autoplay-policy=no-user-gesture-required'];
export const launchOptions = {
  executablePath: '/usr/bin/chromium',
  headless: true,
  viewport: { width: 800, height: 640 },
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', ...measuredFlags],
};

// Runs `then(made)` on the page's Module as it is made (page.js makes it,
// the module's script takes it up), before anything reads it; a script run
// in the page first: `(${whenModuleMade})(${then})`.
export function whenModuleMade(then) {
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get: () => module,
    set: (made) => {
      if (made === module) return;
      module = made;
      then(made);
    },
  });
}
// Counts the tunes the game hands the page to decode (page.js makes Module
// with its decoder).
export function noteDecodes(made) {
  window.morvex2TunesToDecode = 0;
  const decode = made.morvex2DecodeTune;
  if (!decode) return;
  made.morvex2DecodeTune = (...tune) => {
    window.morvex2TunesToDecode += 1;
    return decode(...tune);
  };
}
// Every tune that came handed to the page to decode, and none of them still
// decoding (the game lets go of a tune's samples once it has them all). The
// game asks for all its tunes on the title.
export const tunesDecoded = `window.morvex2TunesToDecode > 0 && window.morvex2TunesToDecode >=
  performance.getEntriesByType('resource').filter((entry) => /\\/tunes\\//.test(entry.name)).length &&
  [...Module.morvex2DecodedTunes.values()].every((samples) => samples !== null)`;
export const keptOfflineInTab = `(async () => (await caches.keys()).length === 1 &&
  (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated')()`;
