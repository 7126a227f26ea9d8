// A class on a real perne-class process, in Chromium, Firefox and WebKit, written once: the
// teacher opens a session, two students join by its address, one run ends by time and one
// by Stop, and the projector shows both with the counts the students' windows show.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { inEveryEngine, waitFor, withEnginePage } from './engines/index.mjs';
import { runFor, studentState } from './engines/student-page.mjs';
import { startClassServer } from './classserver.mjs';
import { tenOClock } from './student.mjs';

let server;
before(async () => { server = await startClassServer(); });
after(async () => { await server?.close(); });

// The default answers (Momotaro (4, 4), the dog (6, 4)), Start, then the run to its end or
// stopped after `stopAfter` ms; the count the window shows.
async function run(page, mode, stopAfter = null) {
  await page.click(`#Form1 [data-name="${mode}"]`);
  for (let i = 0; i < 4; ++i) await page.press('Enter');
  await page.click('#Form1 [data-name="Command5"]');
  await runFor(page, stopAfter ?? 180_200);
  if (stopAfter !== null) await page.click('#Form1 [data-name="Command4"]');
  return Number(/(\d+)$/.exec((await studentState(page)).labels.Label3)[1]);
}

// One page goes from the teacher's page to each student's and back (WebKit's driver holds one
// session at a time): the students are two devices because the second forgets the first's id,
// and the teacher's page, opened again, finds its session in its storage.
inEveryEngine((browser, engine) => {
  test('a class: two students\' runs, by time and by Stop, reach the projector', async () => {
    await withEnginePage(browser(), `${engine} class`, { width: 1280, height: 800 }, async (page) => {
      await page.goto(server.url('perne-stats.html'));
      await waitFor(page, () => !document.getElementById('session').hidden);
      await page.click('[data-view-button="class"]');
      await page.click('#session-start');
      const code = await waitFor(page, () => document.getElementById('session-code').textContent);
      assert.match(code, /^[23456789ABCDEFGHJKMNPQRSTUVWXYZ]{6}$/);
      assert.equal(await page.evaluate(() => document.getElementById('session-url').textContent), server.url(`perne.html?class=${code}`));
      await waitFor(page, () => document.querySelector('#session-qr img')?.naturalWidth > 0);
      assert.deepEqual(await page.evaluate(() => window.__perneTest.errors), []);

      const counts = [];
      for (const [mode, stopAfter] of [['Command2', null], ['Command3', 25_000]]) {
        await page.evaluate(() => localStorage.removeItem('perne.class.device'));
        await page.goto(server.url(`perne.html?class=${code}&clock=${tenOClock.getTime()}`));
        await waitFor(page, () => document.body.dataset.ready === 'true' &&
          document.querySelector('#classroom .points')?.textContent.includes('(6, 4)'));
        counts.push(await run(page, mode, stopAfter));
        await waitFor(page, () => document.getElementById('classSending').textContent === '送信しました');
        assert.deepEqual((await studentState(page)).errors, []);
      }

      await page.goto(server.url('perne-stats.html'));
      await waitFor(page, () => document.getElementById('session-code').textContent !== '');
      assert.equal(await page.evaluate(() => document.getElementById('session-code').textContent), code);
      await page.click('[data-view-button="class"]');
      await waitFor(page, () => document.getElementById('session-devices').textContent === '参加 2 台・送信 2 台');
      if (await page.evaluate(() => document.getElementById('class-panel').classList.contains('results-hidden')))
        await page.click('#session-hide');
      await waitFor(page, () => !document.getElementById('class-panel').classList.contains('results-hidden'));
      const shown = await waitFor(page, () => {
        const rows = [...document.querySelectorAll('#class-table tbody tr')]
          .map((tr) => [...tr.cells].slice(1).map((c) => c.textContent));
        return rows[0][0] === '1' && rows;
      });
      assert.deepEqual(shown[0], ['1', '0'], 'one full run of both walkers; the stopped one apart');
      assert.equal(shown[1][0], counts[0].toFixed(2));
      assert.equal(await page.evaluate(() => document.getElementById('class-short').textContent),
                   'この出発点の 180 秒より短い実験: ２人 0 回・１人 1 回（平均には入れていません）');
      assert.deepEqual(await page.evaluate(() => window.__perneTest.errors), []);
    });
  });
});
