// The service worker: keeps every file of this build in a cache named by the
// build's hash, so that after one visit the game starts and plays with no
// network. A new build is fetched whole into a cache of its own while the
// old one still serves; it takes over once no page of the old build is open
// (or when the page asks, to start the new build), and then the old cache is
// deleted, so a page never mixes the files of two builds. The player's data
// is in IndexedDB, which no build replaces.
//
// Each file is fetched past the browser's HTTP cache and kept only if it is
// this build's, byte for byte (its SHA-256 is stamped here beside its name):
// a deploy that lands while the files come would otherwise leave this
// build's index.html beside the next one's scripts. Then nothing is kept,
// the worker is not installed, the old build's cache serves on whole, and
// the page asks for the worker again later.
'use strict';

const build = '@BUILD@';
const cacheName = `morvex2-${build}`;
// './file' -> its SHA-256, in hex
const files = {@FILES@};
const isFile = (name) => Object.prototype.hasOwnProperty.call(files, name);

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function fetchThisBuild(file) {
  const answer = await fetch(new Request(file, { cache: 'reload' }));
  if (!answer.ok) throw new Error(`${file}: the server answered ${answer.status}`);
  const hash = hex(await crypto.subtle.digest('SHA-256', await answer.clone().arrayBuffer()));
  if (hash !== files[file]) throw new Error(`${file} is not this build's: another was deployed meanwhile`);
  return answer;
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const names = Object.keys(files);
    const answers = await Promise.all(names.map(fetchThisBuild));
    try {
      const cache = await caches.open(cacheName);
      await Promise.all(names.map((file, i) => cache.put(file, answers[i])));
    } catch (error) {
      await caches.delete(cacheName);  // never half a build
      throw error;
    }
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('morvex2-') && name !== cacheName)
    .map((name) => caches.delete(name)))));
});

self.addEventListener('message', (event) => {
  if (event.data === 'morvex2-start-new-build') self.skipWaiting();
  if (event.data === 'morvex2-build' && event.source) event.source.postMessage({ build });
});

// The page's own files come from this build's cache; the page's address with
// any query (?watch=...) is its index.html. Everything else goes to the
// network as if there were no worker.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = request.mode === 'navigate' && url.pathname === scope.pathname
    ? './index.html' : `./${url.pathname.slice(scope.pathname.length)}`;
  if (!isFile(name)) return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(new URL(name, scope).href))
    .then((cached) => cached || fetch(request)));
});
