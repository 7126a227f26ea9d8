// The pages as the engine tests open them: copies with the in-page hook (hook.js) put
// first into their head, from files or from a plain local web server on 127.0.0.1.
import { readFileSync, mkdirSync, writeFileSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { dirname, extname, join, normalize } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { buildDir } from '../browser.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const hook = readFileSync(join(here, 'hook.js'), 'utf8');
const copies = join(buildDir, 'test-pages');

export function hooked(name) {
  const page = readFileSync(join(buildDir, name), 'utf8');
  const at = page.indexOf('<meta charset="utf-8">') + '<meta charset="utf-8">'.length;
  if (at < '<meta charset="utf-8">'.length) throw new Error(`${name}: no <meta charset>`);
  return `${page.slice(0, at)}\n<script>${hook}</script>${page.slice(at)}`;
}

// The file:// address of a page's test copy, with an optional query (?clock=…).
export function fileUrl(name, query = '') {
  mkdirSync(copies, { recursive: true });
  const path = join(copies, name);
  writeFileSync(path, hooked(name));
  return pathToFileURL(path).href + query;
}

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// The build folder over http, the pages replaced by their test copies. Resolves to
// { url(name), close() }.
export async function serve() {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).slice(1);
    try {
      const body = path.endsWith('.html') ? hooked(path) : await readFile(join(buildDir, path));
      response.writeHead(200, { 'content-type': types[extname(path)] ?? 'application/octet-stream',
                                'cache-control': 'no-cache' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}/`;
  return {
    url: (name) => base + name,
    close: () => {
      server.closeAllConnections();
      return new Promise((resolve) => server.close(resolve));
    },
  };
}
