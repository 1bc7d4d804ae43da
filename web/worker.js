// The Web Worker that runs one game: `worker.js?game=tavro` or `?game=tavro-2dgame`. It loads
// the game's Emscripten module (tavro.js and tavro.wasm, or tavro-2dgame.js and .wasm), gives
// it the page's terminal as its standard input and output, and calls its main.
//
// To the page: {type: 'output', text} for what the program prints, decoded from UTF-8 as a
// stream so that a character split between two writes arrives whole; {type: 'linemode', on}
// when the program switches the page's line mode; {type: 'keywait', on} while it waits for any
// one key (a tap may answer that); {type: 'exit', status} when it has ended.
// From the page: {type: 'input', bytes}, queued here until the program reads them.
//
// The program's host (tavro/console_web.cpp, tavro-2dgame/runtime_web.cpp) reaches the
// functions below through its module object: writeOutput, setLineMode, setKeyWait, waitInput,
// readInput and sleep. An awaited one suspends the program (Asyncify) and leaves the worker idle.
'use strict';

const factories = { tavro: 'createTavro', 'tavro-2dgame': 'createTavro2dgame' };

const game = new URL(self.location.href).searchParams.get('game');
if (!Object.hasOwn(factories, game)) {
  throw new Error(`worker.js: no game "${game}"; ?game= takes tavro or tavro-2dgame`);
}

// Typed bytes not yet read, in the order they came.
const queue = [];
let queued = 0;
// Settles the pending waitInput, if one is waiting.
let wake = null;

self.onmessage = ({ data: message }) => {
  if (message.type !== 'input' || message.bytes.length === 0) {
    return;
  }
  queue.push(message.bytes);
  queued += message.bytes.length;
  if (wake) {
    wake(true);
  }
};

// Resolves true once typed bytes are queued; false when `timeoutMs` passes first (a negative
// time waits without limit).
function waitInput(timeoutMs) {
  if (queued > 0) {
    return Promise.resolve(true);
  }
  return new Promise((resolve) => {
    let timer = null;
    wake = (ready) => {
      wake = null;
      clearTimeout(timer);
      resolve(ready);
    };
    if (timeoutMs >= 0) {
      timer = setTimeout(() => wake(false), timeoutMs);
    }
  });
}

// Takes at most `max` queued bytes.
function readInput(max) {
  const bytes = new Uint8Array(Math.min(max, queued));
  let filled = 0;
  while (filled < bytes.length) {
    const chunk = queue[0];
    const taken = Math.min(chunk.length, bytes.length - filled);
    bytes.set(chunk.subarray(0, taken), filled);
    filled += taken;
    if (taken === chunk.length) {
      queue.shift();
    } else {
      queue[0] = chunk.subarray(taken);
    }
  }
  queued -= filled;
  return bytes;
}

function sleep(milliseconds) {
  return new Promise((resolve) => setTimeout(resolve, milliseconds));
}

const decoder = new TextDecoder('utf-8');

function postText(text) {
  if (text.length > 0) {
    self.postMessage({ type: 'output', text });
  }
}

// Posted at once: what the program writes before a long computation is on the page during it.
function writeOutput(bytes) {
  postText(decoder.decode(bytes, { stream: true }));
}

function setLineMode(on) {
  self.postMessage({ type: 'linemode', on });
}

function setKeyWait(on) {
  self.postMessage({ type: 'keywait', on });
}

async function run() {
  importScripts(`${game}.js`);
  const module = await self[factories[game]]({
    writeOutput,
    setLineMode,
    setKeyWait,
    waitInput,
    readInput,
    sleep,
  });
  let status;
  try {
    // Settles when main returns; a call of exit() rejects it with Emscripten's ExitStatus.
    status = await module.ccall('main', 'number', ['number', 'number'], [0, 0], { async: true });
  } catch (error) {
    if (error?.name !== 'ExitStatus') {
      throw error;
    }
    status = error.status;
  }
  postText(decoder.decode());
  self.postMessage({ type: 'exit', status });
}

// Anything else that goes wrong is the worker's error, which the page is told of.
run().catch((error) => {
  setTimeout(() => {
    throw error;
  });
});
