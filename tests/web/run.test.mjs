// Runs on a controlled clock: Stop freezing the field, a reload in the middle of a run. (A
// whole 180-second run, ending by itself: student-engines.test.mjs.)
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, withPage } from './browser.mjs';
import { control, enabledButtons, labels, open, spriteBox, ticks } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function setUpWithDefaults(page, mode = 'Command2') {
  await control(page, mode).click();
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
}

async function field(page) {
  return {
    labels: await labels(page),
    dog: await spriteBox(page, 'Picture2'),
    momotaro: await spriteBox(page, 'Picture3'),
    ticks: await ticks(page),
  };
}

test('Stop freezes the field and a stopped run cannot be resumed', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'stop', async (page) => {
    await open(page, { clock: true });
    await setUpWithDefaults(page);
    const before = await field(page);
    await control(page, 'Command5').click();
    await page.clock.runFor(5_000);
    const running = await field(page);
    assert.deepEqual(running.ticks, { Timer1: 25, Timer2: 25 });
    assert.equal(running.labels.Label4, ' 5 / 180 秒');
    // Both walkers walk in this mode.
    assert.notDeepEqual([running.dog, running.momotaro], [before.dog, before.momotaro]);

    await control(page, 'Command4').click();
    const stopped = await field(page);
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);
    await page.clock.runFor(5_000);
    assert.deepEqual(await field(page), stopped);
  });
  await context.close();
});

test('a reload in the middle of a run leaves a working page', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'reload', async (page) => {
    await open(page, { clock: true });
    await setUpWithDefaults(page, 'Command3');
    await control(page, 'Command5').click();
    await page.clock.runFor(3_000);
    await page.reload();
    await page.waitForSelector('body[data-ready]');
    assert.deepEqual(await labels(page), { Label1: '', Label2: '', Label3: '', Label4: '' });
    await setUpWithDefaults(page);
    await control(page, 'Command5').click();
    await page.clock.runFor(1_000);
    assert.equal((await labels(page)).Label4, ' 1 / 180 秒');
  });
  await context.close();
});
