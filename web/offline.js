// Every page registers the site's service worker (sw.js) a few seconds after it has loaded:
// storing the whole site takes its share of the network and the processor, which the page and
// the game's first screen need more while they load.
const STORE_AFTER_MS = 3000;

if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => {
    setTimeout(() => {
      // The list of files that sw.js imports is asked of the server at every check for a new
      // build, never taken from the HTTP cache.
      navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch((error) => {
        console.warn('the site will not play offline:', error);
      });
    }, STORE_AFTER_MS);
  });

  // When a new build takes over while a game's page is open, the game it would start again
  // would come from the new build and this page from the old one: the page is loaded anew
  // instead. (The first worker to take over a page of the same build changes nothing.)
  let replaced = false;
  let controlled = navigator.serviceWorker.controller !== null;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    replaced = controlled;
    controlled = true;
  });
  document.addEventListener(
    'click',
    (event) => {
      if (replaced && event.target.id === 'restart') {
        event.stopImmediatePropagation();
        location.reload();
      }
    },
    true
  );
}
