// A static file server for the browser tests and bench/web, as an ordinary web host serves the
// site: files of a folder on 127.0.0.1 only, their types, text compressed with gzip when the
// browser accepts it (each file compressed once, as hosts keep it), an ETag with 304 answers,
// 404 for what is not there.
import { createReadStream } from 'node:fs';
import { readFile, stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, sep } from 'node:path';
import { gzipSync } from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.map': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.txt': 'text/plain; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.woff2': 'font/woff2',
};
const compressed = /^(text\/|application\/(json|manifest\+json)|image\/svg)/;

// Compressed files by path and ETag.
const gzipped = new Map();

async function compressedFile(file, tag) {
  const key = `${file} ${tag}`;
  if (!gzipped.has(key)) {
    gzipped.set(key, gzipSync(await readFile(file)));
  }
  return gzipped.get(key);
}

async function answer(root, request, response) {
  const path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  let file = normalize(join(root, path));
  if (file !== root && !file.startsWith(root + sep)) {
    response.writeHead(403).end();
    return;
  }
  let info = await stat(file).catch(() => null);
  if (info?.isDirectory()) {
    file = join(file, 'index.html');
    info = await stat(file).catch(() => null);
  }
  if (!info?.isFile()) {
    response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    return;
  }
  const tag = `"${info.size}-${info.mtimeMs}"`;
  if (request.headers['if-none-match'] === tag) {
    response.writeHead(304, { ETag: tag }).end();
    return;
  }
  const type = types[extname(file)] ?? 'application/octet-stream';
  const headers = { 'Content-Type': type, ETag: tag };
  const gzip = compressed.test(type) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '');
  const body = gzip ? await compressedFile(file, tag) : null;
  if (gzip) {
    headers['Content-Encoding'] = 'gzip';
    headers.Vary = 'Accept-Encoding';
  }
  headers['Content-Length'] = body?.length ?? info.size;
  response.writeHead(200, headers);
  if (request.method === 'HEAD') {
    response.end();
  } else if (body) {
    response.end(body);
  } else {
    createReadStream(file).pipe(response);
  }
}

// Serves `folder` on a free port of 127.0.0.1: its URL (ending in "/") and a close function.
export async function serveDirectory(folder) {
  const root = normalize(folder);
  const server = createServer((request, response) => {
    answer(root, request, response).catch(() => response.writeHead(500).end());
  });
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => {
      server.closeAllConnections();
      return new Promise((closed) => server.close(closed));
    },
  };
}
