// Makes one self-contained page: every script, style sheet and asset the page names is put
// inside it, so the file opens from a folder, a USB stick or any web server and asks for
// nothing after it has loaded.
//
//   node inline.mjs TEMPLATE OUTPUT DIR...
//
// In TEMPLATE, relative to the first DIR that holds the file:
//   <script src="F"></script>            the script F, inline
//   <link rel="stylesheet" href="F">     the style sheet F, inline
//   inline:F                             a data: URL of F (images, sounds, wasm), anywhere:
//                                        in attributes, style sheets or scripts
// A name that no DIR holds is an error, so a page never ships with a hole in it.

import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { extname, join } from 'node:path';

const [template, output, ...dirs] = process.argv.slice(2);
if (!template || !output || dirs.length === 0) {
  console.error('usage: node inline.mjs TEMPLATE OUTPUT DIR...');
  process.exit(2);
}

const types = {
  '.png': 'image/png',
  '.ico': 'image/x-icon',
  '.svg': 'image/svg+xml',
  '.wav': 'audio/wav',
  '.wasm': 'application/wasm',
  '.js': 'text/javascript',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
};

function find(name) {
  for (const dir of dirs) {
    const path = join(dir, name);
    if (existsSync(path)) return path;
  }
  throw new Error(`inline: no ${name} in ${dirs.join(', ')}`);
}

function dataUrl(name) {
  const type = types[extname(name)] ?? 'application/octet-stream';
  return `data:${type};base64,${readFileSync(find(name)).toString('base64')}`;
}

// Data URLs go in first, so an inlined script or style sheet may name assets too.
function withAssets(text) {
  return text.replace(/inline:([\w./-]+)/g, (_, name) => dataUrl(name));
}

// "</script" inside a script would end it early; "<\/script" means the same to the script.
const safeScript = (code) => code.replace(/<\/script/gi, '<\\/script');

let page = readFileSync(template, 'utf8');
page = page.replace(
  /<script src="([\w./-]+)"><\/script>/g,
  (_, name) => `<script>${safeScript(withAssets(readFileSync(find(name), 'utf8')))}</script>`,
);
page = page.replace(
  /<link rel="stylesheet" href="([\w./-]+)">/g,
  (_, name) => `<style>${withAssets(readFileSync(find(name), 'utf8'))}</style>`,
);
page = withAssets(page);
writeFileSync(output, page);
