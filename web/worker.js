// The Web Worker that runs one game: `worker.js?game=tavro` or `?game=tavro-2dgame`. It loads
// the game's Emscripten module (tavro.js and tavro.wasm, or tavro-2dgame.js and .wasm), gives
// it the page's terminal as its standard input and output, and calls its main.
//
// To the page: {type: 'output', text} for what the program prints, decoded from UTF-8 as a
// stream so that a character split between two writes arrives whole; {type: 'linemode', on}
// when the program switches the page's line mode; {type: 'keywait', on} while it waits for any
// one key (a tap may answer that); {type: 'exit', status} when it has ended; {type: 'failed',
// text} when the game could not be loaded, saying which file and why.
// From the page: {type: 'start'} once it listens, and {type: 'input', bytes}, queued here until
// the program reads them. The page may create the worker before it can listen (the game loads
// while xterm.js does): until 'start', the game is loaded but not run, and nothing is posted.
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

// Resolved by the page's 'start'.
let listening;
const pageListens = new Promise((resolve) => {
  listening = resolve;
});

self.onmessage = ({ data: message }) => {
  if (message.type === 'start') {
    listening();
    return;
  }
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

// A file of the game, fetched: the response, or an error that says which file failed and how.
async function load(file) {
  let response;
  try {
    response = await fetch(file, { credentials: 'same-origin' });
  } catch {
    throw new LoadError(`${file} could not be loaded: no answer from the network`);
  }
  if (!response.ok) {
    const reason = `HTTP ${response.status} ${response.statusText}`.trimEnd();
    throw new LoadError(`${file} could not be loaded: ${reason}`);
  }
  return response;
}

class LoadError extends Error {}

// Compiles the game's .wasm from `response` for Emscripten's instantiateWasm, streamed when the
// server labels it as WebAssembly.
async function instantiate(response, imports) {
  const wasm = response.headers.get('Content-Type')?.startsWith('application/wasm');
  const { instance } = wasm
    ? await WebAssembly.instantiateStreaming(response, imports)
    : await WebAssembly.instantiate(await response.arrayBuffer(), imports);
  return instance;
}

async function run() {
  // Both files are asked for at once; the script is run from its fetched text, so that a
  // failure is known with its status rather than as importScripts' bare network error.
  const wasmResponse = load(`${game}.wasm`);
  wasmResponse.catch(() => {}); // reported when awaited below
  const script = await (await load(`${game}.js`)).blob();
  const scriptUrl = URL.createObjectURL(script);
  try {
    importScripts(scriptUrl);
  } finally {
    URL.revokeObjectURL(scriptUrl);
  }
  let failWasm;
  const wasmFailed = new Promise((resolve, reject) => {
    failWasm = reject;
  });
  const module = await Promise.race([
    self[factories[game]]({
      writeOutput,
      setLineMode,
      setKeyWait,
      waitInput,
      readInput,
      sleep,
      instantiateWasm(imports, receiveInstance) {
        wasmResponse
          .then((response) => instantiate(response, imports))
          .then((instance) => receiveInstance(instance), failWasm);
        return {};
      },
    }),
    wasmFailed,
  ]);
  await pageListens;
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

run().catch(async (error) => {
  await pageListens;
  if (error instanceof LoadError) {
    self.postMessage({ type: 'failed', text: error.message });
    return;
  }
  if (error instanceof WebAssembly.CompileError || error instanceof WebAssembly.LinkError) {
    const text = `${game}.wasm is not this game's module: ${error.message}`;
    self.postMessage({ type: 'failed', text });
    return;
  }
  // Anything else that goes wrong is the worker's error, which the page is told of.
  setTimeout(() => {
    throw error;
  });
});
