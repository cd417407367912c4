// The page as a phone keeps it: installable, cached by its service worker so
// that it starts and plays offline with the last visit's scores, replaced
// whole by a new build, and kept by one tab at a time.
import { check, until, sleep, keep, differs, titleShown, said } from './checks.mjs';
import { cp, mkdtemp, readdir, readFile, writeFile, rm } from 'node:fs/promises';
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
    else if (name !== 'sw.js') names.push(name);
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

async function keepName(page, name) {
  await page.evaluate(() => document.getElementById('bar').classList.add('open'));
  await page.fill('#name', name);
  await page.click('#keep-name');
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

  // --- a new build replaces the cached one whole
  await context.setOffline(false);
  server.down(false);
  const newBuild = await mkdtemp(join(tmpdir(), 'morvex2-new-build-'));
  await cp(pageFolder, newBuild, { recursive: true });
  await writeFile(join(newBuild, 'page.js'), `${await readFile(join(pageFolder, 'page.js'), 'utf8')}\n// the next build\n`);
  const worker = await readFile(join(pageFolder, 'sw.js'), 'utf8');
  const build = cacheName.slice('morvex2-'.length);
  const nextBuild = [...build].reverse().join('');
  await writeFile(join(newBuild, 'sw.js'), worker.replace(build, nextBuild));
  server.serve(newBuild);
  await page.reload();
  await titleShown(page, 'the old build starts while the new one is fetched');
  if (await until('the new build is offered', async () => /new version/.test(await said(page)), 60000)) {
    check(true, 'a new build is offered once fetched');
  }
  await Promise.all([page.waitForNavigation(), page.click('#status button:has-text("Start it")')]);
  await titleShown(page, 'the new build starts');
  await until('the old cache is gone', async () => Object.keys(await cachedFiles(page)).length === 1, 30000);
  cached = await cachedFiles(page);
  const served = await page.evaluate(async () => (await (await caches.match('page.js')).text()).includes('the next build'));
  check(Object.keys(cached).join() === `morvex2-${nextBuild}` && served,
        `the new build's cache alone is left, with the new files (${Object.keys(cached).join()})`);
  check(firstScore(await storedFile(page, 'tyuu.pod')) === '10', 'the scores outlive the new build');
  server.serve(pageFolder);
  await rm(newBuild, { recursive: true, force: true });

  // --- two tabs of one browser: the first keeps the data folder, the second
  // writes nothing and says so, until it takes the folder over
  const second = watch(await context.newPage(), 'second tab');
  await second.goto(server.address);
  await titleShown(second, 'the second tab starts');
  await until('the second tab says another keeps the scores', async () => /another tab/.test(await said(second)), 20000);
  check(/another tab/.test(await said(second)), 'the second tab says that another tab keeps the scores');
  const nameBefore = await storedFile(page, 'zel.ini');
  await keepName(second, 'ＢＢ');
  await sleep(1500);
  check((await storedFile(page, 'zel.ini')).join() === nameBefore.join() &&
        firstScore(await storedFile(page, 'tyuu.pod')) === '10',
        'what the second tab saves leaves the stored files as they were');
  await keepName(page, 'ＡＡ');
  await until('the first tab still keeps what it saves', async () =>
    (await storedFile(page, 'zel.ini')).join() !== nameBefore.join(), 10000);
  const nameOfFirst = await storedFile(page, 'zel.ini');
  await Promise.all([second.waitForNavigation(), second.click('#status button:has-text("Keep them")')]);
  await titleShown(second, 'the second tab starts again, keeping the folder');
  await until('the first tab says it was taken over', async () => /Another tab now keeps/.test(await said(page)), 20000);
  const secondName = await second.evaluate(() => Array.from(Module.morvex2ReadDataFile('zel.ini')));
  check(secondName.join() === nameOfFirst.join(), "the tab that takes over starts from the first tab's files");
  await keepName(second, 'ＣＣ');
  await until('the second tab now keeps what it saves', async () =>
    (await storedFile(page, 'zel.ini')).join() !== nameOfFirst.join(), 10000);
  const nameOfSecond = await storedFile(page, 'zel.ini');
  await keepName(page, 'ＤＤ');
  await sleep(1500);
  check((await storedFile(page, 'zel.ini')).join() === nameOfSecond.join(),
        'the tab taken over writes nothing more');
  await second.close();
  await page.close();
}
