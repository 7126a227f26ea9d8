// A class on a real perne-class process (127.0.0.1, a data folder of its own): the teacher's
// page opens a session, three students' pages join it, and every run they end reaches the
// projector once -- ended by time or by Stop, sent late after the network came back, sent
// again after its answer was lost, and across a server killed with SIGKILL and started again.
// Chromium only: these flows need Playwright's clock, request interception and offline mode;
// the flow shared with every engine is in class-engines.test.mjs.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { join } from 'node:path';
import { buildDir, launch, withPage } from './browser.mjs';
import { startClassServer } from './classserver.mjs';
import { seriousViolations } from './engines/axe.mjs';
import { serve } from './engines/pages.mjs';
import { tenOClock } from './student.mjs';

let browser;
let server;
before(async () => {
  browser = await launch();
  server = await startClassServer();
});
after(async () => {
  await browser?.close();
  await server?.close();
});

const CODE = /^[23456789ABCDEFGHJKMNPQRSTUVWXYZ]{6}$/;
const count = (label3) => Number(/(\d+)\s*$/.exec(label3)[1]);

async function openTeacher(context, name, body) {
  return withPage(context, name, async (page) => {
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(server.url('perne-stats.html'));
    await page.waitForSelector('#session:not([hidden])');
    await page.click('[data-view-button="class"]');
    await body(page, errors);
  });
}

// Starts a new session; its code, once the page shows it in place of any before.
async function startSession(page) {
  const before = await page.textContent('#session-code');
  await page.click('#session-start');
  const shown = await page.waitForFunction((b) => {
    const now = document.getElementById('session-code').textContent;
    return now !== '' && now !== b && now;
  }, before);
  return shown.jsonValue();
}

// A student's page in a browser context of its own (its own storage: its own device), its
// clock standing still at ten o'clock until the test moves it.
// Without the clock, for axe-core, which waits on timers of its own.
async function openStudent(query, viewport = { width: 1180, height: 820 }, clock = true) {
  const context = await browser.newContext({ viewport, bypassCSP: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  if (clock) await page.clock.install({ time: new Date(tenOClock.getTime() - 60_000) });
  await page.goto(server.url(`perne.html${query}`));
  await page.waitForSelector('body[data-ready]');
  if (clock) await page.clock.pauseAt(tenOClock);
  return { context, page, errors };
}

// A run with the default answers (Momotaro (4, 4), the dog (6, 4)): to its end, or stopped
// after `stopAfter` ms. Returns the count the window shows.
async function run(page, mode, stopAfter = null) {
  await page.click(`#Form1 [data-name="${mode}"]`);
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
  await page.click('#Form1 [data-name="Command5"]');
  if (stopAfter === null) {
    await page.clock.runFor(180_200);
  } else {
    await page.clock.runFor(stopAfter);
    await page.click('#Form1 [data-name="Command4"]');
  }
  const label3 = await page.textContent('#Form1 [data-name="Label3"]');
  return { meetings: count(label3), seconds: Number(/(\d+) \//.exec(await page.textContent('#Form1 [data-name="Label4"]'))[1]) };
}

const sending = (page) => page.textContent('#classSending');
async function waitSent(page) {
  await page.waitForFunction(() => document.getElementById('classSending').textContent === '送信しました');
}

// The teacher's panel as the projector shows it.
function projector(page) {
  return page.evaluate(() => {
    const cells = (row) => [...document.querySelectorAll('#class-table tbody tr')[row].cells].slice(1).map((c) => c.textContent);
    return {
      devices: document.getElementById('session-devices').textContent,
      runs: cells(0),
      means: cells(1),
      short: document.getElementById('class-short').textContent,
      unverified: [...document.querySelectorAll('#session-unverified-list li')].map((li) => li.textContent),
      listed: document.querySelectorAll('#session-runs-body tr').length,
      hidden: document.getElementById('class-panel').classList.contains('results-hidden'),
      state: document.getElementById('session-state').textContent,
    };
  });
}
const waitProjector = (page, fn, arg) => page.waitForFunction(fn, arg, { timeout: 15000 });

test('a class: the code for the back row, three students, runs by time and by Stop on the projector', async () => {
  // Without the page's policy here, so that axe-core can be put into the pages.
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, bypassCSP: true });
  await openTeacher(context, 'class teacher', async (teacher, teacherErrors) => {
    const code = await startSession(teacher);
    assert.match(code, CODE);
    assert.equal(await teacher.textContent('#session-url'), server.url(`perne.html?class=${code}`));
    await teacher.waitForFunction(() => document.querySelector('#session-qr img')?.naturalWidth > 0);
    // The secret is in the page's storage only: not on the screen, not in any address.
    const secret = await teacher.evaluate((c) => JSON.parse(localStorage.getItem('perne.teacher.sessions')).find((s) => s.code === c).secret, code);
    assert.match(secret, /^[A-Za-z0-9_-]{43}$/);
    const shown = await teacher.evaluate(() => document.documentElement.outerHTML + location.href);
    assert.ok(!shown.includes(secret), 'the secret is nowhere on the page');
    await teacher.screenshot({ path: join(buildDir, 'class-teacher-code-1280.png') });
    assert.ok(await teacher.evaluate(() => document.documentElement.scrollHeight <= innerHeight), 'the code for the back row fits the screen');

    // Two students come by the address, the third types the code.
    const s1 = await openStudent(`?class=${code}`);
    const s2 = await openStudent(`?class=${code}`);
    const s3 = await openStudent('');
    await s3.page.fill('#classCode', 'zzz');
    await s3.page.click('#classroom button[type="submit"]');
    assert.equal(await s3.page.textContent('#classJoinMessage'), 'コードは 6 文字です');
    const unknown = code === 'ZZZZZZ' ? 'YYYYYY' : 'ZZZZZZ';
    await s3.page.fill('#classCode', unknown);
    await s3.page.click('#classroom button[type="submit"]');
    await s3.page.waitForFunction(() => document.getElementById('classJoinMessage').textContent === 'このコードのクラスはありません');
    await s3.page.fill('#classCode', code.toLowerCase());
    await s3.page.click('#classroom button[type="submit"]');
    await s3.page.waitForSelector('#classroom[data-state="class"]');
    assert.equal(new URL(s3.page.url()).searchParams.get('class'), code);
    for (const s of [s1, s2, s3]) {
      await s.page.waitForFunction(() => document.querySelector('#classroom .points').textContent.includes('(4, 4)'));
      assert.equal(await s.page.textContent('#classroom .code .code-value'), code);
    }
    await waitProjector(teacher, () => document.getElementById('session-devices').textContent.startsWith('参加 3 台'));

    // The window keeps its design, beside the class's column.
    const column = await s1.page.locator('#classroom').boundingBox();
    const win = await s1.page.locator('#Form1').boundingBox();
    assert.ok(column.x + column.width <= win.x, `column left of the window: ${JSON.stringify([column, win])}`);
    await s1.page.screenshot({ path: join(buildDir, 'class-student-1180.png') });
    assert.deepEqual(await seriousViolations(teacher, 'teacher with the code large'), []);

    // Predictions: one each; the third changes its mind.
    await s1.page.click('#classroom [data-choice="both"]');
    await s2.page.click('#classroom [data-choice="dog"]');
    await s3.page.click('#classroom [data-choice="dog"]');
    await s3.page.click('#classroom [data-choice="same"]');
    await waitProjector(teacher, () => document.getElementById('session-predictions').textContent === '２人 1１人 1同じ 1');

    // Runs: two by time, one stopped after 30 s.
    const r1 = await run(s1.page, 'Command2');
    const r2 = await run(s2.page, 'Command3', 30_000);
    const r3 = await run(s3.page, 'Command2');
    assert.equal(r1.seconds, 180);
    assert.equal(r2.seconds, 30);
    for (const s of [s1, s2, s3]) await waitSent(s.page);
    await waitProjector(teacher, () => document.getElementById('session-devices').textContent === '参加 3 台・送信 3 台');
    let p = await projector(teacher);
    assert.equal(p.listed, 3);
    assert.deepEqual(p.unverified, []);
    if (!p.hidden) await teacher.click('#session-hide'); // hidden first, whatever the server began with
    await waitProjector(teacher, () => document.getElementById('class-panel').classList.contains('results-hidden'));
    assert.equal(await teacher.isVisible('#class-table'), false);
    await teacher.click('#session-hide');
    await waitProjector(teacher, () => !document.getElementById('class-panel').classList.contains('results-hidden'));
    p = await projector(teacher);
    assert.deepEqual(p.runs, ['2', '0'], 'two full runs of both walkers; the stopped one apart');
    assert.equal(p.means[0], ((r1.meetings + r3.meetings) / 2).toFixed(2));
    assert.equal(p.short, 'この出発点の 180 秒より短い実験: ２人 0 回・１人 1 回（平均には入れていません）');
    // The class screen with its session is one screen on a projector, nothing to scroll.
    for (const [width, height] of [[1280, 800], [1920, 1080]]) {
      await teacher.setViewportSize({ width, height });
      await teacher.screenshot({ path: join(buildDir, `class-teacher-results-${width}.png`) });
      const overflow = await teacher.evaluate(() => document.documentElement.scrollHeight - innerHeight);
      assert.ok(overflow <= 0, `${width} x ${height}: ${overflow} px to scroll`);
    }
    await teacher.setViewportSize({ width: 1280, height: 800 });
    assert.deepEqual(await seriousViolations(teacher, 'teacher with the results'), []);

    // Sending locked: the run waits on the student's page and goes once it is unlocked.
    await teacher.click('#session-lock');
    await waitProjector(teacher, () => document.getElementById('session-state').textContent === '受付を止めています');
    const r4 = await run(s1.page, 'Command2');
    await s1.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    await teacher.click('#session-lock');
    await waitProjector(teacher, () => document.getElementById('session-state').textContent === '受付中');
    await s1.page.clock.runFor(60_000); // the next try
    await waitSent(s1.page);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 4);
    p = await projector(teacher);
    assert.deepEqual(p.runs, ['3', '0']);
    assert.equal(p.means[0], ((r1.meetings + r3.meetings + r4.meetings) / 3).toFixed(2));

    // Removing: one run, then every run of the second device.
    await teacher.click('#session-runs summary');
    const firstRun = await teacher.getAttribute('#session-runs-body tr:last-child', 'data-run');
    await teacher.click(`#session-runs-body button[data-remove-run="${firstRun}"]`);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 3);
    const device = await teacher.evaluate(() => [...document.querySelectorAll('#session-runs-body button[data-remove-device]')]
      .map((b) => b.dataset.removeDevice).find((d, i, all) => all.indexOf(d) === i));
    await teacher.click(`#session-runs-body tr button[data-remove-device="${device}"]`);
    await waitProjector(teacher, (d) => ![...document.querySelectorAll('#session-runs-body button[data-remove-device]')]
      .some((b) => b.dataset.removeDevice === d), device);

    // The session's CSV: the student's line columns, device and time, one row per run left.
    const left = (await projector(teacher)).listed;
    await teacher.click('#session-csv');
    const csv = await teacher.waitForFunction(() => window.__perneTest.saved.find((s) => s.text !== null)).then((h) => h.jsonValue());
    assert.match(csv.name, /\.csv$/);
    const rows = csv.text.replace(/^\uFEFF/, '').trim().split(/\r?\n/);
    assert.equal(rows.length, 1 + left, csv.text);

    // Closing: asked twice; afterwards a student's run is refused and says so.
    await teacher.click('#session-close');
    assert.equal(await teacher.textContent('#session-close'), 'もう一度押すと終わります');
    await teacher.click('#session-close');
    await waitProjector(teacher, () => document.getElementById('session-state').textContent === 'この授業は終わりました');
    await run(s2.page, 'Command2', 10_000);
    await s2.page.waitForFunction(() => /授業/.test(document.getElementById('classSending').textContent));
    assert.equal((await projector(teacher)).listed, left);

    for (const s of [s1, s2, s3]) {
      assert.deepEqual(s.errors, []);
      await s.context.close();
    }
    // What a screen reader meets beside the window: the class's column, and the code asked for.
    for (const query of [`?class=${code}`, '']) {
      const s = await openStudent(query, undefined, false);
      await s.page.waitForSelector('#classroom:not([hidden]) :is(.points, #classCode)');
      assert.deepEqual(await seriousViolations(s.page, `student ${query || 'asked for a code'}`), []);
      await s.context.close();
    }
    assert.deepEqual(teacherErrors, []);
  });
});

test('a run the network lost waits, survives a reload, and is counted once however often it is sent', async () => {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  await openTeacher(context, 'class offline teacher', async (teacher) => {
    const code = await startSession(teacher);
    const s = await openStudent(`?class=${code}`);
    await s.page.waitForSelector('#classroom[data-state="class"]');

    // Offline at the end of the run: it waits in the page's storage.
    await s.context.setOffline(true);
    await run(s.page, 'Command2');
    await s.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    const waiting = await s.page.evaluate(() => JSON.parse(localStorage.getItem('perne.class.outbox')));
    assert.equal(waiting.length, 1);
    assert.equal(waiting[0].receipt.lastPeriod, 901);
    assert.equal(waiting[0].seconds, 180);
    // Back online: it goes by itself, once.
    await s.context.setOffline(false);
    await s.page.clock.runFor(5_000); // the next try, should the browser not say it is online
    await waitSent(s.page);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 1);

    // The server takes the next run, but its answer never reaches the page: the page tries
    // again with the same key, the server answers as before, and the run counts once.
    let lost = 0;
    await s.page.route('**/api/sessions/*/runs', async (route) => {
      if (lost++ === 0) {
        await route.fetch();
        await route.abort();
      } else {
        await route.continue();
      }
    });
    await run(s.page, 'Command3', 20_000);
    await s.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 2);
    await s.page.clock.runFor(2_000);
    await waitSent(s.page);
    assert.equal(lost, 2);

    // A run ended while the server is out of reach survives a reload of the page.
    await s.page.unroute('**/api/sessions/*/runs');
    await s.page.route('**/api/**', (route) => route.abort());
    await run(s.page, 'Command2', 5_000);
    await s.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    await s.page.reload();
    await s.page.waitForSelector('body[data-ready]');
    await s.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    await s.page.unroute('**/api/**');
    await s.page.clock.runFor(10_000);
    await waitSent(s.page);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 3);
    // A count edited on its way is walked again by the server and refused: listed with its
    // reason, never in the histogram.
    await s.page.route('**/api/sessions/*/runs', (route) => {
      const body = JSON.parse(route.request().postData());
      return route.continue({ postData: JSON.stringify({ ...body, meetings: body.meetings + 1 }) });
    });
    const forged = await run(s.page, 'Command2');
    await waitSent(s.page);
    await s.page.unroute('**/api/sessions/*/runs');
    await waitProjector(teacher, () => document.querySelectorAll('#session-unverified-list li').length === 1);
    let p = await projector(teacher);
    assert.match(p.unverified[0], new RegExp(`^端末 1　２人 ${forged.meetings + 1} 回 180 秒: .+`));
    assert.deepEqual(p.runs, ['1', '0'], 'only the honest full run of both walkers is pooled');

    // Reloaded again: nothing is sent twice.
    await s.page.reload();
    await s.page.waitForSelector('#classroom[data-state="class"]');
    await s.page.clock.runFor(10_000);
    await teacher.waitForTimeout(500);
    p = await projector(teacher);
    assert.equal(p.listed, 4);
    assert.equal(p.devices, '参加 1 台・送信 1 台');
    assert.deepEqual(s.errors, []);
    await s.context.close();
  });
});

test('the server killed with SIGKILL and started again: the projector reconnects to the same picture', async () => {
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  await openTeacher(context, 'class restart teacher', async (teacher) => {
    const code = await startSession(teacher);
    const s = await openStudent(`?class=${code}`);
    await s.page.waitForSelector('#classroom[data-state="class"]');
    await run(s.page, 'Command2');
    await run(s.page, 'Command3');
    await waitSent(s.page);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 2);
    if ((await projector(teacher)).hidden) await teacher.click('#session-hide');
    await waitProjector(teacher, () => !document.getElementById('class-panel').classList.contains('results-hidden') &&
      document.getElementById('session-devices').textContent === '参加 1 台・送信 1 台');
    const before = await projector(teacher);

    await server.kill();
    await waitProjector(teacher, () => document.getElementById('session-connection').textContent !== '');
    // A run ended while the server is down waits on the student's page.
    await run(s.page, 'Command2', 40_000);
    await s.page.waitForFunction(() => document.getElementById('classSending').textContent.startsWith('送信待ち 1 回'));
    await server.start();
    await waitProjector(teacher, () => document.getElementById('session-connection').textContent === '');
    assert.deepEqual(await projector(teacher), before, 'the same picture after the restart');
    await s.page.clock.runFor(60_000);
    await waitSent(s.page);
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 3);

    // A teacher's tab opened afresh finds its session and the same runs.
    await teacher.reload();
    await teacher.waitForSelector('#session-live:not([hidden])');
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 3);
    assert.equal(await teacher.textContent('#session-code'), code);

    // A second class; the first can be opened again.
    const second = await startSession(teacher);
    assert.notEqual(second, code);
    assert.equal((await projector(teacher)).listed, 0);
    await teacher.selectOption('#session-earlier', code);
    // Compared first: the earlier class's full runs in one line; then opened again.
    await teacher.click('#session-compare');
    const bothMean = before.means[0];
    await waitProjector(teacher, () => document.getElementById('session-compared').textContent !== '');
    assert.equal(await teacher.textContent('#session-compared'),
                 `${code}（桃太郎 (4, 4)・犬 (6, 4)）: ２人 平均 ${bothMean}（1 回）・１人 平均 ${before.means[1]}（1 回）`);
    await teacher.click('#session-open');
    await waitProjector(teacher, () => document.querySelectorAll('#session-runs-body tr').length === 3);
    assert.deepEqual(s.errors, []);
    await s.context.close();
  });
});

test('a server that asks for the teacher\'s passphrase opens a session only with it', async () => {
  const guarded = await startClassServer({ teacherKey: 'もものき 2026' });
  try {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    await withPage(context, 'class teacher key', async (page) => {
      await page.goto(guarded.url('perne-stats.html'));
      await page.waitForSelector('#session-key-field:not([hidden])');
      await page.click('[data-view-button="class"]');
      for (const wrong of ['', 'momonoki']) {
        await page.fill('#session-key', wrong);
        await page.click('#session-start');
        await page.waitForFunction(() => document.getElementById('session-message').textContent !== '');
        assert.equal(await page.isVisible('#session-live'), false, `no session with ${JSON.stringify(wrong)}`);
        await page.evaluate(() => { document.getElementById('session-message').textContent = ''; });
      }
      await page.fill('#session-key', 'もものき 2026');
      await page.click('#session-start');
      await page.waitForSelector('#session-live:not([hidden])');
      assert.match(await page.textContent('#session-code'), CODE);
      assert.equal(await page.inputValue('#session-key'), '', 'the passphrase is not kept in the field');
      const stored = await page.evaluate(() => Object.values(localStorage).join(' '));
      assert.ok(!stored.includes('もものき'), 'nor in the page\'s storage');
    });
  } finally {
    await guarded.close();
  }
});

test('from a file, or from a server that is not perne-class, the pages show no class', async () => {
  const plain = await serve();
  try {
    const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
    await withPage(context, 'class absent', async (page) => {
      const asked = [];
      page.on('request', (r) => { if (r.url().includes('/api/')) asked.push(r.url()); });
      for (const url of [`file://${join(buildDir, 'perne.html')}?class=ABCDEF`, `${plain.url('perne.html')}?class=ABCDEF`]) {
        await page.goto(url);
        await page.waitForSelector('body[data-ready]');
        await page.waitForTimeout(500);
        assert.equal(await page.evaluate(() => document.getElementById('classroom').hidden), true, url);
      }
      for (const url of [`file://${join(buildDir, 'perne-stats.html')}`, plain.url('perne-stats.html')]) {
        await page.goto(url);
        await page.waitForSelector('#exact-table[data-key="4,4,6,4"]');
        await page.waitForTimeout(500);
        assert.equal(await page.evaluate(() => document.getElementById('session').hidden), true, url);
      }
      // From the other server each page asked once whether it is the class server, no more.
      assert.deepEqual(asked.map((u) => new URL(u).pathname), ['/api/info', '/api/info']);
    });
  } finally {
    await plain.close();
  }
});
