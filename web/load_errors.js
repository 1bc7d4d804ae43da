// A game's page says which of its files could not be loaded, and how: a script that fails (or
// its module preload) leaves the game unable to start, and the browser says nothing of it on
// the page. Run as a deferred script ahead of the others, so that it listens before any of
// their failures is reported.
'use strict';

// Why the file at `url` did not load, asked of the server again (a failed load's error event
// says nothing of it). The file is named as the site names it.
async function tavroLoadFailure(url) {
  const file = new URL(url, location.href).href
    .replace(new URL('.', location.href).href, '')
    .replace(/\?.*/, '');
  try {
    const response = await fetch(url, { cache: 'no-store' });
    if (!response.ok) {
      const reason = `HTTP ${response.status} ${response.statusText}`.trimEnd();
      return `${file} could not be loaded: ${reason}`;
    }
    return `${file} was loaded but did not run`;
  } catch {
    return `${file} could not be loaded: no answer from the network`;
  }
}

window.addEventListener(
  'error',
  async (event) => {
    const element = event.target;
    const script = element instanceof HTMLScriptElement && element.src;
    if (!script && !(element instanceof HTMLLinkElement && element.rel === 'modulepreload')) {
      return;
    }
    const reason = await tavroLoadFailure(element.src || element.href);
    const status = document.getElementById('status');
    if (status.textContent === '') {
      status.textContent = `${window.tavroWorker?.game ?? 'The game'} could not start: ${reason}.`;
    }
  },
  true
);
