"use strict";
// The build writes in the site's files and a version made from their contents, so a new build is a new
// worker; the page reads BUILD from the host's copy of this file to register the newest by it.
const BUILD = "@VERSION@";
const FILES = ["./", ..."@FILES@".split(" ")];
// Caches are per origin, which a host may share between games: ours are named for this folder.
const PREFIX = "hollowmere " + registration.scope + " ", CACHE = PREFIX + BUILD;

self.addEventListener("install", event => event.waitUntil(caches.open(CACHE)
  .then(cache => cache.addAll(FILES.map(file => new Request(file, {cache: "reload"}))))
  .then(() => self.skipWaiting())));

// Once the new files are all in, the old build's go.
self.addEventListener("activate", event => event.waitUntil(caches.keys()
  .then(names => Promise.all(names.filter(name => name.startsWith(PREFIX) && name !== CACHE).map(name => caches.delete(name))))
  .then(() => self.clients.claim())));

// The kept copy first, the network for anything not kept; `?renderer=` asks for the same page.
self.addEventListener("fetch", event => event.respondWith(caches.open(CACHE)
  .then(cache => cache.match(event.request, {ignoreSearch: true}))
  .then(kept => kept || fetch(event.request))));
