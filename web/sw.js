// The service worker: keeps every file of this build in a cache named by the
// build's hash, so that after one visit the game starts and plays with no
// network. A new build is fetched whole into a cache of its own while the
// old one still serves; it takes over once no page of the old build is open
// (or at once when the page asks, to start the new build), and then the old
// cache is deleted, so a page never mixes the files of two builds. The
// player's data is in IndexedDB, which no build replaces.
'use strict';

const build = '@BUILD@';
const cacheName = `morvex2-${build}`;
const files = [@FILES@];

self.addEventListener('install', (event) => {
  // Fresh from the server, not from the browser's HTTP cache, which may
  // still hold a file of the last build.
  event.waitUntil(caches.open(cacheName).then((cache) =>
    cache.addAll(files.map((file) => new Request(file, { cache: 'reload' })))));
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
  if (!files.includes(name)) return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(new URL(name, scope).href))
    .then((cached) => cached || fetch(request)));
});
