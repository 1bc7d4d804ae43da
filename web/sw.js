// The service worker: the whole site is stored on the first visit, so that a visited page, the
// index and either game reload and play without a network. precache.js, written by the build,
// gives the files and a version taken from their contents; a new build changes that file, the
// browser sees a changed worker, and the new version's store replaces the old one.
//
// Answers come from the store first, so that the files of one build are used together (a page
// of an older build that is still open loads itself anew before it starts a game again:
// offline.js); what is not in the store goes to the network.
'use strict';

importScripts('precache.js');

const PREFIX = 'tavro-';
const CACHE = PREFIX + self.precache.version;

self.addEventListener('install', (event) => {
  event.waitUntil(
    (async () => {
      const cache = await caches.open(CACHE);
      // Revalidated with the server, so that a file the HTTP cache kept from an older build is
      // not stored under the new version.
      await cache.addAll(
        self.precache.files.map((file) => new Request(file, { cache: 'no-cache' }))
      );
      await self.skipWaiting();
    })()
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    (async () => {
      for (const name of await caches.keys()) {
        if (name.startsWith(PREFIX) && name !== CACHE) {
          await caches.delete(name);
        }
      }
      await self.clients.claim();
    })()
  );
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  event.respondWith(
    (async () => {
      const cache = await caches.open(CACHE);
      // The worker's URL carries the game as its query: worker.js?game=tavro is worker.js. The
      // stored answer is given anew, without its own URL, so that the worker's address (which it
      // reads the game from) stays the one asked for.
      const stored = await cache.match(request, { ignoreSearch: true });
      if (!stored) {
        return fetch(request);
      }
      const { status, statusText, headers } = stored;
      return new URL(request.url).search
        ? new Response(stored.body, { status, statusText, headers })
        : stored;
    })()
  );
});
