// The page's service worker: after one visit the game and the editor play
// with no network. Every static file is fetched once into a cache named for
// the build, so the files of one build are only ever served together: a new
// build installs beside the old one and takes over only when no page of the
// old one is open (no skipWaiting), then deletes the old cache whole.
// The build writes BUILD and FILES (cmake/WebApp.cmake); this file in web/
// is their template.
'use strict';
const CACHE = 'quibbo-@BUILD@';
const FILES = [@FILES@];

self.addEventListener('install', event => {
  // 'no-cache' asks the server again, so nothing older than this build's
  // files can come from the browser's own cache.
  event.waitUntil(caches.open(CACHE).then(cache =>
    cache.addAll(FILES.map(file => new Request(file, { cache: 'no-cache' })))));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys().then(names => Promise.all(
    names.filter(name => name.startsWith('quibbo-') && name !== CACHE).map(name => caches.delete(name)))));
});

// From the cache first. The query is not part of a file's name: the game's
// ?args= and the editor's ?edit=1 open the same index.html; a folder's
// address opens its index.html.
self.addEventListener('fetch', event => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== location.origin) return;
  const key = url.pathname.endsWith('/') ? url.pathname + 'index.html' : url.pathname;
  event.respondWith(caches.open(CACHE)
    .then(cache => cache.match(key, { ignoreSearch: true }))
    .then(hit => hit || fetch(request)));
});
