// axe-core on both pages in every engine, in each state a student or a teacher meets: no
// serious or critical violation, except the contrast of the design's own red texts (the
// meeting count and the problem window's headings), which stay as designed.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { seriousViolations as serious } from './engines/axe.mjs';
import { inEveryEngine, waitFor, withEnginePage } from './engines/index.mjs';
import { fileUrl } from './engines/pages.mjs';
import { openStudent, runFor } from './engines/student-page.mjs';

inEveryEngine((browser, engine) => {
  test('the student\'s page in every state', async () => {
    await withEnginePage(browser(), `${engine} axe student`, { width: 1366, height: 768 }, async (page) => {
      await openStudent(page);
      const found = await serious(page, 'opened');
      await page.click('#Form1 [data-name="Command2"]');
      found.push(...await serious(page, 'input box'));
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      await page.click('#Form1 [data-name="Command5"]');
      await runFor(page, 30_000);
      found.push(...await serious(page, 'running'));
      await page.click('#Form1 [data-name="Command1"]');
      found.push(...await serious(page, 'quit question'));
      await page.click('#messageBox .no');
      await page.click('#Form1 [data-name="Command4"]');
      await page.click('#Form1 [data-name="Command6"]');
      found.push(...await serious(page, 'problem window'));
      await page.click('#Form2 [data-name="Command1"]');
      await page.press('Enter');
      found.push(...await serious(page, 'ended'));
      assert.deepEqual(found, []);
    });
  });

  test('the teacher\'s page in every state', async () => {
    await withEnginePage(browser(), `${engine} axe teacher`, { width: 1366, height: 768 }, async (page) => {
      await page.goto(fileUrl('perne-stats.html'));
      await waitFor(page, () => !!document.querySelector('#exact-table[data-key="4,4,6,4"]:not(.pending)'));
      const found = await serious(page, 'opened');
      await page.click('#dog-x');
      await page.evaluate(() => document.getElementById('dog-x').select());
      await page.type('11');
      await waitFor(page, () => document.getElementById('dog-message').textContent !== '');
      found.push(...await serious(page, 'refused point'));
      await page.evaluate(() => document.getElementById('dog-x').select());
      await page.type('6');
      await page.click('#start');
      await waitFor(page, () => !document.getElementById('start').disabled, [], 120_000);
      found.push(...await serious(page, 'batch done'));
      assert.deepEqual(found, []);
      // The bar and every header cell have names.
      const names = await page.evaluate(() => [document.getElementById('progress').getAttribute('aria-label'),
        ...[...document.querySelectorAll('#exact-table th')].map((th) => th.textContent.trim() !== '')]);
      assert.deepEqual(names, ['進み具合', ...names.slice(1).map(() => true)]);
    });
  });
});
