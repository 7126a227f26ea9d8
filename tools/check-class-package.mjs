// Asks a running perne-class for its pages, as a browser in the class would, and compares
// them with the files the package installed. Called by tools/package.sh:
//   node tools/check-class-package.mjs SERVER-OUTPUT PAGES-FOLDER
// SERVER-OUTPUT is where the server writes its first line, with the port it took
// ("perne-class 1.0.0: http://127.0.0.1:PORT/ data ..."). Exits 1 with the reason on a fault.
import { readFileSync } from 'node:fs';
import { request } from 'node:http';
import { join } from 'node:path';

const [outputFile, pagesDir] = process.argv.slice(2);

function fail(message) {
  console.error(`check-class-package: ${message}`);
  process.exit(1);
}

async function serverPort() {
  for (let waited = 0; waited < 20000; waited += 100) {
    const match = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(readFileSync(outputFile, 'utf8'));
    if (match) return Number(match[1]);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  fail(`perne-class did not start:\n${readFileSync(outputFile, 'utf8')}`);
}

// Plain http on loopback: no proxy, whatever the environment says.
function get(port, path) {
  return new Promise((resolve, reject) => {
    const req = request({ host: '127.0.0.1', port, path, agent: false }, (res) => {
      const chunks = [];
      res.on('data', (chunk) => chunks.push(chunk));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    });
    req.on('error', reject);
    req.end();
  });
}

const port = await serverPort();

const root = await get(port, '/');
if (root.status < 300 || root.status > 399 || !/\/perne\.html$/.test(root.headers.location ?? ''))
  fail(`GET / answered ${root.status}, Location ${root.headers.location}: expected a redirect to /perne.html`);

const pages = [
  'perne.html',
  'perne-stats.html',
  'sw.js',
  'perne.webmanifest',
  'perne-stats.webmanifest',
  'icons/perne-192.png',
  'icons/perne-512.png',
];
for (const page of pages) {
  const answer = await get(port, `/${page}`);
  if (answer.status !== 200) fail(`GET /${page} answered ${answer.status}`);
  const csp = answer.headers['content-security-policy'] ?? '';
  if (!csp.includes("default-src 'self'")) fail(`GET /${page}: no Content-Security-Policy (got "${csp}")`);
  if (!answer.body.equals(readFileSync(join(pagesDir, page))))
    fail(`GET /${page}: the answer is not the packaged file`);
}
const html = await get(port, '/perne.html');
if (!/^text\/html/.test(html.headers['content-type'] ?? ''))
  fail(`GET /perne.html: Content-Type ${html.headers['content-type']}`);

const missing = await get(port, '/no-such-page.html');
if (missing.status !== 404) fail(`GET /no-such-page.html answered ${missing.status}`);

console.log(`perne-class on 127.0.0.1:${port} serves the ${pages.length} packaged pages`);
