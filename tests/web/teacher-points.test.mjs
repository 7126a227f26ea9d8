// The teacher's page: starting points chosen by a finger and by full-width typing; every exact
// value and the curve as perne-stats computes them for the same points; typed points off the
// lattice refused without losing anything. (Half-width typing and the mouse, in every engine:
// teacher-engines.test.mjs.)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, withPage } from './browser.mjs';
import {
    assertShownAsPerneStats, csvTables, figureCentre, latticePoint, openPage, perneStats, readExactTable, waitForPoints,
} from './teacher-page.mjs';

async function assertExactAsPerneStats(page, m, d) {
    await waitForPoints(page, m, d);
    assertShownAsPerneStats(await page.evaluate(readExactTable), m, d);
}

async function assertFigureOn(page, who, p, { fields = true } = {}) {
    const [at, want] = [await figureCentre(page, who), await latticePoint(page, p)];
    assert.ok(Math.hypot(at.x - want.x, at.y - want.y) < 2, `${who} drawn on (${p})`);
    if (!fields) return;
    const typed = [await page.inputValue(`#${who}-x`), await page.inputValue(`#${who}-y`)];
    assert.deepEqual(typed.map((t) => t.replace(/[０-９]/g, (c) => String(c.charCodeAt(0) - 0xff10))), p.map(String));
}

// Through the Chrome DevTools protocol: a real touch, start, moves, end.
async function touchDrag(page, from, to) {
    const session = await page.context().newCDPSession(page);
    const touch = (type, p) => session.send('Input.dispatchTouchEvent',
        { type, touchPoints: p ? [{ x: p.x, y: p.y, id: 1 }] : [] });
    await touch('touchStart', from);
    for (let i = 1; i <= 8; i++)
        await touch('touchMove', { x: from.x + ((to.x - from.x) * i) / 8, y: from.y + ((to.y - from.y) * i) / 8 });
    await touch('touchEnd');
}

test('points typed in full-width digits and touched past the edge give the values perne-stats gives', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1180, height: 820 }, hasTouch: true });
        await withPage(context, 'teacher points', async (page) => {
            const { requests, errors } = await openPage(context, page);
            await assertExactAsPerneStats(page, [4, 4], [6, 4]);

            // Typed, full-width digits too.
            await page.fill('#momotaro-x', '２');
            await page.fill('#momotaro-y', '9');
            await page.fill('#dog-x', '10');
            await page.fill('#dog-y', '０');
            await assertExactAsPerneStats(page, [2, 9], [10, 0]);
            await assertFigureOn(page, 'momotaro', [2, 9]);
            await assertFigureOn(page, 'dog', [10, 0]);

            // Dragged with a finger, past the edge: the figure stops on the last point.
            const edge = await latticePoint(page, [12, 5]);
            await touchDrag(page, await figureCentre(page, 'momotaro'), edge);
            await assertFigureOn(page, 'momotaro', [10, 5]);
            await assertExactAsPerneStats(page, [10, 5], [10, 0]);

            // The curve: from 0 to the chance of meeting at all, period by period as --curve.
            const dir = mkdtempSync(join(tmpdir(), 'perne-curve-'));
            perneStats(['--runs', '0', '--curve', join(dir, 'curve.csv'), '--momotaro', '10,5', '--dog', '10,0']);
            const native = csvTables(readFileSync(join(dir, 'curve.csv'), 'utf8'))[0];
            for (const [mode, name] of [[0, 'both'], [1, 'dog']]) {
                const drawn = await page.$eval(`#curve-chart .curve-${mode}`, (line) => line.getAttribute('points'));
                const ys = drawn.split(' ').map((pair) => Number(pair.split(',')[1]));
                const rows = native.filter((r) => r.mode === name);
                assert.equal(ys.length, rows.length, `${name}: one point per period`);
                // Chart: 0 at y = 456, 1 at y = 78, drawn to 0.01 px.
                rows.forEach((r, k) => assert.ok(Math.abs((456 - ys[k]) / 378 - Number(r.p_met)) < 1e-4, `${name} period ${k}`));
            }
            // Read off at a chosen second: both chances at the end of that second's period.
            await page.$eval('#curve-time', (slider) => {
                slider.value = '60';
                slider.dispatchEvent(new Event('input'));
            });
            for (const [id, name, label] of [['both', 'both', '２人'], ['dog', 'dog', '１人']]) {
                const p = Number(native.find((r) => r.mode === name && r.seconds === '60').p_met);
                assert.equal(await page.textContent(`#curve-${id}`), `${label} ${(p * 100).toFixed(1)}%`);
            }
            assert.deepEqual(requests, [], 'no request leaves the page');
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

test('typed points off the lattice are refused next to the field and change nothing', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
        await withPage(context, 'teacher bad points', async (page) => {
            await openPage(context, page);
            const before = await page.$eval('#exact-table', (t) => t.innerText);
            for (const [field, text] of [['#momotaro-x', '11'], ['#momotaro-y', '-1'], ['#dog-x', 'a'],
                                         ['#dog-y', '4.5'], ['#momotaro-x', ''], ['#dog-x', '１２']]) {
                await page.fill(field, text);
                const who = field.includes('dog') ? 'dog' : 'momotaro';
                assert.match(await page.textContent(`#${who}-message`), /./, `"${text}" refused in ${field}`);
                assert.equal(await page.getAttribute(field, 'aria-invalid'), 'true');
                // The field keeps the refused text to be mended; the figure and the values stay.
                await assertFigureOn(page, who, who === 'dog' ? [6, 4] : [4, 4], { fields: false });
                assert.equal(await page.$eval('#exact-table', (t) => t.dataset.key), '4,4,6,4');
                assert.equal(await page.$eval('#exact-table', (t) => t.innerText), before);
                await page.fill(field, field.endsWith('x') ? (who === 'dog' ? '6' : '4') : '4');
                assert.equal(await page.textContent(`#${who}-message`), '');
            }
            // A good y does not hide what is wrong with x; dragging mends both.
            await page.fill('#momotaro-x', '99');
            await page.fill('#momotaro-y', '3');
            assert.match(await page.textContent('#momotaro-message'), /./);
            await waitForPoints(page, [4, 3], [6, 4]);
            const to = await latticePoint(page, [0, 0]);
            await page.mouse.move(...Object.values(await figureCentre(page, 'momotaro')));
            await page.mouse.down();
            await page.mouse.move(to.x, to.y, { steps: 5 });
            await page.mouse.up();
            await assertFigureOn(page, 'momotaro', [0, 0]);
            assert.equal(await page.textContent('#momotaro-message'), '');
            assert.equal(await page.getAttribute('#momotaro-x', 'aria-invalid'), 'false');
        });
    } finally {
        await browser.close();
    }
});
