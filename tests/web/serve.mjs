// Serves the page's folder (build/web/site) on 127.0.0.1, on a free port, for
// the tests and the measurements; only the page's own kinds of file, nothing
// outside the folder. `onServed(body, name)` sees every body sent. The
// returned server can serve another folder from then on (`serve(folder)`,
// a new build of the page) or none (`down(true)`: the network is gone), or
// another once it has sent one file (`serveAfter(name, folder)`: a deploy that
// lands just after a GET of /name), and send its files compressed as most web
// servers do (`compress(true)`).
import { createServer } from 'node:http';
import { gzipSync } from 'node:zlib';
import { readFile } from 'node:fs/promises';
import { join, extname } from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream', '.tune': 'application/octet-stream',
                '.late': 'application/octet-stream', '.png': 'image/png',
                '.webmanifest': 'application/manifest+json' };

export async function servePage(pageFolder, onServed = () => {}) {
  let folder = pageFolder;
  let isDown = false;
  let compressing = false;
  let after = null;
  const server = createServer(async (request, response) => {
    if (isDown) {
      request.socket.destroy();
      return;
    }
    const name = new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html');
    if (name.includes('..') || !types[extname(name)]) {
      response.writeHead(404).end();
      return;
    }
    const from = folder;
    if (after && request.method === 'GET' && name === after.name) {
      folder = after.folder;
      after = null;
    }
    try {
      const body = await readFile(join(from, name));
      onServed(body, name);
      const headers = { 'Content-Type': types[extname(name)] };
      if (compressing && /\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
        headers['Content-Encoding'] = 'gzip';
        response.writeHead(200, headers).end(gzipSync(body));
      } else {
        response.writeHead(200, headers).end(body);
      }
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    address: `http://127.0.0.1:${server.address().port}/`,
    serve: (other) => { folder = other; },
    serveAfter: (name, other) => { after = { name, folder: other }; },
    down: (gone) => { isDown = gone; },
    compress: (on) => { compressing = on; },
    close: () => server.close(),
  };
}
