// The measurement's own pieces, without a browser: the spread of the pairs'
// differences, the sorting of chromium's threads, the reading of a thread's
// ticks from /proc (whatever its name holds) and the stopping of a browser's
// processes, tried on busy child processes of this one.
//
//   tests/web/run.sh measure_test.mjs
import { spawn } from 'node:child_process';
import { spread } from './paired.mjs';
import { threadKind, threadTicks, sharesBetween, pauseBrowser, ticksPerSecond } from './threads.mjs';
import { check, failures, sleep } from './checks.mjs';

const near = (a, b) => Math.abs(a - b) < 1e-9;
for (const [values, want, what] of [
  [[3], { median: 3, low: 3, high: 3, min: 3, max: 3 }, 'one value'],
  [[4, 1, 3, 2], { median: 2.5, low: 1.75, high: 3.25, min: 1, max: 4 }, 'an even count, unsorted'],
  [[-0.5, 0.25, 1, -2, 0], { median: 0, low: -0.5, high: 0.25, min: -2, max: 1 }, 'differences of both signs'],
  [[1, 1, 1, 9], { median: 1, low: 1, high: 3, min: 1, max: 9 }, 'one pair far off moves the median not'],
]) {
  const given = [...values];
  const got = spread(values);
  check(Object.keys(want).every((key) => near(got[key], want[key])) && given.every((value, i) => value === values[i]),
        `spread of ${what}: ${JSON.stringify(got)}`);
}

for (const [process, isMain, name, want] of [
  ['renderer', true, 'chromium', 'main'],
  ['renderer', false, 'ThreadPoolForeg', 'V8 workers'],
  ['renderer', false, 'AudioOutputDevi', 'audio'],
  ['renderer', false, 'Compositor', 'compositor'],
  ['renderer', false, 'CompositorTileW', 'compositor'],
  ['renderer', false, 'Chrome_ChildIOT', 'other'],
  ['AudioService', false, 'AudioWorkerThre', 'audio'],
  ['gpu-process', false, 'VizCompositorTh', 'GPU/viz'],
  ['NetworkService', true, 'chromium', 'network'],
  ['browser', false, 'Chrome_IOThread', 'browser'],
  ['StorageService', true, 'chromium', 'other'],
]) {
  check(threadKind(process, isMain, name) === want, `${process}'s ${isMain ? 'main thread' : name} counts as ${want}`);
}

// Children that spin for as long as they live, named as a thread may be
// named (brackets and spaces), and marked with a word their command lines
// share as a browser's processes share its profile folder. (A process's
// title replaces its command line, so the mark goes into the title.)
const mark = `morvex2-measure-test-${process.pid}`;
const children = [0, 1].map(() => spawn(process.execPath,
  ['-e', 'process.title = `s) ) ) ) (${process.argv[1]}`; for (;;) {}', mark], { stdio: 'ignore' }));
try {
  await sleep(300);
  const first = await threadTicks(mark);
  await sleep(1000);
  const running = sharesBetween(first, await threadTicks(mark), 1);
  // However busy the machine, they spin on at most two cores, and not on none.
  const processes = new Set([...first.keys()].map((thread) => thread.split('/')[0]));
  check(processes.size === 2 && running.all > 5 && running.all <= 2 * 100 + 20,
        `two spinning children read as up to two cores, their names notwithstanding (${running.all.toFixed(0)} %)`);
  await pauseBrowser(mark, true);
  await sleep(100);  // a tick in flight
  const stopped = await threadTicks(mark);
  await sleep(1000);
  const still = sharesBetween(stopped, await threadTicks(mark), 1);
  check(still.all <= 100 / ticksPerSecond, `stopped, they spend nothing (${still.all.toFixed(1)} %)`);
  await pauseBrowser(mark, false);
  const continued = await threadTicks(mark);
  await sleep(500);
  check(sharesBetween(continued, await threadTicks(mark), 0.5).all > 5, 'continued, they spin again');
} finally {
  await pauseBrowser(mark, false);
  for (const child of children) child.kill();
}
if (failures) {
  console.log(`${failures} checks failed`);
  process.exit(1);
}
console.log('all measurement checks passed');
