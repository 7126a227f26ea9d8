// The page asks for nothing once loaded: from a file with every network request failing. (Served
// from a web server and again after the server has gone: offline-engines.test.mjs.)
import assert from 'node:assert/strict';
import { statSync } from 'node:fs';
import { join } from 'node:path';
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
  assert.match((await labels(page)).Label3, /^ペルネ回数＝ \d+$/);
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
