// The teacher's page in Chromium, Firefox and WebKit, each flow written once: the exact
// values perne-stats gives for typed and dragged points, and a seeded batch whose CSV holds
// perne-stats' own tables.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { inEveryEngine, waitFor, withEnginePage } from './engines/index.mjs';
import { fileUrl } from './engines/pages.mjs';
import { assertShownAsPerneStats, csvTables, key, perneStats, readExactTable } from './teacher-page.mjs';

async function openTeacher(page) {
  await page.goto(fileUrl('perne-stats.html'));
  await waitFor(page, () => !!document.querySelector('#exact-table[data-key="4,4,6,4"]:not(.pending)'));
}

// Types into a field as a teacher does: click, select what is there, type over it.
async function typeInto(page, selector, text) {
  await page.click(selector);
  await page.evaluate((s) => document.querySelector(s).select(), selector);
  await page.type(text);
}

async function assertExactAsPerneStats(page, m, d) {
  await waitFor(page, (k) => !!document.querySelector(`#exact-table[data-key="${k}"]:not(.pending)`), [key(m, d)]);
  assertShownAsPerneStats(await page.evaluate(readExactTable), m, d);
}

// The centre of a figure, and of a lattice point, in viewport pixels.
const figureCentre = (page, who) => page.evaluate((w) => {
  const r = document.getElementById(`figure-${w}`).getBoundingClientRect();
  return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
}, who);
const latticePoint = (page, p) => page.evaluate((q) => {
  const r = document.getElementById('lattice').getBoundingClientRect();
  return { x: r.left + ((q[0] + 1) / 12) * r.width, y: r.top + ((q[1] + 1) / 12) * r.height };
}, p);

inEveryEngine((browser, engine) => {
  test('typed and dragged points give the values perne-stats gives', async () => {
    await withEnginePage(browser(), `${engine} teacher points`, { width: 1180, height: 820 }, async (page) => {
      await openTeacher(page);
      await assertExactAsPerneStats(page, [4, 4], [6, 4]);
      await typeInto(page, '#momotaro-x', '2');
      await typeInto(page, '#momotaro-y', '9');
      await typeInto(page, '#dog-x', '10');
      await typeInto(page, '#dog-y', '0');
      await assertExactAsPerneStats(page, [2, 9], [10, 0]);

      // The dog dragged with the mouse, across other points, to (1, 1).
      await page.drag(await figureCentre(page, 'dog'), await latticePoint(page, [1, 1]));
      await assertExactAsPerneStats(page, [2, 9], [1, 1]);
      const fields = await page.evaluate(() => ['dog-x', 'dog-y'].map((id) => document.getElementById(id).value));
      assert.deepEqual(fields, ['1', '1']);
      assert.deepEqual(await page.evaluate(() => window.__perneTest.errors), []);
    });
  });

  test('a seeded batch gives perne-stats\' runs, and its CSV holds the same tables', async () => {
    await withEnginePage(browser(), `${engine} teacher batch`, { width: 1366, height: 768 }, async (page) => {
      await openTeacher(page);
      await typeInto(page, '#runs', '1000');
      await typeInto(page, '#seed', '20261206');
      await page.click('#start');
      await waitFor(page, () => !document.getElementById('start').disabled
        && document.getElementById('progress').getAttribute('aria-valuenow') === '100', [], 120_000);
      // The finished batch is said once, politely, with its seed.
      const info = await page.evaluate(() => [document.getElementById('batch-info').getAttribute('role'),
                                              document.getElementById('batch-info').textContent]);
      assert.equal(info[0], 'status');
      assert.match(info[1], /乱数の種 20261206　終わりました$/);
      await page.click('#download-csv');
      const saved = await waitFor(page, () => window.__perneTest.saved.find((s) => s.text !== null));
      assert.match(saved.name, /\.csv$/);
      assert.ok(saved.text.startsWith('\uFEFF'), 'byte-order mark');
      const native = csvTables(perneStats(['--seed', '20261206', '--runs', '1000', '--csv', '-']));
      const [summary, histogram, runs] = csvTables(saved.text);
      assert.deepEqual(histogram, native[1]);
      assert.deepEqual(runs, native[2]);
      assert.deepEqual(summary, native[0]);
      assert.deepEqual(summary.map((row) => row.seed), ['20261206', '20261206']);

      // Each chart as a picture, in every engine.
      for (const chart of ['curve', 'both', 'dog']) await page.click(`[data-download="${chart}"][data-format="png"]`);
      const names = await waitFor(page, () => window.__perneTest.saved.length === 4
        && window.__perneTest.saved.every((s) => s.text !== null) && window.__perneTest.saved.map((s) => s.name));
      assert.deepEqual(names.slice(1).map((n) => n.replace(/_.*\./, '.')), ['ペルネ.png', 'ペルネ.png', 'ペルネ.png']);
      assert.deepEqual(await page.evaluate(() => window.__perneTest.errors), []);
    });
  });
});
