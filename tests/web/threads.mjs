// The CPU that chromium's processes spend, read from /proc thread by thread,
// and sorted by what each thread does for a page: its main thread, V8's
// workers (the renderer's thread pool, where V8 collects garbage and compiles
// in the background), the sound (the renderer's audio output thread and the
// audio service), the renderer's compositor, the GPU process's compositing
// (viz), the network service, the browser process, and the rest (IPC,
// storage, watchdogs). Also stops and continues every process of a browser,
// so that one browser can be measured while another waits without a tick.
import { readFile, readdir } from 'node:fs/promises';
import { execFileSync } from 'node:child_process';

export const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK']).toString());
export const threadKinds = ['main', 'V8 workers', 'audio', 'compositor', 'GPU/viz', 'network', 'browser', 'other'];

// What a thread does, from its process's kind (--type, or the utility
// service it runs) and its name (/proc's comm: at most 15 characters).
export function threadKind(processKind, isMain, name) {
  switch (processKind) {
    case 'browser': return 'browser';
    case 'gpu-process': return 'GPU/viz';
    case 'NetworkService': return 'network';
    case 'AudioService': return 'audio';
    case 'renderer':
      if (isMain) return 'main';
      if (/^(Audio|Media|WebAudio)/.test(name)) return 'audio';
      if (/^Compositor/.test(name)) return 'compositor';
      if (/^ThreadPool(Foreg|Backg)/.test(name)) return 'V8 workers';
      return 'other';
    default: return 'other';
  }
}

function processKind(command) {
  return (command.match(/--utility-sub-type=[^.\0]*\.mojom\.(\w+)/) || command.match(/--type=([\w-]+)/) ||
          [null, 'browser'])[1];
}

// The processes started with this profile folder (its --user-data-dir).
async function browserProcesses(profile) {
  const found = [];
  for (const pid of await readdir('/proc')) {
    if (!/^\d+$/.test(pid)) continue;
    try {
      const command = (await readFile(`/proc/${pid}/cmdline`)).toString();
      if (command.includes(profile)) found.push({ pid, kind: processKind(command) });
    } catch {
      // the process ended meanwhile
    }
  }
  return found;
}

// Every thread's CPU ticks (user and system) so far: Map of "pid/tid" to
// { kind, ticks }.
export async function threadTicks(profile) {
  const ticks = new Map();
  for (const { pid, kind } of await browserProcesses(profile)) {
    let threads = [];
    try {
      threads = await readdir(`/proc/${pid}/task`);
    } catch {
      continue;
    }
    for (const tid of threads) {
      try {
        const stat = (await readFile(`/proc/${pid}/task/${tid}/stat`)).toString();
        // The name may hold spaces and brackets: the fields start after the last ')'.
        const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
        const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
        ticks.set(`${pid}/${tid}`, { kind: threadKind(kind, pid === tid, name),
                                     ticks: Number(fields[11]) + Number(fields[12]) });
      } catch {
        // the thread ended meanwhile
      }
    }
  }
  return ticks;
}

// The share of one core (in %) spent between two readings `seconds` apart:
// { all, kinds: { kind: share } }. A thread that ended meanwhile is lost
// with its ticks; one that started counts from zero.
export function sharesBetween(before, after, seconds) {
  const kinds = Object.fromEntries(threadKinds.map((kind) => [kind, 0]));
  let all = 0;
  for (const [id, { kind, ticks }] of after) {
    const share = (100 * (ticks - (before.get(id)?.ticks || 0))) / ticksPerSecond / seconds;
    kinds[kind] += share;
    all += share;
  }
  return { all, kinds };
}

// Stops (SIGSTOP) or continues (SIGCONT) every process of the browser.
export async function pauseBrowser(profile, paused) {
  for (const { pid } of await browserProcesses(profile)) {
    try {
      process.kill(Number(pid), paused ? 'SIGSTOP' : 'SIGCONT');
    } catch {
      // the process ended meanwhile
    }
  }
}
