// Serves the browser build's folder on 127.0.0.1, on a free port, for the
// tests and the measurements; only the page's own kinds of file, nothing
// outside the folder. `onServed(body)` sees every body sent.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { join, extname } from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream' };

export async function servePage(pageFolder, onServed = () => {}) {
  const server = createServer(async (request, response) => {
    const name = new URL(request.url, 'http://x').pathname.replace(/^\/$/, '/index.html');
    if (name.includes('..') || !types[extname(name)]) {
      response.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(join(pageFolder, name));
      onServed(body);
      response.writeHead(200, { 'Content-Type': types[extname(name)] }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { address: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}
