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
