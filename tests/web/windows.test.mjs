// The two windows as a student sees them: a run stopped, the problem window's printed texts,
// going there and back with the run's results kept, a reload in the middle of a run, and the
// window filling the screen of every kind of school device. (The quit question and a whole
// run ending by itself: student-engines.test.mjs.)
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, withPage } from './browser.mjs';
import { control, enabledButtons, labels, open, spriteBox, ticks } from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const red = 'rgb(255, 0, 0)';
const blue = 'rgb(0, 0, 255)';
const black = 'rgb(0, 0, 0)';

// Every printed line of a box: its text, colour, size and where it stands in the box.
async function printed(page, box) {
  return page.evaluate((name) => [...document.querySelectorAll(`#Form2 [data-name="${name}"] > div`)]
    .map((d) => [d.textContent, getComputedStyle(d).color, getComputedStyle(d).fontSize, d.offsetTop]), box);
}

// Lines of 16 pixels (12 points) below a first empty line of the given height.
const rows = (first, lines, colours) => lines.map((text, i) => [text, colours(i), '16px', first + 16 * (i + 1)]);

test('Stop freezes the run; the problem window prints its texts on every showing; going back keeps the run', async () => {
  const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
  await withPage(context, 'problem window', async (page) => {
    await open(page, { clock: true });
    const design = await page.evaluate(() => window.Perne.engine.designTables().problem);
    await control(page, 'Command2').click();
    for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
    const field = async () => ({ labels: await labels(page), dog: await spriteBox(page, 'Picture2'),
                                 momotaro: await spriteBox(page, 'Picture3'), ticks: await ticks(page) });
    const setUp = await field();
    await control(page, 'Command5').click();
    await page.clock.runFor(30_000);
    const running = await field();
    assert.deepEqual([running.ticks, running.labels.Label4], [{ Timer1: 150, Timer2: 150 }, ' 30 / 180 秒']);
    // Both walkers walk in this mode.
    assert.notDeepEqual([running.dog, running.momotaro], [setUp.dog, setUp.momotaro]);
    // Stop freezes the field, and a stopped run cannot be resumed.
    await control(page, 'Command4').click();
    const run = await field();
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);
    await page.clock.runFor(5_000);
    assert.deepEqual(await field(), run);

    const problem = (first) => [
      ['　　　　　　　第４回日本数学コンクール問題(1993年8月22日)', red, '16px', first],
      ...rows(first + 16, [' 【問題】', ...design.problemLines], () => black),
    ];
    const conditions = (first) => [
      ['【シミュレーションの条件】', red, '16px', first],
      ...rows(first, [
        '　　１．桃太郎と犬は、縦、横それぞれ１１本の直線の格子点上を動く。',
        '　　２．桃太郎と犬が、各格子点において８つの方向へ進む確率は同じ。',
        '　　３．桃太郎と犬は、各格子点において、動き１回につき、縦か横か斜',
        '　　　　めの１目盛りだけ進み、進んだ格子点ごとに方向を判断する。',
      ], () => blue),
    ];

    await control(page, 'Command6').click();
    assert.equal(await page.title(), '第４回日本数学コンクール問題(1993.8.22)');
    assert.equal(await page.locator('#Form1').isHidden(), true);
    // The first time, the first empty line has the height of a line in the window's font
    // (9 points, 12 pixels); every later time that of a 12-point line.
    assert.deepEqual(await printed(page, 'Picture1'), problem(12));
    assert.deepEqual(await printed(page, 'Picture2'), conditions(12));

    await control(page, 'Command2').click();
    assert.equal(await page.title(), '【ペルネ実験】');
    assert.deepEqual(await field(), run);
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);

    for (let i = 0; i < 2; ++i) {
      await control(page, 'Command6').click();
      assert.deepEqual(await printed(page, 'Picture1'), problem(16));
      assert.deepEqual(await printed(page, 'Picture2'), conditions(16));
      await control(page, 'Command2').click();
    }
  });
  await context.close();
});

test('a reload in the middle of a run leaves a working page', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'reload', async (page) => {
    await open(page, { clock: true });
    await control(page, 'Command3').click();
    for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
    await control(page, 'Command5').click();
    await page.clock.runFor(3_000);
    await page.reload();
    await page.waitForSelector('body[data-ready]');
    assert.deepEqual(await labels(page), { Label1: '', Label2: '', Label3: '', Label4: '' });
    await control(page, 'Command2').click();
    for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
    await control(page, 'Command5').click();
    await page.clock.runFor(1_000);
    assert.equal((await labels(page)).Label4, ' 1 / 180 秒');
  });
  await context.close();
});

const screens = [
  ['Chromebook', 1366, 768, false],
  ['projector', 1920, 1080, false],
  ['iPad, landscape', 1180, 820, true],
  ['iPad, portrait', 820, 1180, true],
];

test('the window fills every screen, scaled as a whole, nothing cut off', async () => {
  for (const [name, width, height, hasTouch] of screens) {
    const context = await browser.newContext({ viewport: { width, height }, hasTouch });
    await withPage(context, `screen ${name}`, async (page) => {
      await open(page);
      for (const form of ['Form1', 'Form2']) {
        if (form === 'Form2') await control(page, 'Command6').click();
        const box = await page.locator(`#${form}`).boundingBox();
        const client = await page.evaluate((f) => {
          const c = document.querySelector(`#${f} .client`);
          const r = c.getBoundingClientRect();
          return { width: c.offsetWidth, height: c.offsetHeight, scaleX: r.width / c.offsetWidth,
                   scaleY: r.height / c.offsetHeight };
        }, form);
        assert.deepEqual([client.width, client.height], form === 'Form1' ? [482, 375] : [512, 501], name);
        assert.ok(Math.abs(client.scaleX - client.scaleY) < 1e-6, name);
        assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= width && box.y + box.height <= height, name);
        // It fills the screen in one direction, up to a small margin.
        assert.ok(box.width > width * 0.9 || box.height > height * 0.9, `${name} ${form}`);
      }
    });
    await context.close();
  }
});
