// The teacher's page on a projector: the curve's marked second reached by keys, buttons, the
// quick marks, the mouse and a finger on the chart; percentages that never round up to 100.0%;
// saved charts that carry the marked chances and the seed; a short default seed that makes
// perne-stats' runs again; two figures on one point both in sight.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { buildDir, launch, withPage } from './browser.mjs';
import { csvTables, download, figureCentre, latticePoint, openPage, perneStats, waitForPoints } from './teacher-page.mjs';

const marked = (page) => page.$eval('#curve-time', (s) => Number(s.value));
const readings = (page) => page.evaluate(() => ['both', 'dog'].map((id) => document.getElementById(`curve-${id}`).textContent));

// The screen point of second t on the curve's chart (its plot runs from x = 110 to 920 of 960).
async function chartPoint(page, t) {
    const box = await page.locator('#curve-chart svg').boundingBox();
    return { x: box.x + ((110 + (t / 180) * 810) / 960) * box.width, y: box.y + box.height / 2 };
}

// Does the text say p with as few decimals as keep it off 0% and 100%, and round it right?
function assertPercentOf(text, p, what) {
    const [, digits, decimals] = /^(\d+\.(\d+))%$/.exec(text) ?? [];
    assert.ok(digits, `${what}: ${text}`);
    assert.ok(Math.abs(Number(digits) - p * 100) <= 0.5 * 10 ** -decimals.length + 1e-9, `${what}: ${text} for ${p}`);
    if (p < 1) assert.ok(Number(digits) < 100, `${what}: ${p} is not 100%`);
    if (p > 0) assert.ok(Number(digits) > 0, `${what}: ${p} is not 0%`);
}

for (const [width, height] of [[1280, 800], [1920, 1080]]) {
    test(`at ${width} x ${height} every second of the curve is reached by keys, buttons, mouse and finger`, async () => {
        const browser = await launch();
        try {
            const context = await browser.newContext({ viewport: { width, height }, hasTouch: true });
            await withPage(context, `teacher curve ${width}`, async (page) => {
                const { errors } = await openPage(context, page);
                await page.click('[data-view-button="points"]');
                await page.waitForSelector('#curve-chart .curve-1');

                // The quick marks, each shown as chosen.
                for (const t of [10, 30, 60, 180]) {
                    await page.click(`[data-seconds="${t}"]`);
                    assert.equal(await marked(page), t);
                    assert.equal(await page.textContent('#curve-seconds'), String(t));
                    assert.deepEqual(await page.$$eval('[data-seconds][aria-pressed="true"]', (b) => b.map((x) => x.dataset.seconds)), [String(t)]);
                }
                // One second either way, stopping at the ends; keys on the slider.
                await page.click('.curve-step[data-step="1"]');
                assert.equal(await marked(page), 180, 'no second past 180');
                await page.click('.curve-step[data-step="-1"]');
                assert.equal(await marked(page), 179);
                assert.equal(await page.$$eval('[data-seconds][aria-pressed="true"]', (b) => b.length), 0);
                await page.focus('#curve-time');
                await page.keyboard.press('Home');
                assert.equal(await marked(page), 0);
                await page.click('.curve-step[data-step="-1"]');
                assert.equal(await marked(page), 0, 'no second before 0');
                await page.focus('#curve-time');
                await page.keyboard.press('ArrowRight');
                assert.equal(await marked(page), 1);
                assert.equal(await page.textContent('#curve-seconds'), '1');

                // The mouse on the chart: a click lands on the second under it, and a drag
                // across the plot passes every second from 0 to 180.
                for (const t of [10, 30, 60, 97]) {
                    const p = await chartPoint(page, t);
                    await page.mouse.click(p.x, p.y);
                    assert.equal(await marked(page), t, `clicked at ${t} s`);
                }
                await page.evaluate(() => {
                    window.seen = new Set();
                    new MutationObserver(() => window.seen.add(document.getElementById('curve-seconds').textContent))
                        .observe(document.getElementById('curve-seconds'), { childList: true, characterData: true, subtree: true });
                });
                const [from, to] = [await chartPoint(page, -2), await chartPoint(page, 182)];
                await page.mouse.move(from.x, from.y);
                await page.mouse.down();
                await page.mouse.move(to.x, to.y, { steps: Math.ceil(to.x - from.x) });
                await page.mouse.up();
                const seen = await page.evaluate(() => [...window.seen].map(Number).sort((a, b) => a - b));
                assert.deepEqual(seen, Array.from({ length: 181 }, (_, t) => t), 'every second on the way');
                assert.equal(await marked(page), 180);

                // A finger's tap on the chart.
                const session = await context.newCDPSession(page);
                const at = await chartPoint(page, 45);
                await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: at.x, y: at.y, id: 1 }] });
                await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
                assert.equal(await marked(page), 45, 'tapped at 45 s');

                // The readings beside the chart and in it agree; the chart fits the screen.
                const shown = await readings(page);
                const inChart = await page.$eval('#curve-chart text.reading', (t) => t.textContent);
                assert.equal(inChart, `45 秒まで　${shown[0]}　${shown[1]}`);
                const fits = await page.evaluate(() => document.scrollingElement.scrollHeight <= innerHeight);
                assert.ok(fits, 'the points view still fits the screen');
                await page.screenshot({ path: join(buildDir, `teacher-curve-${width}.png`) });
                assert.deepEqual(errors, []);
            });
        } finally {
            await browser.close();
        }
    });
}

test('percentages never round a chance below 1 to 100.0% nor one above 0 to 0.0%', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher percent', async (page) => {
            await openPage(context, page);
            const cases = [[0, '0.0%'], [1, '100.0%'], [0.5, '50.0%'], [0.77149, '77.1%'], [0.999548, '99.95%'],
                [0.99996, '99.996%'], [0.0004, '0.04%'], [0.000004, '0.0004%'], [1 - 1e-9, '99.9999%'], [1e-9, '0.0001%']];
            const got = await page.evaluate((ps) => ps.map((p) => PerneCharts.percent(p)), cases.map(([p]) => p));
            assert.deepEqual(got, cases.map(([, text]) => text));

            const dir = mkdtempSync(join(tmpdir(), 'perne-percent-'));
            // At 180 s at the README's points: the table's 0.999548 is not 100.0% beside the
            // curve nor in it; the same for points far apart and points next to each other.
            for (const [m, d] of [[[4, 4], [6, 4]], [[0, 0], [10, 10]], [[5, 5], [5, 6]]]) {
                await page.fill('#momotaro-x', String(m[0]));
                await page.fill('#momotaro-y', String(m[1]));
                await page.fill('#dog-x', String(d[0]));
                await page.fill('#dog-y', String(d[1]));
                await waitForPoints(page, m, d);
                await page.click('[data-seconds="180"]');
                const file = join(dir, `${m}-${d}.csv`);
                perneStats(['--runs', '0', '--curve', file, '--momotaro', m.join(','), '--dog', d.join(',')]);
                const native = ['both', 'dog'].map((mode) => csvTables(readFileSync(file, 'utf8'))[0]
                    .find((r) => r.mode === mode && r.seconds === '180'));
                const shown = await readings(page);
                const inChart = await page.$eval('#curve-chart text.reading', (t) => t.textContent);
                native.forEach((row, mode) => {
                    const p = Number(row.p_met);
                    const [label, text] = shown[mode].split(' ');
                    assert.equal(label, ['２人', '１人'][mode]);
                    assertPercentOf(text, p, `${m}/${d} ${row.mode}`);
                    assert.ok(inChart.includes(shown[mode]), `${shown[mode]} in the chart`);
                });
            }
        });
    } finally {
        await browser.close();
    }
});

test('a short default seed makes perne-stats\' runs again; the saved charts carry it and the marked chances', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
        await withPage(context, 'teacher short seed', async (page) => {
            const { errors } = await openPage(context, page);
            await page.fill('#runs', '400');
            const seeds = [];
            const bars = async (mode) => page.$$eval(`#histogram-${mode} rect.bar`,
                (rects) => rects.map((r) => [Number(r.dataset.meetings), Number(r.dataset.runs)]));
            for (let i = 0; i < 3; i++) {
                await page.click('#start');
                await page.waitForSelector('#start:not([disabled])');
                const [, seed] = /乱数の種 (\d+)/.exec(await page.textContent('#batch-info'));
                assert.match(seed, /^[1-9]\d{0,5}$/, 'at most six digits, to write on the blackboard');
                seeds.push(seed);
            }
            assert.ok(new Set(seeds).size > 1, `a fresh seed each time: ${seeds}`);

            // The last one, from perne-stats and typed back in: the very same runs.
            const seed = seeds.at(-1);
            const native = csvTables(perneStats(['--seed', seed, '--runs', '400', '--momotaro', '4,4', '--dog', '6,4', '--csv', '-']));
            const fromPage = [await bars('both'), await bars('dog')];
            ['both', 'dog'].forEach((mode, i) => assert.deepEqual(fromPage[i],
                native[1].filter((r) => r.mode === mode && r.runs !== '0').map((r) => [Number(r.meetings), Number(r.runs)])));
            await page.fill('#seed', seed);
            await page.click('#start');
            await page.waitForSelector('#start:not([disabled])');
            assert.deepEqual([await bars('both'), await bars('dog')], fromPage, 'typed by hand');

            // Each histogram saved says its seed, in its name and in the picture.
            for (const mode of ['both', 'dog']) {
                const svg = await download(page, `[data-download="${mode}"][data-format="svg"]`);
                assert.match(svg.name, new RegExp(`種${seed}\\.svg$`));
                assert.match(svg.bytes.toString('utf8'), new RegExp(`桃太郎 \\(4, 4\\)・犬 \\(6, 4\\)　乱数の種 ${seed}<`));
            }
            // The curve saved at 60 s says both chances there, in the SVG and drawn in the PNG
            // (its reading is blue and orange text above the plot's right end).
            await page.click('[data-seconds="60"]');
            const shown = await readings(page);
            const svg = (await download(page, '[data-download="curve"][data-format="svg"]')).bytes.toString('utf8');
            assert.ok(svg.includes(`60 秒まで<tspan`), 'the marked second');
            for (const reading of shown) assert.ok(svg.includes(`　${reading}</tspan>`), reading);
            const png = (await download(page, '[data-download="curve"][data-format="png"]')).bytes.toString('base64');
            const coloured = await page.evaluate(async (base64) => {
                const image = new Image();
                image.src = `data:image/png;base64,${base64}`;
                await image.decode();
                const g = Object.assign(document.createElement('canvas'), { width: image.width, height: image.height }).getContext('2d');
                g.drawImage(image, 0, 0);
                const { data } = g.getImageData(1200, 90, 640, 44); // x 600..920, y 45..67 of the chart
                const near = (i, [r, gr, b]) => Math.abs(data[i] - r) + Math.abs(data[i + 1] - gr) + Math.abs(data[i + 2] - b) < 60;
                let blue = 0, orange = 0;
                for (let i = 0; i < data.length; i += 4) {
                    if (near(i, [0x1f, 0x5f, 0xbf])) blue++;
                    if (near(i, [0xc8, 0x50, 0x0a])) orange++;
                }
                return { blue, orange };
            }, png);
            assert.ok(coloured.blue > 100 && coloured.orange > 100, `the chances drawn in the PNG: ${JSON.stringify(coloured)}`);
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

test('two walkers on one point both stay in sight, and part again', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher together', async (page) => {
            const { errors } = await openPage(context, page);
            await page.click('[data-view-button="points"]');
            const boxes = () => page.evaluate(() => ['momotaro', 'dog'].map((who) => {
                const r = document.getElementById(`figure-${who}`).getBoundingClientRect();
                const top = document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2);
                return { x: r.x, y: r.y, width: r.width, height: r.height, seen: top?.id === `figure-${who}` };
            }));
            const alone = await boxes();

            // Dragged onto the dog's point: side by side, neither covering the other, both
            // on that point's cell, and both still to be picked up.
            const to = await latticePoint(page, [6, 4]);
            await page.mouse.move(...Object.values(await figureCentre(page, 'momotaro')));
            await page.mouse.down();
            await page.mouse.move(to.x, to.y, { steps: 6 });
            await page.mouse.up();
            await waitForPoints(page, [6, 4], [6, 4]);
            const [m, d] = await boxes();
            assert.ok(m.seen && d.seen, `both seen: ${JSON.stringify([m, d])}`);
            assert.ok(m.x + m.width <= d.x + 1, 'Momotaro on the left, the dog on the right, apart');
            const unit = (await latticePoint(page, [7, 4])).x - to.x;
            for (const f of [m, d]) {
                assert.ok(Math.abs(f.x + f.width / 2 - to.x) < unit / 2, 'within the point\'s cell');
                assert.ok(Math.abs(f.y + f.height / 2 - to.y) < 2, 'on the point\'s row');
                assert.ok(f.width > alone[0].width * 0.5, 'still large enough to see and to grab');
            }
            // Each label says where it stands; the dog can be picked up from there.
            assert.deepEqual(await page.$$eval('.figure', (fs) => fs.map((f) => f.getAttribute('aria-label'))), ['桃太郎 (6, 4)', '犬 (6, 4)']);
            const dogNow = await figureCentre(page, 'dog');
            const away = await latticePoint(page, [8, 2]);
            await page.mouse.move(dogNow.x, dogNow.y);
            await page.mouse.down();
            await page.mouse.move(away.x, away.y, { steps: 6 });
            await page.mouse.up();
            await waitForPoints(page, [6, 4], [8, 2]);
            const parted = await boxes();
            assert.deepEqual(parted.map((f) => [Math.round(f.width), f.seen]), alone.map((f) => [Math.round(f.width), true]), 'full size again');
            const momotaro = await figureCentre(page, 'momotaro');
            assert.ok(Math.hypot(momotaro.x - to.x, momotaro.y - to.y) < 2, 'Momotaro back on the point\'s centre');

            // Typed onto one point, with the keys back apart.
            await page.fill('#dog-x', '6');
            await page.fill('#dog-y', '4');
            await waitForPoints(page, [6, 4], [6, 4]);
            assert.ok((await boxes()).every((f) => f.seen));
            await page.screenshot({ path: join(buildDir, 'teacher-together.png') });
            await page.focus('#figure-dog');
            await page.keyboard.press('ArrowDown');
            await waitForPoints(page, [6, 4], [6, 5]);
            assert.equal(await page.$eval('#lattice', (l) => l.classList.contains('together')), false);
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});
