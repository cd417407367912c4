// Whatever goes wrong is said on the page, and the game plays whenever it
// can: one row per case, each in a fresh browser context of its own (a
// desktop's, or a phone's where the row says so).
import { chromium } from 'playwright-core';
import { check, until, titleShown, said, chromiumArgs, withTestHooks, phoneEmulation } from './checks.mjs';
import { mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { randomBytes } from 'node:crypto';

const folder = '/home/web_user/.local/share/morvex2';

// Writes records into the page's storage as another program (or a damaged
// disk) might have left them: [name, record] with contents as byte arrays.
async function storeRecords(page, records) {
  await page.evaluate(([dataFolder, rows]) => new Promise((resolve, reject) => {
    const open = indexedDB.open(dataFolder);
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const db = open.result;
      const transaction = db.transaction('FILE_DATA', 'readwrite');
      for (const [name, record] of rows) {
        const value = { ...record };
        if (value.contents) value.contents = new Uint8Array(value.contents);
        if (value.date) value.timestamp = new Date(value.date);
        delete value.date;
        transaction.objectStore('FILE_DATA').put(value, `${dataFolder}/${name}`);
      }
      transaction.oncomplete = () => { db.close(); resolve(); };
      transaction.onerror = () => reject(transaction.error);
    };
  }), [folder, records]);
}

async function watchFile(page, file) {
  await page.evaluate(() => document.getElementById('bar').classList.add('open'));
  await page.setInputFiles('#watch', file);
}

// The browser's storage as a broken disk leaves it: every opening fails.
const storageThatCannotOpen = () => {
  IDBFactory.prototype.open = function () {
    const request = new EventTarget();
    setTimeout(() => {
      Object.defineProperty(request, 'error', { value: new DOMException('the disk is gone', 'UnknownError') });
      const event = new Event('error', { cancelable: true });
      if (request.onerror) request.onerror(event);
    }, 10);
    return request;
  };
};
const withoutStorage = () => { Object.defineProperty(window, 'indexedDB', { get: () => undefined }); };

// How many bytes the page's origin holds in IndexedDB; and that storage
// emptied, once the page has let go of it.
async function storedBytes(page) {
  const cdp = await page.context().newCDPSession(page);
  const { usageBreakdown } = await cdp.send('Storage.getUsageAndQuota', { origin: new URL(page.url()).origin });
  return usageBreakdown.filter((kind) => kind.storageType === 'indexeddb').reduce((sum, kind) => sum + kind.usage, 0);
}
async function emptyStorage(page, address) {
  const cdp = await page.context().newCDPSession(page);
  await page.goto(`${address}manifest.webmanifest`);
  await cdp.send('Storage.clearDataForOrigin', { origin: new URL(address).origin, storageTypes: 'indexeddb' });
}

const fileMode = 0o100644;
const folderMode = 0o40755;

export async function testTrouble({ address, sourceFolder, only = null }) {
  const middle = await readFile(join(sourceFolder, 'tests/replays/middle.mvr'));
  const work = await mkdtemp(join(tmpdir(), 'morvex2-trouble-'));
  const huge = join(work, 'huge.mvr');
  await writeFile(huge, Buffer.alloc(50 << 20));
  const rows = [
    ['a 50 MB file to watch is refused before it is read', async (page) => {
      await titleShown(page);
      await page.evaluate(() => { window.morvex2SamePage = true; });
      await watchFile(page, huge);
      await until('the refusal is said', async () => /more than a replay can have/.test(await said(page)), 10000);
      return /大きすぎる/.test(await said(page)) && (await page.evaluate(() => window.morvex2SamePage === true));
    }],
    // The game reads replays up to 12 MB: one of exactly that size reaches it
    // whole (these bytes are no replay, so the game's reason is shown), one
    // byte more is the page's to refuse.
    ...[['a 6 MB file', 6 << 20], ['a file of exactly 12 MB', 12 << 20]].map(([what, size]) => [
      `${what} to watch reaches the game whole`, async (page) => {
        await titleShown(page);
        const file = join(work, `${size}.mvr`);
        await writeFile(file, Buffer.alloc(size, 0x4d));
        await Promise.all([page.waitForNavigation(), watchFile(page, file)]);
        await until(`${what}: the game's reason is shown`, async () => /ゲームより: morvex2: /.test(await said(page)), 60000);
        const given = await page.evaluate(() => FS.stat('/tmp/watched.mvr').size);
        return given === size && !/Not watched|QuotaExceeded/.test(await said(page));
      }]),
    ['a file one byte over 12 MB is refused before it is read', async (page) => {
      await titleShown(page);
      const file = join(work, 'over.mvr');
      await writeFile(file, Buffer.alloc((12 << 20) + 1));
      await page.evaluate(() => { window.morvex2SamePage = true; });
      await watchFile(page, file);
      await until('the refusal is said', async () => /more than a replay can have/.test(await said(page)), 10000);
      return page.evaluate(() => window.morvex2SamePage === true);
    }],
    ...[['random bytes', randomBytes(3000)], ['half a replay', middle.subarray(0, middle.length >> 1)],
      ['an empty file', Buffer.alloc(0)]].map(([what, bytes]) => [
      `${what} to watch: the game's reason is shown, in both languages`, async (page) => {
        await titleShown(page);
        await Promise.all([page.waitForNavigation(),
          watchFile(page, { name: 'bad.mvr', mimeType: 'application/octet-stream', buffer: bytes })]);
        await until(`${what}: the game's reason is shown`, async () => /ゲームより: morvex2: /.test(await said(page)), 60000);
        const errors = await page.evaluate(() => window.morvex2Errors);
        return errors.length > 0 && (await said(page)).includes(errors[0]);
      }]),
    ['without IndexedDB the game plays and says nothing is kept', async (page) => {
      await page.addInitScript(withoutStorage);
      await page.reload();
      await titleShown(page);
      await page.click('#start');
      await page.keyboard.press('Enter');
      return /keeps nothing/.test(await said(page)) && /保存できません/.test(await said(page));
    }],
    ['a storage that fails to open says its own reason', async (page) => {
      await page.addInitScript(storageThatCannotOpen);
      await page.reload();
      await titleShown(page);
      return /UnknownError: the disk is gone/.test(await said(page));
    }],
    ['tunes that cannot be fetched are said, and the game plays on without them', async (page) => {
      await page.route('**/tunes/*', (route) => route.fulfill({ status: 404 }));
      await page.reload();
      await titleShown(page);
      await until('the missing tunes are said', async () => /音楽を取得できません/.test(await said(page)), 20000);
      return /music could not be fetched \(the server answered 404\)/.test(await said(page)) &&
        (await page.evaluate(() => window.morvex2Errors.length)) === 0;
    }],
    ['a level picture that cannot be fetched ends the game with its reason, and the tunes still come',
      async (page) => {
        await page.route(/late\/B(CRI|GIYA|FUNE)\.bmp\.late$/, (route) => route.fulfill({ status: 404 }));
        await page.reload();
        await titleShown(page);
        await page.click('#start');
        const heard = await until("the title's tune is heard", () => page.evaluate(() => window.morvex2SoundPeak() > 0.01), 30000);
        await page.keyboard.press('Enter');
        await page.keyboard.press('Enter');
        await until('the game ends', async () => /The game has ended/.test(await said(page)), 20000);
        return heard && /ゲームより: /.test(await said(page));
      }],
    ['a browser that cannot decode the tunes plays them as they came', async (page) => {
      await page.addInitScript(() => {
        BaseAudioContext.prototype.decodeAudioData = () => Promise.reject(new DOMException('no Vorbis', 'EncodingError'));
      });
      await page.reload();
      await titleShown(page);
      await page.click('#start');
      const heard = await until("the title's tune is heard", () => page.evaluate(() => window.morvex2SoundPeak() > 0.01), 30000);
      return heard && (await page.evaluate(() => Module.morvex2DecodedTunes.size === 0 &&
        !FS.analyzePath('/home/web_user/.cache/morvex2').exists && window.morvex2Errors.length === 0));
    }],
    ['a storage that never answers lets the game start and says so', async (page) => {
      await page.addInitScript(() => { IDBFactory.prototype.open = () => new EventTarget(); });
      await page.reload();
      await titleShown(page);
      return /does not answer/.test(await said(page));
    }],
    // On a phone: the page plays from its own files, by touch, stores nothing, and says so where
    // the phone shows the page's lines.
    ...[['cannot be opened', storageThatCannotOpen, /UnknownError: the disk is gone/],
      ['is not there', withoutStorage, /keeps nothing/]].map(([what, broken, reason]) => [
      `on a phone, a storage that ${what}: the game plays, stores nothing, and says so`, async (page) => {
        // What the row's first visit stored goes: whatever is there at the end, this visit wrote.
        await emptyStorage(page, address);
        await page.addInitScript(broken);
        await page.goto(address);
        await titleShown(page);
        await page.tap('#start');
        await page.tap('#pad button[data-key="Enter"]');
        const plays = await until('START goes to the play screen',
                                  () => page.evaluate(() => Module._morvex2_scene() === 2), 20000);
        const text = await said(page);
        const shown = await page.locator('#status').isVisible();
        const stored = await storedBytes(page);
        console.log(`-- on a phone, a storage that ${what}: plays ${plays}, the lines shown ${shown}, ` +
                    `${stored} bytes stored`);
        return plays && shown && stored === 0 && reason.test(text) && /保存できません/.test(text);
      }, phoneEmulation]),
    ['damaged tables and zel.ini in storage are said', async (page) => {
      await titleShown(page);
      await storeRecords(page, [['tyuu.pod', { mode: fileMode, date: Date.now(), contents: Array(100).fill(16) }],
        ['zel.ini', { mode: fileMode, date: Date.now(), contents: [0x41, 0x42, 0] }]]);
      await page.reload();
      await titleShown(page);
      const text = await said(page);
      return /tyuu\.pod \(100 bytes\)/.test(text) && /zel\.ini \(3 bytes\)/.test(text);
    }],
    // 590 bytes are said when they cannot be a table the game wrote, and
    // only then.
    ['tables of the right size are said when no game wrote them', async (page) => {
      await titleShown(page);
      const stored = (text, width) => [...Buffer.from(text, 'latin1')].map((b) => (b - 0x20) & 0xff)
        .concat(Array(Math.max(0, width - text.length)).fill(0xe0)).slice(0, width);
      const table = (row) => {
        const bytes = Array(590).fill(0xe0);
        [[0, 16, row[0]], [160, 29, row[1]], [450, 9, row[2]], [540, 5, row[3]]].forEach(([at, width, text]) => {
          bytes.splice(at, width, ...stored(text, width));
        });
        return bytes;
      };
      const cases = [
        ['zyou.pod', Array.from({ length: 590 }, (_, i) => (i * 193 + 71) & 0xff), true],
        ['tyuu.pod', table(['PLAYER', 'Sat Dec 05 16:38:43 2026', 'l0', '3']), true],
        ['syo.pod', table(['PLAYER', 'Sat Dec 05 16:38:43 2026', '999999999', '3']), false],
      ];
      await storeRecords(page, cases.map(([name, bytes]) => [name, { mode: fileMode, date: Date.now(), contents: bytes }]));
      await page.reload();
      await titleShown(page);
      const text = await said(page);
      return cases.every(([name, , junk]) => new RegExp(`damaged: ${name.replace('.', '\\.')} \\(row `).test(text) === junk);
    }],
    ['another page deleting the database is let through and said; the game keeps what it holds', async (page) => {
      await titleShown(page);
      await page.fill('#name', 'ＤＥＬ');
      await page.click('#keep-name');
      const name = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('zel.ini')).join());
      const other = await page.context().newPage();
      await other.goto(`${address}manifest.webmanifest`);
      const deleted = await other.evaluate((dataFolder) => new Promise((resolve) => {
        const request = indexedDB.deleteDatabase(dataFolder);
        request.onsuccess = () => resolve('deleted');
        request.onerror = () => resolve(`failed: ${request.error}`);
        setTimeout(() => resolve('still waiting after 5 s'), 5000);
      }), folder);
      await until('the deletion is said', async () => /Another page deleted/.test(await said(page)), 10000);
      const kept = await page.evaluate(() => Array.from(Module.morvex2ReadDataFile('zel.ini')).join());
      await page.fill('#name', 'ＡＦＴＥＲ');
      await page.click('#keep-name');
      await page.focus('#canvas');
      await page.keyboard.press('Enter');
      await page.waitForTimeout(1500);
      const databases = (await other.evaluate(() => indexedDB.databases())).map((db) => db.name);
      check(deleted === 'deleted', `the other page's deleteDatabase ends (${deleted})`);
      check(kept === name, 'the game keeps the files it held');
      check(!databases.includes(folder), `the tab makes no database anew (${databases})`);
      return deleted === 'deleted' && kept === name && !databases.includes(folder) &&
        (await page.evaluate(() => window.morvex2Errors.length)) === 0;
    }],
    ['records of mode 0, numeric times and a table stored as a folder lose nothing after them', async (page) => {
      await titleShown(page);
      const table = Array(590).fill(0).map((_, i) => (i * 7) & 0xff);
      await storeRecords(page, [['aaa.bin', { mode: 0, date: Date.now(), contents: [1, 2, 3] }],
        ['syo.pod', { mode: folderMode, date: Date.now() }],
        ['tyuu.pod', { mode: fileMode, timestamp: Date.now(), contents: table }],
        ['zel.ini', { mode: fileMode, date: Date.now(), contents: [0x41, 0x42, ...Array(14).fill(0)] }]]);
      await page.reload();
      await titleShown(page);
      const read = await page.evaluate(() => ({
        table: Array.from(Module.morvex2ReadDataFile('tyuu.pod') || []),
        name: Array.from(Module.morvex2ReadDataFile('zel.ini') || []),
      }));
      const text = await said(page);
      return read.table.join() === table.join() && read.name[0] === 0x41 && /aaa\.bin/.test(text) &&
        /syo\.pod: a folder is in its place/.test(text);
    }],
    ['a full quota is said, and a later save tries again', async (page) => {
      // The browser holds a database's quota from its opening: the storage is
      // full from the page's start, where the game's first save fails. What
      // the first visit may have stored by now goes, so that the game has its
      // new tables to save, however soon that visit started.
      const cdp = await page.context().newCDPSession(page);
      const origin = new URL(address).origin;
      await page.goto(`${address}manifest.webmanifest`);
      await cdp.send('Storage.clearDataForOrigin', { origin, storageTypes: 'indexeddb' });
      await cdp.send('Storage.overrideQuotaForOrigin', { origin, quotaSize: 1 });
      await page.goto(address);
      await titleShown(page);
      await until('the failed save is said', async () => /could not be saved/.test(await said(page)), 20000);
      const failed = /QuotaExceededError/.test(await said(page));
      await cdp.send('Storage.overrideQuotaForOrigin', { origin });
      await page.fill('#name', 'ＦＵＬＬ');
      await page.click('#keep-name');
      await until('the next save is said', async () => /Saved again/.test(await said(page)), 20000);
      const stored = await page.evaluate((dataFolder) => new Promise((resolve) => {
        const open = indexedDB.open(dataFolder);
        open.onsuccess = () => {
          const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get(`${dataFolder}/tyuu.pod`);
          get.onsuccess = () => { open.result.close(); resolve(get.result ? get.result.contents.length : 0); };
        };
      }), folder);
      return failed && /保存できました/.test(await said(page)) && stored === 590;
    }],
  ];

  if (only) rows.splice(0, rows.length, ...rows.filter(([what]) => only.test(what)));
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: chromiumArgs });
  try {
    // Three at a time: each plays a game in real time.
    for (let first = 0; first < rows.length; first += 3) {
      await Promise.all(rows.slice(first, first + 3).map(async ([what, run, device = {}]) => {
        const viewport = device.isMobile ? { width: 390, height: 844 } : { width: 800, height: 640 };
        const context = await withTestHooks(await browser.newContext({ ...device, viewport }));
        context.setDefaultTimeout(120000);
        try {
          const page = await context.newPage();
          await page.goto(address);
          const ok = await run(page);
          check(ok, `${what}${ok ? '' : `: ${await said(page)}`}`);
        } catch (error) {
          check(false, `${what}: ${error.message}`);
        } finally {
          await context.close();
        }
      }));
    }
  } finally {
    await browser.close();
    await rm(work, { recursive: true, force: true });
  }
}
