// The world-table server for the page's tests: morvex2-server from the Linux
// release build (MORVEX2_SERVER names another) on a free port of 127.0.0.1,
// with an empty data folder and the page's folder as its site. Without the
// program the test says so and passes nothing off as checked (null). The
// server's address, its program and its data folder, for the operator's
// commands a test runs beside it; and a way to stop it and start it again on
// the same store and port, as a server that went down and came back. `more`
// are further options of the server: with --tls-cert, it is reached over
// https.
import { spawn } from 'node:child_process';
import { access, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

// The server on `listen`, and its address once it says it listens there (on
// its first line).
async function listening(program, data, pageFolder, listen, more) {
  const server = spawn(program, ['--data', data, '--listen', listen, '--site', pageFolder, ...more],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  const scheme = more.includes('--tls-cert') ? 'https' : 'http';
  const address = await new Promise((resolve, reject) => {
    let out = '';
    const said = (chunk) => {
      out += chunk;
      const heard = /listening on (127\.0\.0\.1:[0-9]+)/.exec(out);
      if (!heard) return;
      // Read on, so that the server never waits on a full pipe.
      server.stdout.off('data', said);
      server.stdout.resume();
      resolve(`${scheme}://${heard[1]}/`);
    };
    server.stdout.on('data', said);
    server.on('exit', (code) => reject(new Error(`morvex2-server stopped (${code}) before listening: ${out}`)));
  });
  return { server, address };
}

export async function startWorldServer(pageFolder, sourceFolder, test, more = []) {
  const program = process.env.MORVEX2_SERVER || join(sourceFolder, 'build/release/server/morvex2-server');
  try {
    await access(program);
  } catch {
    console.log(`SKIPPED: ${test} needs ${program} (scripts/build.sh release morvex2-server)`);
    return null;
  }
  const data = await mkdtemp(join(tmpdir(), 'morvex2-world-'));
  let { server, address } = await listening(program, data, pageFolder, '127.0.0.1:0', more);
  // Stopped however the test ends, so that no server outlives it.
  process.on('exit', () => server.kill());
  const down = () => new Promise((resolve) => {
    if (server.exitCode !== null || server.signalCode !== null) return resolve();
    server.once('exit', () => resolve());
    server.kill();
  });
  return {
    address,
    program,
    data,
    // Gone: every request finds no server until it starts again.
    down,
    // Back on its store and port.
    async up() {
      ({ server } = await listening(program, data, pageFolder, new URL(address).host, more));
    },
    async stop() {
      await down();
      await rm(data, { recursive: true, force: true });
    },
  };
}

// The browser, the server and the browser's profile, gone at a test's end.
export async function endWorldTest(context, world, profile) {
  await context.close();
  await world.stop();
  await rm(profile, { recursive: true, force: true });
}
