// The world-table server for the page's tests: morvex2-server from the Linux
// release build (MORVEX2_SERVER names another) on a free port of 127.0.0.1,
// with an empty data folder and the page's folder as its site. Without the
// program the test says so and passes nothing off as checked (null). The
// server's address, its program and its data folder, for the operator's
// commands a test runs beside it. `more` are further options of the server:
// with --tls-cert, it is reached over https.
import { spawn } from 'node:child_process';
import { access, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export async function startWorldServer(pageFolder, sourceFolder, test, more = []) {
  const program = process.env.MORVEX2_SERVER || join(sourceFolder, 'build/release/server/morvex2-server');
  try {
    await access(program);
  } catch {
    console.log(`SKIPPED: ${test} needs ${program} (scripts/build.sh release morvex2-server)`);
    return null;
  }
  const data = await mkdtemp(join(tmpdir(), 'morvex2-world-'));
  // The server says its port on its first line.
  const server = spawn(program, ['--data', data, '--listen', '127.0.0.1:0', '--site', pageFolder, ...more],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const listening = /listening on (127\.0\.0\.1:[0-9]+)/.exec(out);
      if (listening) resolve(`${more.includes('--tls-cert') ? 'https' : 'http'}://${listening[1]}/`);
    });
    server.on('exit', (code) => reject(new Error(`morvex2-server stopped (${code}) before listening: ${out}`)));
  });
  // Stopped however the test ends, so that no server outlives it.
  process.on('exit', () => server.kill());
  return {
    address,
    program,
    data,
    async stop() {
      server.kill();
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
