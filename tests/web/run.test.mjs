// A reload in the middle of a run, on a controlled clock. (A whole 180-second run, ending by
// itself: student-engines.test.mjs; Stop freezing the field: windows.test.mjs.)
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, withPage } from './browser.mjs';
import { control, labels, open } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function setUpWithDefaults(page, mode = 'Command2') {
  await control(page, mode).click();
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
}

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
