// Compares browsers' CPU in short windows taken in turns, so that what the
// machine's other work adds falls on both sides alike: in each pair every
// browser has one window, in the order A B, then B A in the next pair (A B B
// A ...), and only the measured browser runs: the others are stopped, and the
// measured one is continued a few seconds before its window, so that what it
// does to catch up after the stop stays outside. A pair's difference is
// between windows a few seconds apart; the median of the pairs' differences,
// with their quartiles and range, says how far one browser costs more than
// the other and how sure that is.
import { loadavg } from 'node:os';
import { threadTicks, sharesBetween, pauseBrowser, threadKinds } from './threads.mjs';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Measures each side in `pairs` pairs of windows of `seconds`. A side is
// { name, profile, count(): the garbage collections so far ({ minor, major }),
// puts(): the parts put since the last call, before(): what it does once
// continued, before it settles (optional) }; every side's browser is stopped
// before and after. Gives, by side's name, its windows:
// { all, kinds, gcs, puts, load }.
export async function pairedWindows(sides, { seconds, pairs, resumeMs = 3000 }) {
  const windows = Object.fromEntries(sides.map((side) => [side.name, []]));
  for (let pair = 0; pair < pairs; ++pair) {
    for (const side of pair % 2 ? [...sides].reverse() : sides) {
      await pauseBrowser(side.profile, false);
      if (side.before) await side.before();
      await sleep(resumeMs);
      await side.puts();
      const gcsBefore = side.count();
      const before = await threadTicks(side.profile);
      const start = process.hrtime.bigint();
      await sleep(seconds * 1000);
      const after = await threadTicks(side.profile);
      const elapsed = Number(process.hrtime.bigint() - start) / 1e9;
      const gcsAfter = side.count();
      const puts = (await side.puts()).length;
      await pauseBrowser(side.profile, true);
      windows[side.name].push({ ...sharesBetween(before, after, elapsed), puts, load: loadavg()[0],
                                gcs: { minor: gcsAfter.minor - gcsBefore.minor,
                                       major: gcsAfter.major - gcsBefore.major } });
    }
  }
  return windows;
}

// The median, quartiles and range of some numbers (the quartiles interpolated
// between the nearest two).
export function spread(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (fraction) => {
    const place = fraction * (sorted.length - 1);
    const below = Math.floor(place);
    const above = Math.min(below + 1, sorted.length - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (place - below);
  };
  return { median: at(0.5), low: at(0.25), high: at(0.75), min: sorted[0], max: sorted[sorted.length - 1] };
}

const signed = (value) => `${value >= 0 ? '+' : '-'}${Math.abs(value).toFixed(2)}`;

// The lines that give one scene's windows: each pair, the median difference
// of `first` over `second` with its spread, and both sides and their
// difference by kind of thread; other sides (an empty page) by their medians.
export function pairedReport(scene, windows, first, second, { seconds }) {
  const mine = windows[first];
  const theirs = windows[second];
  const differences = mine.map((window, pair) => window.all - theirs[pair].all);
  const lines = [`${scene}: ${mine.length} pairs of ${seconds} s, ${first} and ${second} in turns ` +
                 `(${first} - ${second} per pair; load at each window's end)`];
  mine.forEach((window, pair) => {
    lines.push(`  pair ${String(pair + 1).padStart(2)}  ${first} ${window.all.toFixed(2).padStart(5)} % ` +
               `(load ${window.load.toFixed(2)}, ${window.puts} puts)  ${second} ${theirs[pair].all.toFixed(2).padStart(5)} % ` +
               `(load ${theirs[pair].load.toFixed(2)}, ${theirs[pair].puts} puts)  ${signed(differences[pair])}`);
  });
  const gap = spread(differences);
  const above = differences.filter((difference) => difference > 0).length;
  lines.push(`  ${first} - ${second}: median ${signed(gap.median)} (quartiles ${signed(gap.low)} ${signed(gap.high)}, ` +
             `range ${signed(gap.min)} ${signed(gap.max)}; ${first} above in ${above} of ${differences.length} pairs)`);
  const median = (name, pick) => spread(windows[name].map(pick)).median;
  const kindLine = (label, pick) => `  ${label.padEnd(18)}` +
    threadKinds.map((kind) => pick(kind).toFixed(2).padStart(Math.max(6, kind.length + 1))).join('') +
    `  ${pick(null).toFixed(2).padStart(6)}`;
  lines.push(`  medians, % of a core ${threadKinds.map((kind) => kind.padStart(Math.max(6, kind.length + 1))).join('')}     all`);
  for (const name of Object.keys(windows)) {
    lines.push(kindLine(name, (kind) => median(name, (window) => (kind ? window.kinds[kind] : window.all))));
  }
  lines.push(kindLine(`${first} - ${second}`, (kind) => spread(mine.map((window, pair) =>
    (kind ? window.kinds[kind] - theirs[pair].kinds[kind] : window.all - theirs[pair].all))).median));
  lines.push(`  garbage collections per window, median (minor / major): ` + Object.keys(windows).map((name) =>
    `${name} ${median(name, (window) => window.gcs.minor)} / ${median(name, (window) => window.gcs.major)}`).join(', '));
  return lines;
}
