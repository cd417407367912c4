// A page hidden behind another tab sleeps as a desktop window without the
// focus does: it draws nothing and its sound stops; shown again, it goes on.
import { check, until, sleep, pageTestHooks } from './checks.mjs';
import { launchTabs } from './tabs.mjs';

// Counts the parts put on any canvas of the page, from now on.
const countPuts = `(() => {
  window.morvex2Puts = 0;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    window.morvex2Puts += 1;
    return put.apply(this, args);
  };
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
    const other = await browser.open('about:blank');
    await until('the page is hidden behind another tab', () => tab.evaluate('document.hidden'), 10000);
    await sleep(500);  // the last frame of the focus change
    const hiddenFrom = await tab.evaluate('window.morvex2Puts');
    await sleep(3000);
    const hiddenPuts = (await tab.evaluate('window.morvex2Puts')) - hiddenFrom;
    check(shownPuts > 5 && hiddenPuts === 0,
          `hidden, the page draws nothing (${hiddenPuts} parts put in 3 s; ${shownPuts} in the second before)`);
    check((await tab.evaluate(soundState)) === 'suspended', 'hidden, the sound stops');
    await tab.activate();
    await other.close();
    await until('the page is shown again', async () => !(await tab.evaluate('document.hidden')), 10000);
    const shownFrom = await tab.evaluate('window.morvex2Puts');
    if (await until('the title moves again', async () => (await tab.evaluate('window.morvex2Puts')) > shownFrom + 5, 10000)) {
      check(true, 'shown again, the game goes on drawing');
    }
    if (await until('the sound plays again', async () => (await tab.evaluate(soundState)) === 'running', 10000)) {
      check(true, 'shown again, the sound plays');
    }
  } finally {
    await browser.close();
  }
}
