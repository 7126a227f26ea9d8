// Keeps the pages working offline once they have been opened over http(s). Every page that
// should work offline is one line of the list below; each file is answered from the cache
// at once and fetched anew in the background, so the next visit gets the newer build.
'use strict';

// The service worker's own scope.
const worker = /** @type {ServiceWorkerGlobalScope} */ (/** @type {unknown} */ (self));

const CACHE = 'perne';
const FILES = [
  'perne.html',
  'perne.webmanifest',
  'perne-stats.html',
  'perne-stats.webmanifest',
  'icons/perne-192.png',
  'icons/perne-512.png',
];

worker.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      .then((cache) => cache.addAll(FILES))
      .then(() => worker.skipWaiting()),
  );
});

worker.addEventListener('activate', (event) => {
  event.waitUntil(worker.clients.claim());
});

worker.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  // The class server's answers (api/...) are live: never kept, never answered from the cache.
  if (request.method !== 'GET' || url.origin !== self.location.origin || url.pathname.includes('/api/')) return;
  event.respondWith(
    caches.open(CACHE).then(async (cache) => {
      const cached = await cache.match(request, { ignoreSearch: true });
      const fresh = fetch(request).then((response) => {
        if (response.ok) cache.put(request, response.clone());
        return response;
      });
      if (cached) {
        event.waitUntil(fresh.catch(() => {}));
        return cached;
      }
      return fresh;
    }),
  );
});
