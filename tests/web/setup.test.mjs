// Setting a run up as a student does: by keyboard with the suggested answers, by taps on a
// tablet, and with answers the program refuses or reads its own way.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { launch, withPage } from './browser.mjs';
import {
  control, dialogState, enabledButtons, focused, labels, latticeCorner, open, spriteBox,
} from './student.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const prompts = [
  ['桃太郎の初期位置の設定', '桃太郎の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．', '4'],
  ['桃太郎の初期位置の設定', '桃太郎の初期位置のｙ座標を０以上、１０以下の自然数で入力してください．．．', '4'],
  ['犬の初期位置の設定', '犬の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．', '6'],
  ['犬の初期位置の設定', '犬の初期位置のy座標を０以上、１０以下の自然数で入力してください．．．', '4'],
];

test('a two-walker run by keyboard: the suggested answers, then Space starts and Enter stops', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'setup by keyboard', async (page) => {
    const errors = await open(page);
    assert.equal(await page.title(), '【ペルネ実験】');
    assert.deepEqual(await labels(page), { Label1: '', Label2: '', Label3: '', Label4: '' });
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);

    // From the field, where the focus starts, Tab goes round it and the enabled buttons in
    // the design's tab order.
    const order = [];
    for (let i = 0; i < 6; ++i) {
      await page.keyboard.press('Tab');
      order.push(await focused(page));
    }
    assert.deepEqual(order, ['Command1', 'Command2', 'Command3', 'Command6', 'Picture1', 'Command1']);
    await page.keyboard.press('Tab');

    await page.keyboard.press('Enter');
    for (const [title, text, value] of prompts) {
      assert.deepEqual(await dialogState(page),
        { id: 'inputBox', title, text, value, selected: [0, value.length], focus: 'answer' });
      await page.keyboard.press('Enter');
    }
    assert.equal(await dialogState(page), null);
    // The labels, buttons and focus after it: student-engines.test.mjs.
    assert.deepEqual(await spriteBox(page, 'Picture3'),
      { ...latticeCorner(4, 4), width: 33, height: 36, fieldWidth: 461, fieldHeight: 293 });
    assert.deepEqual(await spriteBox(page, 'Picture2'),
      { ...latticeCorner(6, 4), width: 34, height: 34, fieldWidth: 461, fieldHeight: 293 });

    // Space presses the focused button: the run starts.
    await page.keyboard.press('Space');
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command4']);
    // Start hands the focus on to Stop, never to Quit, so Enter stops the run; Stop hands it
    // on to "問題へ".
    assert.equal(await focused(page), 'Command4');
    await page.keyboard.press('Enter');
    assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);
    assert.equal(await focused(page), 'Command6');
    assert.deepEqual(errors, []);
  });
  await context.close();
});

test('a one-walker setup by taps puts the walkers in opposite corners, wholly inside the field', async () => {
  const context = await browser.newContext({ viewport: { width: 1180, height: 820 }, hasTouch: true });
  await withPage(context, 'setup by taps', async (page) => {
    await open(page, { clock: true });
    await control(page, 'Command3').tap();
    for (const answer of ['0', '0', '10', '10']) {
      const input = page.locator('#inputBox .answer');
      assert.equal(await input.getAttribute('inputmode'), 'numeric');
      await input.tap();
      await input.fill(answer);
      await page.locator('#inputBox .ok').tap();
    }
    assert.deepEqual(await labels(page), {
      Label1: '犬: x= 10  y= 10', Label2: '桃太郎: x= 0  y= 0', Label3: 'ペルネ回数＝ 0', Label4: '',
    });
    const momotaro = await spriteBox(page, 'Picture3');
    const dog = await spriteBox(page, 'Picture2');
    assert.deepEqual([momotaro.x, momotaro.y], [0, 0]);
    assert.deepEqual([dog.x, dog.y], Object.values(latticeCorner(10, 10)));
    assert.ok(dog.x + dog.width <= dog.fieldWidth && dog.y + dog.height <= dog.fieldHeight);

    // Only the dog walks; it cannot reach Momotaro's corner in ten steps.
    await control(page, 'Command5').tap();
    const dogTexts = new Set();
    for (let i = 0; i < 20; ++i) {
      await page.clock.runFor(200);
      const l = await labels(page);
      assert.equal(l.Label2, '桃太郎: x= 0  y= 0');
      dogTexts.add(l.Label1);
    }
    assert.equal((await labels(page)).Label4, ' 4 / 180 秒');
    assert.ok(dogTexts.size > 1, [...dogTexts].join());
    assert.deepEqual(await spriteBox(page, 'Picture3'), momotaro);
  });
  await context.close();
});

// Momotaro's x typed into the first prompt, the rest left as suggested.
const answers = [
  ['10', '桃太郎: x= 10  y= 4'],
  ['2.5', '桃太郎: x= 2  y= 4'],
  ['3.5', '桃太郎: x= 4  y= 4'],
  ['0.5', '桃太郎: x= 0  y= 4'],
  ['５', '桃太郎: x= 5  y= 4'],
  ['7x', '桃太郎: x= 7  y= 4'],
  ['abc', '桃太郎: x= 0  y= 4'],
  ['   ', '桃太郎: x= 0  y= 4'],
  ['11', null],
  ['10.4', null],
  ['-0.4', null],
  ['1e999', null],
  ['9'.repeat(400), null],
  ['', null],
  ['\uD800💥\u0000<script>', '桃太郎: x= 0  y= 4'],
  ['Escape', null], // Cancel: empty text
  ['キャンセル', null],
];

test('typed answers are accepted, rounded or refused, and Cancel ends the setup', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await withPage(context, 'typed answers', async (page) => {
    for (const [typed, momotaro] of answers) {
      const errors = await open(page);
      await control(page, 'Command2').click();
      if (typed === 'Escape') await page.keyboard.press('Escape');
      else if (typed === 'キャンセル') await page.locator('#inputBox .cancel').click();
      else {
        await page.locator('#inputBox .answer').fill(typed);
        await page.keyboard.press('Enter');
      }
      if (momotaro === null) {
        // Refused: no further prompt, nothing set up, the way to the problem stays open.
        assert.equal(await dialogState(page), null, typed);
        assert.deepEqual(await labels(page), { Label1: '', Label2: '', Label3: '', Label4: '' });
        assert.deepEqual(await enabledButtons(page), ['Command1', 'Command2', 'Command3', 'Command6']);
        assert.equal(await page.locator('#Form1 .sprite:visible').count(), 0);
      } else {
        for (let i = 0; i < 3; ++i) await page.keyboard.press('Enter');
        assert.equal((await labels(page)).Label2, momotaro, typed);
      }
      assert.deepEqual(errors, [], typed);
    }
  });
  await context.close();
});
