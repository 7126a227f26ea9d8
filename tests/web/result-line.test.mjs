// The line a student hands on after a run: shown only once a run has ended, copied as the
// engine's tab-separated fields, a stopped run's whole seconds, by keyboard and touch, and
// shown selected where the clipboard is refused. The window itself does not change.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { join } from 'node:path';
import { buildDir, launch, withPage } from './browser.mjs';
import { control, focused, labels, open } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function setUp(page, mode, answers) {
  await control(page, mode).click();
  for (const a of answers) {
    await page.fill('#inputAnswer', a);
    await page.keyboard.press('Enter');
  }
}

const copyShown = (page) => page.evaluate(() => !document.getElementById('result').hidden);
const clipboard = (page) => page.evaluate(() => navigator.clipboard.readText());
const count = (text) => Number(/＝ (\d+)/.exec(text)[1]);

// The window's pixels, with the control hidden away, to compare before and after.
async function windowShot(page) {
  const box = await page.locator('#Form1').boundingBox();
  return page.screenshot({ clip: box, animations: 'disabled' });
}

test('a whole run and a stopped run give their lines; nothing while a run goes on', async () => {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await withPage(context, 'result line', async (page) => {
    const errors = await open(page, { clock: true });
    assert.equal(await copyShown(page), false, 'no run yet');
    await setUp(page, 'Command2', ['4', '4', '6', '4']);
    await control(page, 'Command5').click();
    await page.clock.runFor(90_000);
    assert.equal(await copyShown(page), false, 'running');
    await page.clock.runFor(90_200); // the 901st ticks: the run ends by itself
    assert.equal((await labels(page)).Label4, ' 180 / 180 秒');
    assert.equal(await copyShown(page), true);
    await page.click('#copyResult');
    const line = await clipboard(page);
    assert.equal(line, `２人が動くとき\t4\t4\t6\t4\t${count((await labels(page)).Label3)}\t180`);
    assert.equal(await page.textContent('#resultNote'), 'コピーしました');
    assert.equal(await page.evaluate(() => document.getElementById('resultLine').hidden), true);

    // The window under it is as it was: the control lies beside it, not on it.
    const box = await page.locator('#result').boundingBox();
    const win = await page.locator('#Form1').boundingBox();
    assert.ok(box.y >= win.y + win.height || box.x >= win.x + win.width, `off the window: ${JSON.stringify([box, win])}`);
    await page.screenshot({ path: join(buildDir, 'result-line.png') });
    const withControl = await windowShot(page);
    await page.evaluate(() => { document.getElementById('result').style.display = 'none'; });
    assert.ok(withControl.equals(await windowShot(page)), 'the window looks the same without it');
    await page.evaluate(() => { document.getElementById('result').style.display = ''; });

    // A new setup puts the old line away; a stopped one-walker run counts its seconds.
    await setUp(page, 'Command3', ['０', '10', '3', ' 7']);
    assert.equal(await copyShown(page), false, 'a new run is set up');
    await control(page, 'Command5').click();
    await page.clock.runFor(12_900);
    await control(page, 'Command4').click();
    const shown = await labels(page);
    assert.equal(shown.Label4, ' 12 / 180 秒');
    await page.click('#copyResult');
    assert.equal(await clipboard(page), `１人が動くとき\t0\t10\t3\t7\t${count(shown.Label3)}\t12`);

    // The problem window and back: shown only beside the simulation window.
    await control(page, 'Command6').click();
    assert.equal(await copyShown(page), false);
    await control(page, 'Command2').click(); // シミュレーション on the problem window
    assert.equal(await copyShown(page), true);
    // A setup cancelled halfway keeps the last run's line (its points, not the typed ones).
    await control(page, 'Command2').click();
    assert.equal(await copyShown(page), false, 'hidden under the input box');
    await page.fill('#inputAnswer', '9');
    await page.keyboard.press('Enter');
    await page.click('#inputBox .cancel');
    await page.click('#copyResult');
    assert.match(await clipboard(page), /^１人が動くとき\t0\t10\t3\t7\t/);
    assert.deepEqual(errors, []);

  });
  await context.close();
});

test('refused clipboard: the line is shown selected; keyboard and touch reach the control', async () => {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  await context.addInitScript(() => {
    Object.defineProperty(navigator, 'clipboard', {
      value: { writeText: () => Promise.reject(new DOMException('refused', 'NotAllowedError')) },
    });
    document.execCommand = () => false;
  });
  await withPage(context, 'result refused', async (page) => {
    await open(page, { clock: true });
    await setUp(page, 'Command3', ['2', '3', '5', '8']);
    await control(page, 'Command5').click();
    await page.clock.runFor(3_100);
    await control(page, 'Command4').click();
    await page.tap('#copyResult');
    await page.waitForSelector('#resultLine:not([hidden])');
    const shown = await page.evaluate(() => {
      const line = document.getElementById('resultLine');
      return { value: line.value, focused: document.activeElement === line,
               selected: line.value.slice(line.selectionStart, line.selectionEnd) };
    });
    const expected = `１人が動くとき\t2\t3\t5\t8\t${count((await labels(page)).Label3)}\t3`;
    assert.deepEqual(shown, { value: expected, focused: true, selected: expected });
    assert.equal(await page.textContent('#resultNote'), '長押しして「コピー」を選んでください', 'a touch screen: long-press');
    await page.screenshot({ path: join(buildDir, 'result-line-refused.png') });

    // Tab goes from the window's last button (問題へ) to the control and round to the first
    // stop, the field; from the line shown for copying by hand it goes on as from the control.
    await control(page, 'Command6').focus();
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'copyResult');
    await page.keyboard.press('Tab');
    assert.equal(await focused(page), 'Picture1');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'copyResult');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await focused(page), 'Command6');
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'resultLine');
  });
  await context.close();
});

// Whether the control, its note and the line shown for copying by hand are whole and on the
// screen, and each text on one line.
function wholeOnScreen(page) {
  return page.evaluate(() => {
    const lines = (element) => {
      const range = document.createRange();
      range.selectNodeContents(element);
      return new Set([...range.getClientRects()].filter((r) => r.width > 0).map((r) => Math.round(r.top))).size;
    };
    const out = [];
    for (const id of ['copyResult', 'resultNote', 'resultLine']) {
      const element = document.getElementById(id);
      if (element.hidden || !element.textContent && !element.value) continue;
      const r = element.getBoundingClientRect();
      if (r.left < 0 || r.top < 0 || r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5) out.push(`${id} off the screen`);
      if (id === 'copyResult' && lines(element) !== 1) out.push(`${id} on ${lines(element)} lines`);
      if (id === 'resultLine' && element.scrollWidth > element.clientWidth + 1) out.push(`${id} cut: ${element.scrollWidth} > ${element.clientWidth}`);
      if (id === 'resultNote' && (element.scrollWidth > element.clientWidth + 1 || r.right > document.getElementById('result').getBoundingClientRect().right + 0.5))
        out.push(`${id} cut`);
    }
    return out;
  });
}

// What a refused clipboard's hint says on each kind of device.
const HINTS = {
  touch: '長押しして「コピー」を選んでください',
  mac: '⌘C でコピーしてください',
  other: 'Ctrl+C でコピーしてください',
};

for (const [width, height, device] of [[390, 844, 'touch'], [1180, 820, 'touch'], [1366, 768, 'other'], [1280, 800, 'mac'],
                                        [1920, 1080, 'other']]) {
  test(`at ${width} x ${height} the copy control and its fallback stay whole and on the screen (${device})`, async () => {
    const touch = device === 'touch';
    const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch, isMobile: touch && width < 900 });
    await context.addInitScript((platform) => {
      Object.defineProperty(navigator, 'platform', { value: platform });
      let refuse = false;
      Object.defineProperty(navigator, 'clipboard', {
        value: { writeText: () => (refuse ? Promise.reject(new DOMException('refused', 'NotAllowedError')) : Promise.resolve()) },
      });
      window.refuseClipboard = () => { refuse = true; document.execCommand = () => false; };
    }, device === 'mac' ? 'MacIntel' : 'Linux x86_64');
    await withPage(context, `result fits ${width}`, async (page) => {
      const errors = await open(page, { clock: true });
      await setUp(page, 'Command2', ['10', '0', '0', '10']);
      await control(page, 'Command5').click();
      await page.clock.runFor(65_100);
      await control(page, 'Command4').click();
      assert.deepEqual(await wholeOnScreen(page), [], 'the button');
      await page.click('#copyResult');
      assert.equal(await page.textContent('#resultNote'), 'コピーしました');
      assert.deepEqual(await wholeOnScreen(page), [], 'the button with its note');

      await page.evaluate(() => window.refuseClipboard());
      await page.click('#copyResult');
      await page.waitForSelector('#resultLine:not([hidden])');
      assert.equal(await page.textContent('#resultNote'), HINTS[device]);
      assert.deepEqual(await wholeOnScreen(page), [], 'the line to copy by hand, with its hint');
      // The hint stays as long as the line does, and the line stays selected.
      await page.clock.runFor(5_000);
      assert.equal(await page.textContent('#resultNote'), HINTS[device]);
      const line = await page.evaluate(() => {
        const l = document.getElementById('resultLine');
        return { value: l.value, selected: l.value.slice(l.selectionStart, l.selectionEnd) };
      });
      assert.match(line.value, /^２人が動くとき\t10\t0\t0\t10\t\d+\t65$/);
      assert.equal(line.selected, line.value);
      if (width === 1180) await page.screenshot({ path: join(buildDir, 'result-line-1180.png') });
      assert.deepEqual(errors, []);
    });
    await context.close();
  });
}
