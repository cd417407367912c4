// Results kept from earlier games, on the page: the file of kept results is
// put in the browser's storage as a game that could not send left it, with
// one result for a ticket the server does not know and one line that cannot
// be read; at the next visit the page sends the result again and shows the
// server's verdict among its lines, keeps the unreadable line aside in a file
// of its own and says so, and the settled result leaves the storage.
//
//   node outbox_test.mjs PAGE_FOLDER SOURCE_FOLDER
import { mkdtemp } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { check, failures, until, titleShown, desktopBrowser, consoleWatch } from './checks.mjs';
import { storedFile } from './kept_test.mjs';
import { endWorldTest, startWorldServer } from './world_server.mjs';

const [pageFolder, sourceFolder] = process.argv.slice(2);
const world = await startWorldServer(pageFolder, sourceFolder, 'the kept-results test');
if (world === null) process.exit(0);
const profile = await mkdtemp(join(tmpdir(), 'morvex2-chromium-'));
const context = await desktopBrowser(profile);
const { consoleErrors, watch } = consoleWatch();
const origin = world.address.replace(/\/$/, '');
const ticket = '0123456789abcdef0123456789abcdef';
const kept = '# Morvex2: results not yet taken by the world server; sent again at each start\n' +
  `${ticket}\t4102444800\t${origin}\t{"name":"A","replay":"TVZS"}\n` +
  'a line that no game wrote\n';

const lines = (page) => page.evaluate(() => document.body.innerText);

try {
  const page = watch(await context.newPage(), 'outbox');
  await page.goto(world.address);
  await titleShown(page);
  await page.evaluate((text) => {
    Module.morvex2WriteFile(Module.morvex2DataFolder + '/world-pending.txt', new TextEncoder().encode(text));
    Module.morvex2SaveFiles();
  }, kept);
  await until('the kept results are in the storage', async () => (await storedFile(page, 'world-pending.txt')) !== null,
              20000);

  await page.reload();
  await titleShown(page, 'the title screen appears again');
  const verdict = 'a result kept from an earlier game was refused by the world server: No ticket has this id.';
  check(await until('the verdict is among the page\'s lines', async () => (await lines(page)).includes(verdict),
                    30000), `the page shows: ${verdict}`);
  const aside = /1 lines of world-pending\.txt cannot be read or sent to a world server; they are kept in (world-pending-unread-[0-9-]+\.txt)/;
  const found = aside.exec(await lines(page));
  check(found !== null, 'the page says where the unreadable line is kept');
  if (found) {
    const stored = await until('the unreadable line is kept in the storage', async () => {
      const bytes = await storedFile(page, found[1]);
      return bytes !== null && Buffer.from(bytes).toString() === 'a line that no game wrote\n';
    }, 20000);
    check(stored, `${found[1]} holds the line as it stood`);
  }
  check(await until('the settled result leaves the storage',
                    async () => (await storedFile(page, 'world-pending.txt')) === null, 20000),
        'world-pending.txt is gone once the verdict came');
  // The browser notes the server's 404 for the unknown ticket on its console:
  // that refusal is the verdict this test asks for.
  const others = consoleErrors.filter((line) => !/status of 404 \(Not Found\)/.test(line));
  check(others.length === 0, `no other errors on the console${others.length ? ':\n  ' + others.join('\n  ') : ''}`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  await endWorldTest(context, world, profile);
}
process.exit(failures === 0 ? 0 : 1);
