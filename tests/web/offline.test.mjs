// The page asks for nothing once loaded: from a file with every network request failing, and
// served from a web server, again after the server has gone (the service worker's copy).
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { statSync } from 'node:fs';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { after, before, test } from 'node:test';
import { buildDir, launch, withPage } from './browser.mjs';
import { control, labels, open, pageUrl } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function setUpAndRun(page) {
  await control(page, 'Command2').click();
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
  await control(page, 'Command5').click();
  await page.waitForFunction(() =>
    document.querySelector('#Form1 [data-name="Label4"]').textContent === ' 1 / 180 秒');
  assert.equal((await labels(page)).Label3, 'ペルネ回数＝ 0');
}

test('from a file, with the network cut, the page works and asks for nothing', async () => {
  // Everything it needs is inside the one file, and the file stays small enough to hand round.
  assert.ok(statSync(join(buildDir, 'perne.html')).size < 600 * 1024);
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  const asked = [];
  // Everything fails but the page itself.
  await context.route('**/*', (route) =>
    (route.request().url() === pageUrl ? route.continue() : route.abort()));
  context.on('request', (request) => asked.push(request.url()));
  await withPage(context, 'file offline', async (page) => {
    const errors = await open(page);
    await setUpAndRun(page);
    await control(page, 'Command4').click();
    await control(page, 'Command6').click();
    assert.equal(await page.locator('#Form2 .printbox > div').count(), 17 + 5);
    assert.deepEqual(asked.filter((url) => url !== pageUrl && !url.startsWith('data:')), []);
    assert.deepEqual(errors, []);
  });
  await context.close();
});

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json' };

// A plain static server over the build folder.
function serve() {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).slice(1);
    try {
      const body = await readFile(join(buildDir, path));
      response.writeHead(200, { 'content-type': types[extname(path)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

test('served over http, the page installs its service worker and works offline after', async () => {
  const server = await serve();
  const url = `http://127.0.0.1:${server.address().port}/perne.html`;
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'served offline', async (page) => {
    await open(page, { url });
    const manifest = await page.evaluate(async () => {
      await navigator.serviceWorker.ready;
      const link = document.querySelector('link[rel=manifest]');
      return (await fetch(link.href)).json();
    });
    assert.equal(manifest.name, 'ペルネ実験');
    assert.deepEqual(manifest.icons.map((i) => i.sizes), ['192x192', '512x512']);
  });

  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  await context.setOffline(true);
  await withPage(context, 'served offline, second visit', async (page) => {
    const errors = await open(page, { url });
    await setUpAndRun(page);
    const icons = await page.evaluate(() => Promise.all(
      ['icons/perne-192.png', 'icons/perne-512.png'].map(async (u) => (await fetch(u)).ok)));
    assert.deepEqual(icons, [true, true]);
    assert.deepEqual(errors, []);
  });
  await context.close();
});
