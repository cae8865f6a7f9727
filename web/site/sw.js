// Keeps the site's own files so the page runs offline once it has been opened. The
// network comes first, so a new build shows at once; the cache answers without it.
const CACHE = 'vendrel-site';
const FILES = [
  './',
  'index.html',
  'style.css',
  'main.js',
  'core.js',
  'vendrel_core.js',
  'vendrel.js',
  'form.js',
  'messages.js',
  'host.js',
  'surface.js',
  'menu.js',
  'url_form.js',
  'manifest.webmanifest',
  'fonts/ipapgothic-subset.woff2',
  'icons/vendrel-32.png',
  'icons/vendrel-128.png',
  'icons/vendrel-256.png',
  'icons/vendrel.svg',
];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    fetch(request)
      .then((response) => {
        if (response.ok) {
          const copy = response.clone();
          caches.open(CACHE).then((cache) => cache.put(request, copy));
        }
        return response;
      })
      // A shared shot's address (?angle=30) is the same page.
      .catch(() => caches.match(request, { ignoreSearch: true }).then((hit) => hit ?? Response.error())),
  );
});
