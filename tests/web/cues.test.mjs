// The cues as Web Audio plays them: which wave file each click starts, a new cue stopping
// the one sounding, and a page that goes on silently where sound is held back.
import assert from 'node:assert/strict';
import { statSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { launch, withPage } from './browser.mjs';
import { control, dialogState, open } from './student.mjs';

const assets = join(fileURLToPath(import.meta.url), '..', '..', '..', 'assets');
const sizes = Object.fromEntries(['pinpon.wav', 'endpinpon.wav', 'logoff.wav']
  .map((name) => [statSync(join(assets, name)).size, name]));

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// Records, in the page, every buffer source started or stopped, named by the size of the
// wave file it was decoded from. With `blocked`, sound never comes on.
function listen({ sizesByLength, blocked }) {
  const names = new Map();
  window.cueLog = [];
  window.cuesDecoded = 0;
  const decode = AudioContext.prototype.decodeAudioData;
  AudioContext.prototype.decodeAudioData = function (data, ok, fail) {
    const name = sizesByLength[data.byteLength];
    return decode.call(this, data, (buffer) => { names.set(buffer, name); ++window.cuesDecoded; ok(buffer); }, fail);
  };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.cueLog.push(`start ${names.get(this.buffer)}`);
    return start.apply(this, args);
  };
  const stop = AudioBufferSourceNode.prototype.stop;
  AudioBufferSourceNode.prototype.stop = function (...args) {
    window.cueLog.push(`stop ${names.get(this.buffer)}`);
    return stop.apply(this, args);
  };
  if (blocked) {
    Object.defineProperty(AudioContext.prototype, 'state', { get: () => 'suspended' });
    AudioContext.prototype.resume = () => new Promise(() => {});
  }
}

const log = (page) => page.evaluate(() => window.cueLog.splice(0));

test('each click starts its cue, and a new cue stops the one sounding', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(listen, { sizesByLength: sizes, blocked: false });
  await withPage(context, 'cues', async (page) => {
    await open(page);
    await page.waitForFunction(() => window.cuesDecoded === 3);
    await control(page, 'Command2').click();
    for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
    await control(page, 'Command5').click();
    assert.deepEqual(await log(page), ['start pinpon.wav', 'stop pinpon.wav', 'start pinpon.wav']);
    await control(page, 'Command4').click();
    await control(page, 'Command6').click();
    await control(page, 'Command1').click();
    assert.deepEqual(await log(page), ['stop pinpon.wav', 'start pinpon.wav', 'stop pinpon.wav',
      'start pinpon.wav', 'stop pinpon.wav', 'start endpinpon.wav']);
    await page.keyboard.press('Enter');
    assert.deepEqual(await log(page), ['stop endpinpon.wav']);
  });
  await context.close();
});

test('where sound is held back the page stays silent and never waits', async () => {
  const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
  await context.addInitScript(listen, { sizesByLength: sizes, blocked: true });
  await withPage(context, 'blocked sound', async (page) => {
    await open(page);
    await page.waitForFunction(() => window.cuesDecoded === 3);
    await control(page, 'Command2').click();
    assert.equal((await dialogState(page)).title, '桃太郎の初期位置の設定');
    for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
    await control(page, 'Command5').click();
    await page.waitForFunction(() =>
      document.querySelector('#Form1 [data-name="Label4"]').textContent === ' 1 / 180 秒');
    assert.deepEqual(await log(page), []);
  });
  await context.close();
});
