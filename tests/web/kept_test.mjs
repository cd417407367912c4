// The page as a phone keeps it: installable, cached by its service worker so
// that it starts and plays offline with the last visit's scores, replaced
// whole by a new build without ending a game in play, and never left with
// the files of two builds by a deploy that lands while it fetches one.
// (Tabs that share the data folder: shared_test.mjs.)
import { check, until, sleep, keep, differs, titleShown, said } from './checks.mjs';
import { cp, mkdtemp, readdir, readFile, writeFile, rm } from 'node:fs/promises';
import { createHash } from 'node:crypto';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const dataFolder = '/home/web_user/.local/share/morvex2';

// A file of the data folder as the browser's storage holds it (null if not).
export async function storedFile(page, name) {
  return page.evaluate(([folder, file]) => new Promise((resolve, reject) => {
    const open = indexedDB.open(folder);
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const db = open.result;
      if (!db.objectStoreNames.contains('FILE_DATA')) {
        db.close();
        resolve(null);
        return;
      }
      const get = db.transaction('FILE_DATA').objectStore('FILE_DATA').get(`${folder}/${file}`);
      get.onsuccess = () => {
        db.close();
        resolve(get.result && get.result.contents ? Array.from(get.result.contents) : null);
      };
    };
  }), [dataFolder, name]);
}

// The middle table's rank 1 score, as stored.
function firstScore(stored) {
  if (!stored) return '';
  const text = stored.slice(450, 459).map((byte) => (byte + 0x20) & 0xff);
  return String.fromCharCode(...text.slice(0, text.indexOf(0) < 0 ? text.length : text.indexOf(0)));
}

async function siteFiles(folder, under = '') {
  const names = [];
  for (const entry of await readdir(join(folder, under), { withFileTypes: true })) {
    const name = under ? `${under}/${entry.name}` : entry.name;
    if (entry.isDirectory()) names.push(...await siteFiles(folder, name));
    // The compressed copies are the same files to the page, not files of their own.
    else if (name !== 'sw.js' && !/\.(gz|br)$/.test(name)) names.push(name);
  }
  return names.sort();
}

async function cachedFiles(page) {
  return page.evaluate(async () => {
    const names = await caches.keys();
    const files = {};
    for (const name of names) {
      files[name] = (await (await caches.open(name)).keys()).map((request) => new URL(request.url).pathname.slice(1)).sort();
    }
    return files;
  });
}

export async function testKeptPage({ context, server, pageFolder, watch }) {
  const page = watch(await context.newPage(), 'kept');
  await page.goto(server.address);
  await titleShown(page);
  const tableBefore = await storedFile(page, 'tyuu.pod');

  // --- the tunes: fetched once the game runs, not before its first frame,
  // and each one the game asked for is there for it
  const tuneFiles = (await readdir(join(pageFolder, 'tunes'))).length;
  const tunesHere = () => page.evaluate((count) =>
    FS.analyzePath('/morvex2/tunes').exists &&
    FS.readdir('/morvex2/tunes').filter((name) => name.endsWith('.tune')).length === count, tuneFiles);
  if (await until('the tunes come', tunesHere, 60000)) {
    const fetched = await page.evaluate(() => performance.getEntriesByType('resource')
      .map((entry) => [new URL(entry.name).pathname.replace(/^.*\//, ''), entry.startTime, entry.responseEnd]));
    const started = Math.max(...fetched.filter(([name]) => /^morvex2\.(wasm|data)$/.test(name)).map(([, , end]) => end));
    const tunes = fetched.filter(([name]) => name.endsWith('.tune'));
    check(tuneFiles > 0 && tunes.length === tuneFiles && tunes.every(([, start]) => start > started),
          `the ${tunes.length} tunes are fetched after the game's own files, which the first frame waits for`);
  }

  // --- installable
  const cdp = await context.newCDPSession(page);
  let errors = null;
  await until('chromium finds the page installable', async () => {
    errors = (await cdp.send('Page.getInstallabilityErrors')).installabilityErrors;
    return errors.length === 0;
  }, 30000);
  check(errors && errors.length === 0, `no installability errors (${JSON.stringify(errors)})`);
  const manifestType = await page.evaluate(async () => (await fetch('manifest.webmanifest')).headers.get('content-type'));
  check(manifestType === 'application/manifest+json', `the manifest is served as ${manifestType}`);

  // --- every file of the build in one cache, named by the build
  const files = await siteFiles(pageFolder);
  await until('the service worker is active', () => page.evaluate(async () =>
    !!(await navigator.serviceWorker.getRegistration()) && !!(await navigator.serviceWorker.ready).active), 60000);
  let cached = {};
  await until('the build is cached', async () => {
    cached = await cachedFiles(page);
    return Object.keys(cached).length === 1;
  }, 60000);
  const [cacheName] = Object.keys(cached);
  check(/^morvex2-[0-9a-f]{16}$/.test(cacheName || '') && cached[cacheName].join() === files.join(),
        `one cache, named by the build, holds every file of the build (${cacheName}: ${(cached[cacheName] || []).length} of ${files.length})`);

  // --- offline: the page starts and plays with the last visit's scores
  server.down(true);
  await context.setOffline(true);
  await page.reload();
  if (await titleShown(page, 'offline, the title screen appears')) check(true, 'offline, the page starts from its cache');
  if (await until('offline, the tunes come from the cache', tunesHere, 30000)) check(true, 'offline, the game has its tunes');
  const table = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('tyuu.pod') || []));
  check(firstScore(table) === '10' && firstScore(table) === firstScore(tableBefore),
        `offline, the last visit's scores are there (${firstScore(table)})`);
  await page.click('#start');
  await keep(page, 'offline-title');
  await page.keyboard.press('Enter');
  await sleep(500);
  await page.keyboard.press('Enter');
  await sleep(2500);
  await keep(page, 'offline-game');
  check((await differs(page, 'offline-title', 'offline-game')) > 10000, 'offline, RETURN starts a game');
  await page.keyboard.press('Escape');

  // --- a new build replaces the cached one whole, and starts in each tab
  // only when no game is lost by it
  await context.setOffline(false);
  server.down(false);
  const build = cacheName.slice('morvex2-'.length);
  const next = await makeBuild(pageFolder, 'the next build');
  server.serve(next.folder);
  const other = watch(await context.newPage(), 'other tab');
  await page.reload();
  await titleShown(page, 'the old build starts while the new one is fetched');
  if (await until('the new build is offered', async () => /new version/.test(await said(page)), 60000)) {
    check(true, 'a new build is offered once fetched');
  }
  await other.goto(server.address);
  await titleShown(other, 'the old build starts in another tab');
  for (const tab of [page, other]) {
    await tab.click('#start');
    await tab.keyboard.press('Enter');
    await until('the play screen', async () => (await screen(tab)) === 2, 20000);
    await tab.evaluate(() => { window.morvex2SamePage = true; });
  }
  await page.click('#status button:has-text("Start it")');
  await until('the new version waits for the game', async () => /once this game is over/.test(await said(page)), 10000);
  await sleep(2000);
  check(await samePage(page) && (await screen(page)) === 2, '"Start it" during a game leaves the game in play');
  await page.focus('#canvas');
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Escape')]);
  await titleShown(page, 'the new build starts once the game is left');
  check(await servesNext(page), 'the tab that asked runs the new build once its game is over');
  await until('the other tab hears of the new version', async () => /starts at the title/.test(await said(other)), 20000);
  check(await samePage(other) && (await screen(other)) === 2, "the other tab's game goes on under the new worker");
  await other.focus('#canvas');
  await Promise.all([other.waitForNavigation(), other.keyboard.press('Escape')]);
  await titleShown(other, 'the other tab starts the new build at its title');
  check(await servesNext(other), 'the other tab runs the new build from its title on');
  await until('the old cache is gone', async () => Object.keys(await cachedFiles(page)).length === 1, 30000);
  cached = await cachedFiles(page);
  check(Object.keys(cached).join() === `morvex2-${next.build}`,
        `the new build's cache alone is left, with the new files (${Object.keys(cached).join()})`);
  check(firstScore(await storedFile(page, 'tyuu.pod')) === '10', 'the scores outlive the new build');
  await other.close();

  // --- a deploy that lands while the worker fetches the new build: the
  // worker keeps none of it, the running build's cache serves on whole, and
  // the deploy that landed is fetched whole later
  const raced = await makeBuild(pageFolder, 'a raced build');
  const landed = await makeBuild(pageFolder, 'the build that landed');
  server.serve(raced.folder);
  server.serveAfter('/index.html', landed.folder);
  const seen = new Set();
  const look = setInterval(async () => {
    try {
      for (const name of Object.keys(await cachedFiles(page))) seen.add(name);
    } catch {
      // the page is between documents
    }
  }, 200);
  await page.reload();
  await titleShown(page, 'the running build starts while the deploys land');
  const whole = await until('the build that landed is fetched whole', async () =>
    Object.keys(await cachedFiles(page)).includes(`morvex2-${landed.build}`) &&
    /the build that landed/.test(await said(page) + await cachedText(page, landed.build, 'page.js')), 90000);
  clearInterval(look);
  check(!seen.has(`morvex2-${raced.build}`), `no cache is kept for the build whose files changed under it (${[...seen]})`);
  const runningWhole = /the next build/.test(await cachedText(page, next.build, 'page.js')) &&
    /the next build/.test(await cachedText(page, next.build, 'index.html'));
  check(runningWhole, "the running build's cache stays whole meanwhile");
  check(whole && /the build that landed/.test(await cachedText(page, landed.build, 'index.html')) &&
        /the build that landed/.test(await cachedText(page, landed.build, 'page.js')),
        "the build that landed is kept later, its index.html with its own scripts");
  server.serve(pageFolder);
  await page.close();
  for (const made of [next, raced, landed]) await rm(made.folder, { recursive: true, force: true });
}

// A copy of the site whose index.html and page.js end with `mark`, and whose
// worker lists their new hashes under a build of its own.
export async function makeBuild(pageFolder, mark) {
  const folder = await mkdtemp(join(tmpdir(), 'morvex2-build-'));
  await cp(pageFolder, folder, { recursive: true });
  let worker = await readFile(join(pageFolder, 'sw.js'), 'utf8');
  for (const [file, ending] of [['page.js', `\n// ${mark}\n`], ['index.html', `\n<!-- ${mark} -->\n`]]) {
    const before = await readFile(join(pageFolder, file));
    const after = Buffer.concat([before, Buffer.from(ending)]);
    await writeFile(join(folder, file), after);
    worker = worker.replace(`'./${file}': '${sha256(before)}'`, `'./${file}': '${sha256(after)}'`);
  }
  const build = sha256(Buffer.from(mark)).slice(0, 16);
  worker = worker.replace(/const build = '[0-9a-f]{16}'/, `const build = '${build}'`);
  await writeFile(join(folder, 'sw.js'), worker);
  return { folder, build };
}
const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');
const screen = (page) => page.evaluate(() => (Module._morvex2_scene ? Module._morvex2_scene() : 0));
const samePage = (page) => page.evaluate(() => window.morvex2SamePage === true);
const servesNext = (page) => page.evaluate(async () =>
  !window.morvex2SamePage && (await (await fetch('page.js')).text()).includes('the next build'));
async function cachedText(page, build, file) {
  return page.evaluate(async ([name, path]) => {
    if (!(await caches.has(name))) return '';
    const cache = await caches.open(name);
    const found = await cache.match(path);
    return found ? found.text() : '';
  }, [`morvex2-${build}`, file]);
}
