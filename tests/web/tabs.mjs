// Debian's chromium driven through the DevTools protocol alone, for what
// playwright cannot show: a page hidden behind another tab. Playwright keeps
// every page it drives focused and visible (its focus emulation counts as a
// capture of the page), so a hidden page is only hidden without it.
//
//   const browser = await launchTabs(args[, initScript[, onOutput]]);   // a file run in every page first;
//                                             // onOutput(text) sees what chromium writes
//   const tab = await browser.open(url);      // a new tab in the one window
//   await tab.evaluate('expression');         // its value, awaited
//   await tab.press('Enter', 13);             // a key pressed and let go
//   const other = await browser.open('about:blank');   // hides `tab`
//   await tab.activate();                     // shows it again
import { spawn } from 'node:child_process';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const { ws: WebSocket } = createRequire(import.meta.url)('playwright-core/lib/utilsBundle');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function launchTabs(args = [], initScript = null, onOutput = null) {
  const initSource = initScript ? await readFile(initScript, 'utf8') : null;
  const profile = await mkdtemp(join(tmpdir(), 'morvex2-tabs-'));
  const chromium = spawn('/usr/bin/chromium', ['--headless', '--no-sandbox', '--disable-gpu',
    '--no-first-run', '--remote-debugging-port=0', `--user-data-dir=${profile}`, ...args, 'about:blank'],
  { stdio: onOutput ? ['ignore', 'pipe', 'pipe'] : 'ignore' });
  if (onOutput) {
    chromium.stdout.on('data', (data) => onOutput(data.toString()));
    chromium.stderr.on('data', (data) => onOutput(data.toString()));
  }
  let port = null;
  for (const end = Date.now() + 30000; port === null && Date.now() < end; await sleep(100)) {
    try {
      port = (await readFile(join(profile, 'DevToolsActivePort'), 'utf8')).split('\n')[0];
    } catch {
      // not yet written
    }
  }
  if (port === null) throw new Error('chromium did not open its DevTools port');
  const { webSocketDebuggerUrl } = await (await fetch(`http://127.0.0.1:${port}/json/version`)).json();
  const socket = new WebSocket(webSocketDebuggerUrl);
  await new Promise((resolve, reject) => { socket.on('open', resolve); socket.on('error', reject); });
  let lastId = 0;
  const waiting = new Map();
  socket.on('message', (data) => {
    const message = JSON.parse(data);
    const answer = waiting.get(message.id);
    if (!answer) return;
    waiting.delete(message.id);
    if (message.error) answer.reject(new Error(`${answer.method}: ${message.error.message}`));
    else answer.resolve(message.result);
  });
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    const id = ++lastId;
    waiting.set(id, { resolve, reject, method });
    socket.send(JSON.stringify({ id, method, params, sessionId }));
  });

  let firstTab = (await send('Target.getTargets')).targetInfos.find((target) => target.type === 'page');
  return {
    pid: chromium.pid,
    profile,
    async open(url) {
      let targetId;
      if (firstTab) {
        targetId = firstTab.targetId;
        firstTab = null;
      } else {
        targetId = (await send('Target.createTarget', { url: 'about:blank', newWindow: false })).targetId;
      }
      const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
      await send('Page.enable', {}, sessionId);
      if (initSource) await send('Page.addScriptToEvaluateOnNewDocument', { source: initSource }, sessionId);
      const tab = {
        send: (method, params) => send(method, params, sessionId),
        async evaluate(expression) {
          const { result, exceptionDetails } = await send('Runtime.evaluate',
            { expression, awaitPromise: true, returnByValue: true }, sessionId);
          if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
          return result.value;
        },
        async goto(address) {
          await send('Page.navigate', { url: address }, sessionId);
          for (const end = Date.now() + 60000; Date.now() < end; await sleep(100)) {
            try {
              if ((await tab.evaluate('document.readyState')) === 'complete') return;
            } catch {
              // the page is between documents
            }
          }
          throw new Error(`${address} did not load`);
        },
        // A key pressed and let go, as the keyboard sends it to the focused element.
        async press(key, keyCode) {
          for (const type of ['keyDown', 'keyUp']) {
            await send('Input.dispatchKeyEvent', { type, key, code: key, windowsVirtualKeyCode: keyCode }, sessionId);
          }
        },
        activate: () => send('Target.activateTarget', { targetId }),
        close: () => send('Target.closeTarget', { targetId }),
      };
      if (url !== 'about:blank') await tab.goto(url);
      return tab;
    },
    async close() {
      socket.close();
      if (chromium.exitCode === null && chromium.signalCode === null) {
        const ended = new Promise((resolve) => chromium.once('exit', resolve));
        chromium.kill();
        await ended;
      }
      await rm(profile, { recursive: true, force: true, maxRetries: 5 });
    },
  };
}
