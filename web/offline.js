// Every page registers the site's service worker (sw.js), once the page has loaded, so that
// storing the site for offline play does not slow down the first visit.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', () => {
    // The list of files that sw.js imports is asked of the server at every check for a new
    // build, never taken from the HTTP cache.
    navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch((error) => {
      console.warn('the site will not play offline:', error);
    });
  });
}
