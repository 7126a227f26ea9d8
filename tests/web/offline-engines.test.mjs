// Served from a plain web server on 127.0.0.1, both pages work again in every engine once
// the server has gone: the service worker keeps them after one visit.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { inEveryEngine, waitFor, withEnginePage } from './engines/index.mjs';
import { serve } from './engines/pages.mjs';
import { studentState, runFor } from './engines/student-page.mjs';
import { tenOClock } from './student.mjs';

inEveryEngine((browser, engine) => {
  test('after one served visit both pages open and work with the server gone', async () => {
    const server = await serve();
    const student = `${server.url('perne.html')}?clock=${tenOClock.getTime()}`;
    const teacher = server.url('perne-stats.html');
    let closed = false;
    try {
      await withEnginePage(browser(), `${engine} offline`, { width: 1366, height: 768 }, async (page) => {
        await page.goto(student);
        await waitFor(page, () => document.body.dataset.ready === 'true');
        // Installed, and every file the worker keeps is in its cache.
        const kept = await waitFor(page, async () => {
          await navigator.serviceWorker.ready;
          const keys = await (await caches.open('perne')).keys();
          return keys.length === 6 && keys.map((k) => new URL(k.url).pathname).sort();
        });
        assert.deepEqual(kept, ['/icons/perne-192.png', '/icons/perne-512.png', '/perne-stats.html',
                                '/perne-stats.webmanifest', '/perne.html', '/perne.webmanifest']);
        const manifest = await page.evaluate(async () => (await fetch(document.querySelector('link[rel=manifest]').href)).json());
        assert.equal(manifest.name, 'ペルネ実験');
        assert.deepEqual(manifest.icons.map((i) => i.sizes), ['192x192', '512x512']);

        await server.close();
        closed = true;
        await page.goto(student);
        await waitFor(page, () => document.body.dataset.ready === 'true');
        await page.click('#Form1 [data-name="Command2"]');
        for (let i = 0; i < 4; ++i) await page.press('Enter');
        await page.click('#Form1 [data-name="Command5"]');
        await runFor(page, 1_000);
        const state = await studentState(page);
        assert.deepEqual([state.labels.Label4, state.errors], [' 1 / 180 秒', []]);
        const icons = await page.evaluate(() => Promise.all(
          ['icons/perne-192.png', 'icons/perne-512.png'].map(async (u) => (await fetch(u)).ok)));
        assert.deepEqual(icons, [true, true]);

        await page.goto(teacher);
        await waitFor(page, () => !!document.querySelector('#exact-table[data-key="4,4,6,4"]:not(.pending)'));
        assert.deepEqual(await page.evaluate(() => window.__perneTest.errors), []);
      });
    } finally {
      if (!closed) await server.close();
    }
  });
});
