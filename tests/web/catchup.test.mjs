// A run is a schedule, not a stream of timer callbacks: a tab held back, hidden or asleep
// walks every step when it gets control again, and the periods come by the page's steady clock
// (performance.now()), not by the device's clock. Playwright's clock.fastForward fires each
// due timer at most once, as a throttled tab or a closed lid does; clock.setSystemTime sets
// the device's clock alone, as a hand on the settings or a network time correction does.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, withPage } from './browser.mjs';
import { control, enabledButtons, labels, open, spriteBox, ticks } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// The same generator seed on every page, so two pages walk the same run; and every cue
// started, counted.
function sameSeedAndCountedCues() {
  crypto.getRandomValues = (array) => {
    for (let i = 0; i < array.length; ++i) array[i] = (i * 37 + 11) & 0xff;
    return array;
  };
  window.cuesStarted = 0;
  window.cuesDecoded = 0;
  const decode = AudioContext.prototype.decodeAudioData;
  AudioContext.prototype.decodeAudioData = function (data, ok, fail) {
    return decode.call(this, data, (buffer) => { ++window.cuesDecoded; ok(buffer); }, fail);
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    ++window.cuesStarted;
    return start.apply(this, args);
  };
}

async function startRun(page) {
  await open(page, { clock: true });
  await page.waitForFunction(() => window.cuesDecoded === 3);
  await control(page, 'Command2').click();
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
  await control(page, 'Command5').click();
}

async function field(page) {
  return {
    labels: await labels(page),
    dog: await spriteBox(page, 'Picture2'),
    momotaro: await spriteBox(page, 'Picture3'),
    ticks: await ticks(page),
  };
}

const cuesStarted = (page) => page.evaluate(() => window.cuesStarted);

// A hidden tab: time goes by on both clocks while the browser holds the page's timers back.
// Playwright moves the steady clock only as it fires the timers, so here it is moved on by hand.
async function hiddenFor(page, ms) {
  await page.evaluate((ms) => {
    if (window.heldBack === undefined) {
      const steady = performance.now.bind(performance);
      window.heldBack = 0;
      performance.now = () => steady() + window.heldBack;
    }
    window.heldBack += ms;
  }, ms);
  await page.clock.setSystemTime(await page.evaluate(() => Date.now()) + ms);
}

test('a minute in one late callback, then past the end: the same walk, ended at 180 s', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(sameSeedAndCountedCues);
  await withPage(context, 'catch-up reference', async (reference) => {
    await withPage(context, 'catch-up', async (page) => {
      await startRun(reference);
      await reference.clock.runFor(65_000);
      const at65 = await field(reference);
      await reference.clock.runFor(200_000);
      const end = await field(reference);
      assert.deepEqual(end.ticks, { Timer1: 901, Timer2: 901 });
      assert.equal(end.labels.Label4, ' 180 / 180 秒');

      await startRun(page);
      await page.clock.runFor(5_000);
      assert.deepEqual(await ticks(page), { Timer1: 25, Timer2: 25 });
      let cues = await cuesStarted(page);
      await page.clock.fastForward(60_000);
      assert.deepEqual(await field(page), at65, 'all of the minute walked, shown once');
      assert.ok(await cuesStarted(page) <= cues + 1, 'one meeting cue at most');
      assert.deepEqual(await enabledButtons(page), ['Command1', 'Command4']);
      await page.clock.runFor(1_000);
      assert.deepEqual(await ticks(page), { Timer1: 330, Timer2: 330 }, 'on its beat again');

      cues = await cuesStarted(page);
      await page.clock.fastForward(200_000);
      assert.deepEqual(await field(page), end);
      assert.ok(await cuesStarted(page) <= cues + 1, 'one meeting cue at most');
      assert.equal(await page.textContent('#announcer'), `実験が終わりました　${end.labels.Label3}`,
        'the end said with the count it ended with');
      assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3']);
      await page.clock.runFor(10_000);
      assert.deepEqual(await field(page), end);
    });
  });
  await context.close();
});

test('a tab shown again catches up before any timer fires; Stop then stops it there', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(sameSeedAndCountedCues);
  await withPage(context, 'shown again', async (page) => {
    await startRun(page);
    await page.clock.runFor(5_000);
    await hiddenFor(page, 30_000);
    assert.deepEqual(await ticks(page), { Timer1: 25, Timer2: 25 }, 'no timer has fired');
    await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
    assert.deepEqual(await ticks(page), { Timer1: 175, Timer2: 175 });
    assert.equal((await labels(page)).Label4, ' 35 / 180 秒');

    // Stop clicked before any timer fires: the ticks due by the click are walked first.
    await hiddenFor(page, 10_000);
    await control(page, 'Command4').click();
    const stopped = await field(page);
    assert.deepEqual(stopped.ticks, { Timer1: 225, Timer2: 225 });
    assert.equal(stopped.labels.Label4, ' 45 / 180 秒');
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);
    await page.clock.fastForward(60_000);
    await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
    assert.deepEqual(await field(page), stopped);
  });
  await context.close();
});

// The issue's own steps: started at 10:00:00, the device's clock set back at 30 s to 09:59:30
// (before the start), then to 10:00:20 (after the start, behind the run), then forward by an
// hour, which is also what a device whose steady clock stands still in its sleep sees on
// waking from an hour with its lid closed. Each time the run goes on from where it stood, one
// step per 200 ms, and it ends at 180 s with the walk of the run nobody touched.
test('the clock set back before the start or after it, or forward an hour, neither ends nor holds the run', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(sameSeedAndCountedCues);
  await withPage(context, 'clock set reference', async (reference) => {
    await withPage(context, 'clock set', async (page) => {
      await startRun(reference);
      await reference.clock.runFor(200_000);
      const end = await field(reference);
      assert.deepEqual(end.ticks, { Timer1: 901, Timer2: 901 });

      await startRun(page);
      const start = await page.evaluate(() => Date.now());
      const at = async (seconds, Timer) => {
        assert.deepEqual(await ticks(page), { Timer1: Timer, Timer2: Timer });
        assert.equal((await labels(page)).Label4, ` ${seconds} / 180 秒`);
        assert.deepEqual(await enabledButtons(page), ['Command1', 'Command4'], 'still running');
      };
      await page.clock.runFor(30_000);
      await at(30, 150);

      await page.clock.setSystemTime(start - 30_000);
      await page.clock.runFor(20_000);
      await at(50, 250);

      await page.clock.setSystemTime(start + 20_000);
      await page.clock.runFor(10_000);
      await at(60, 300);

      await page.clock.setSystemTime(await page.evaluate(() => Date.now()) + 3_600_000);
      await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
      await at(60, 300);
      await page.clock.runFor(10_000);
      await at(70, 350);

      await page.clock.runFor(120_000);
      assert.deepEqual(await field(page), end);
      assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3']);
    });
  });
  await context.close();
});
