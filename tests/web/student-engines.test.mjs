// The student's page in Chromium, Firefox and WebKit, each flow written once: a whole run by
// keyboard with what a screen reader hears, the problem window and back, Quit, a cue that
// cannot be decoded, and captions that stay sharp while the walkers move.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { test } from 'node:test';
import { inEveryEngine, waitFor, withEnginePage } from './engines/index.mjs';
import { listen, openStudent, runFor, said, studentState } from './engines/student-page.mjs';

const setUpLabels = {
  Label1: '犬: x= 6  y= 4', Label2: '桃太郎: x= 4  y= 4', Label3: 'ペルネ回数＝ 0', Label4: '',
};

inEveryEngine((browser, engine) => {
  test('a whole run by keyboard: the focus where the student works, each meeting said once', async () => {
    await withEnginePage(browser(), `${engine} keyboard run`, { width: 1366, height: 768 }, async (page) => {
      await openStudent(page);
      let state = await studentState(page);
      assert.equal(state.focus, 'Form1 Picture1', 'the focus starts on the field');
      await page.press('Tab');
      assert.equal((await studentState(page)).focus, 'Form1 Command1');
      await page.press('Tab');
      await page.press('Enter');

      state = await studentState(page);
      assert.deepEqual([state.box, state.focus], [{ id: 'inputBox', title: '桃太郎の初期位置の設定', value: '4' }, 'inputBox answer']);
      // The answer's text is 16 CSS pixels (no zoom on focus in iPad Safari), drawn at the
      // design's 9 points in a 340 x 22 field.
      const answer = await page.evaluate(() => {
        const a = document.querySelector('#inputBox .answer');
        const client = document.querySelector('#Form1 .client');
        const scale = client.getBoundingClientRect().width / client.offsetWidth;
        const r = a.getBoundingClientRect();
        return { font: getComputedStyle(a).fontSize, width: Math.round(r.width / scale), height: Math.round(r.height / scale) };
      });
      assert.deepEqual(answer, { font: '16px', width: 340, height: 22 });
      // Tab and Shift+Tab stay in the open box.
      const inBox = [];
      for (const key of ['Tab', 'Tab', 'Tab', 'Shift+Tab', 'Shift+Tab', 'Tab']) {
        await page.press(key);
        inBox.push((await studentState(page)).focus);
      }
      assert.deepEqual(inBox, ['inputBox ok', 'inputBox cancel', 'inputBox answer', 'inputBox cancel',
                               'inputBox ok', 'inputBox cancel']);
      await page.press('Shift+Tab');
      await page.press('Shift+Tab');
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      state = await studentState(page);
      assert.deepEqual([state.box, state.labels, state.enabled, state.focus],
                       [null, setUpLabels, ['Command1', 'Command5'], 'Form1 Command5']);
      assert.equal(state.said, '', 'setting up is not announced');

      await listen(page);
      await page.press('Enter');
      assert.equal((await studentState(page)).focus, 'Form1 Command4');
      await runFor(page, 179_999);
      state = await studentState(page);
      assert.deepEqual([state.ticks, state.enabled], [{ Timer1: 899, Timer2: 899 }, ['Command1', 'Command4']]);
      await runFor(page, 1_000);
      state = await studentState(page);
      assert.deepEqual(state.ticks, { Timer1: 901, Timer2: 901 });
      assert.equal(state.labels.Label4, ' 180 / 180 秒');
      // The run ended by itself: ten seconds on, nothing moves.
      await runFor(page, 10_000);
      assert.deepEqual(await studentState(page), state);
      const meetings = Number(state.labels.Label3.match(/^ペルネ回数＝ (\d+)$/)[1]);
      assert.ok(meetings > 0, 'this start meets within 180 seconds');
      const counts = Array.from({ length: meetings }, (_, i) => `ペルネ回数＝ ${i + 1}`);
      assert.deepEqual(await said(page), [...counts, `実験が終わりました　ペルネ回数＝ ${meetings}`]);
      assert.deepEqual(state.enabled, ['Command1', 'Command2', 'Command3']);
      assert.deepEqual(state.errors, []);
    });
  });

  test('the problem window takes the focus, and coming back gives it to 問題へ again', async () => {
    await withEnginePage(browser(), `${engine} problem window`, { width: 1180, height: 820 }, async (page) => {
      await openStudent(page);
      await page.click('#Form1 [data-name="Command3"]');
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      await page.click('#Form1 [data-name="Command5"]');
      await runFor(page, 10_000);
      await listen(page);
      await page.click('#Form1 [data-name="Command4"]');
      const stopped = await studentState(page);
      assert.equal(stopped.labels.Label4, ' 10 / 180 秒');
      await waitFor(page, () => window.__said.length > 0);
      assert.deepEqual(await said(page), [`実験が終わりました　${stopped.labels.Label3}`], 'Stop ends the run');

      // From the field, Shift+Tab goes round to the last stop: after a run, the control that
      // copies its result, and before it 問題へ.
      await page.evaluate(() => document.querySelector('#Form1 .field').focus());
      await page.press('Shift+Tab');
      assert.equal((await studentState(page)).focus, ' copyResult');
      await page.press('Shift+Tab');
      assert.equal((await studentState(page)).focus, 'Form1 Command6');
      await page.press('Enter');
      let state = await studentState(page);
      assert.deepEqual([state.window, state.focus], ['Form2', 'Form2 Picture1']);
      const printed = await page.evaluate(() => [...document.querySelectorAll('#Form2 .printbox > div')].length);
      assert.equal(printed, 17 + 5);
      const order = [];
      for (let i = 0; i < 4; ++i) {
        await page.press('Tab');
        order.push((await studentState(page)).focus);
      }
      assert.deepEqual(order, ['Form2 Command1', 'Form2 Command2', 'Form2 Picture2', 'Form2 Picture1']);
      await page.press('Shift+Tab');
      await page.press('Shift+Tab');
      await page.press('Enter');
      state = await studentState(page);
      assert.deepEqual([state.window, state.focus, state.labels], ['Form1', 'Form1 Command6', stopped.labels]);
      assert.deepEqual(state.errors, []);
    });
  });

  test('Quit asks first: No goes back to the run, Yes ends it and the page can start again', async () => {
    await withEnginePage(browser(), `${engine} quit`, { width: 1366, height: 768 }, async (page) => {
      await openStudent(page);
      await page.click('#Form1 [data-name="Command2"]');
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      await page.click('#Form1 [data-name="Command5"]');
      await runFor(page, 1_000);
      await page.evaluate(() => document.querySelector('#Form1 [data-name="Command1"]').focus());
      await page.press('Enter');
      let state = await studentState(page);
      assert.deepEqual([state.box, state.focus], [{ id: 'messageBox', title: 'ペルネ実験', value: null }, 'messageBox yes']);
      assert.equal(await page.evaluate(() => document.querySelector('#messageBox .message').textContent), '終了していいですか？');
      await page.press('Tab');
      await page.press('Tab');
      assert.equal((await studentState(page)).focus, 'messageBox yes', 'the focus stays in the question');
      await runFor(page, 1_000);
      assert.deepEqual((await studentState(page)).ticks, { Timer1: 10, Timer2: 10 }, 'the run goes on behind it');
      await page.click('#messageBox .no');
      state = await studentState(page);
      assert.deepEqual([state.box, state.enabled], [null, ['Command1', 'Command4']]);
      assert.equal(state.focus, 'Form1 Command1', 'the focus goes back where it was');
      await runFor(page, 1_000);
      assert.equal((await studentState(page)).labels.Label4, ' 3 / 180 秒', 'No leaves the run going');

      // The title bar's close button asks the same; Enter answers Yes.
      await page.click('#Form1 .close');
      assert.deepEqual((await studentState(page)).box, { id: 'messageBox', title: 'ペルネ実験', value: null });
      await page.press('Enter');
      state = await studentState(page);
      assert.deepEqual([state.window, state.focus], [null, 'ended again']);
      assert.equal(await page.evaluate(() => document.querySelector('#ended p').textContent), '終了しました');
      await runFor(page, 5_000);
      assert.deepEqual((await studentState(page)).ticks, { Timer1: 15, Timer2: 15 });
      assert.equal(state.said, '', 'quitting says nothing');
      await page.click('#again');
      await waitFor(page, () => document.body.dataset.ready === 'true' && !document.querySelector('#Form1').hidden);
      state = await studentState(page);
      assert.deepEqual([state.window, state.focus, state.errors], ['Form1', 'Form1 Picture1', []]);
      assert.deepEqual(state.labels, { Label1: '', Label2: '', Label3: '', Label4: '' });
    });
  });

  test('a cue that cannot be decoded is silent, and nothing is left unhandled', async () => {
    await withEnginePage(browser(), `${engine} undecodable`, { width: 1366, height: 768 }, async (page) => {
      await openStudent(page, '?undecodable');
      await page.click('#Form1 [data-name="Command6"]');
      await page.click('#Form2 [data-name="Command2"]');
      await page.click('#Form1 [data-name="Command3"]');
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      await page.click('#Form1 [data-name="Command5"]');
      await waitFor(page, () => document.querySelector('#Form1 [data-name="Label4"]').textContent === ' 1 / 180 秒');
      await new Promise((r) => setTimeout(r, 300));
      assert.deepEqual((await studentState(page)).errors, []);
    });
  });
});

// The pixels of a rectangle of a PNG, as raw RGBA, through ImageMagick.
function crop(png, { x, y, width, height }) {
  return execFileSync('convert', ['png:-', '-crop', `${width}x${height}+${x}+${y}`, '+repage', '-depth', '8', 'rgba:-'],
                      { input: png, maxBuffer: 64 << 20 });
}

// Where 終了 is drawn, in screenshot pixels, a pixel inside its frame.
async function quitCaption(page) {
  return page.evaluate(() => {
    const r = document.querySelector('#Form1 [data-name="Command1"]').getBoundingClientRect();
    const d = devicePixelRatio;
    const x = Math.ceil((r.left + 2) * d);
    const y = Math.ceil((r.top + 2) * d);
    return { x, y, width: Math.floor((r.right - 2) * d) - x, height: Math.floor((r.bottom - 2) * d) - y };
  });
}

inEveryEngine((browser, engine) => {
  test('the captions stay sharp once the walkers are shown and move', async () => {
    // A window scale of about 1.6, and in Chromium and Firefox 1.5 device pixels to the pixel.
    await withEnginePage(browser(), `${engine} sharp captions`, { width: 1000, height: 700, scale: 1.5 }, async (page) => {
      await openStudent(page);
      const scale = await page.evaluate(() => {
        const c = document.querySelector('#Form1 .client');
        return (c.getBoundingClientRect().width / c.offsetWidth) * devicePixelRatio;
      });
      assert.ok(Math.abs(scale - Math.round(scale)) > 0.1, `a non-integer scale (${scale})`);
      const rect = await quitCaption(page);
      await new Promise((r) => setTimeout(r, 500));
      const before = crop(await page.screenshot(), rect);

      // By keyboard, away from 終了: its look must not change for focus or hover.
      await page.press('Shift+Tab');
      await page.press('Shift+Tab');
      await page.press('Shift+Tab');
      await page.press('Enter');
      for (let i = 0; i < 4; ++i) await page.press('Enter');
      await page.press('Enter');
      await runFor(page, 3_000);
      const state = await studentState(page);
      assert.deepEqual([state.labels.Label4, state.errors], [' 3 / 180 秒', []]);
      await new Promise((r) => setTimeout(r, 500));
      const after = crop(await page.screenshot(), rect);
      let differing = 0;
      for (let i = 0; i < before.length; i += 4) if (before.compare(after, i, i + 4, i, i + 4) !== 0) ++differing;
      assert.equal(differing, 0, `pixels of 終了 changed: ${differing} of ${before.length / 4}`);
    });
  });
});
