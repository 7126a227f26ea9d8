// The teacher's page on a projector: each view fits 1280 x 800 and 1920 x 1080 without
// scrolling; a running batch's points and run count cannot change; a figure on the
// lattice's edge leaves every axis number in sight.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { launch, withPage } from './browser.mjs';
import { openPage } from './teacher-page.mjs';

const VIEWS = {
    points: ['#lattice', '#momotaro-x', '#dog-y', '#exact-table', '#curve-chart svg', '#curve-time'],
    batch: ['#runs', '#start', '#stop', '#progress', '#histogram-both svg', '#histogram-dog svg'],
    class: ['#class-paste', '#class-table', '#class-say-dog', '#class-histogram-both svg', '#class-histogram-dog svg'],
};

const forty = [
    ...Array.from({ length: 20 }, (_, i) => `２人が動くとき\t4\t4\t6\t4\t${6 + (i % 8)}\t180`),
    ...Array.from({ length: 20 }, (_, i) => `１人が動くとき\t4\t4\t6\t4\t${3 + (i % 7)}\t180`),
].join('\n');

// Whether the page scrolls, and which of these elements are not wholly on the screen.
function layout(page, selectors) {
    return page.evaluate((list) => {
        const out = list.filter((s) => {
            const r = document.querySelector(s).getBoundingClientRect();
            return (r.width === 0 && r.height === 0) || r.top < 0 || r.left < 0 || r.bottom > innerHeight + 0.5 || r.right > innerWidth + 0.5;
        });
        const root = document.scrollingElement;
        return { scrolls: root.scrollHeight > innerHeight || root.scrollWidth > innerWidth, outside: out };
    }, selectors);
}

for (const [width, height] of [[1280, 800], [1920, 1080]]) {
    test(`at ${width} x ${height} each view is one screen with nothing to scroll`, async () => {
        const browser = await launch();
        try {
            const context = await browser.newContext({ viewport: { width, height } });
            await withPage(context, `teacher views ${width}`, async (page) => {
                const { errors } = await openPage(context, page);
                await page.click('[data-view-button="points"]');
                assert.deepEqual(await layout(page, VIEWS.points), { scrolls: false, outside: [] }, 'points');

                await page.click('[data-view-button="batch"]');
                await page.fill('#runs', '300');
                await page.click('#start');
                await page.waitForSelector('#start:not([disabled])');
                await page.waitForSelector('#histogram-both circle.expected');
                assert.deepEqual(await layout(page, [...VIEWS.batch, '#histogram-both .exact-mean']), { scrolls: false, outside: [] }, 'batch');

                await page.click('[data-view-button="class"]');
                await page.fill('#class-paste', forty);
                await page.waitForSelector('#class-histogram-dog circle.expected');
                assert.deepEqual(await layout(page, VIEWS.class), { scrolls: false, outside: [] }, 'class');
                assert.equal(await page.$eval('[data-view-button="class"]', (b) => b.getAttribute('aria-pressed')), 'true');

                // Everything at once is still there, as one long page.
                await page.click('[data-view-button="all"]');
                for (const selector of Object.values(VIEWS).flat())
                    assert.ok(await page.isVisible(selector), `${selector} on the whole page`);
                assert.deepEqual(errors, []);
            });
        } finally {
            await browser.close();
        }
    });
}

test('while a batch runs its points and run count stay; Stop frees them', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher batch lock', async (page) => {
            await openPage(context, page);
            const fields = ['#momotaro-x', '#momotaro-y', '#dog-x', '#dog-y', '#runs'];
            const state = () => page.evaluate((ids) => ({
                disabled: ids.map((id) => document.querySelector(id).disabled),
                values: ids.map((id) => document.querySelector(id).value),
                dog: document.getElementById('figure-dog').getAttribute('aria-label'),
                note: !document.getElementById('lock-note').hidden,
            }), fields);

            await page.fill('#runs', '100000');
            await page.click('#start');
            const locked = await state();
            assert.deepEqual(locked, { disabled: [true, true, true, true, true], values: ['4', '4', '6', '4', '100000'], dog: '犬 (6, 4)', note: true });
            // Keys and a drag leave the figure where it is.
            await page.focus('#figure-dog');
            await page.keyboard.press('ArrowRight');
            const box = await page.locator('#figure-dog').boundingBox();
            await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
            await page.mouse.down();
            await page.mouse.move(box.x - 3 * box.width, box.y + 3 * box.height, { steps: 5 });
            await page.mouse.up();
            assert.deepEqual(await state(), locked);
            assert.match(await page.textContent('#batch-info'), /犬 \(6, 4\).*ためしています/);

            await page.click('#stop');
            await page.waitForSelector('#start:not([disabled])');
            const freed = await state();
            assert.deepEqual([freed.disabled, freed.note], [[false, false, false, false, false], false]);
            await page.focus('#figure-dog');
            await page.keyboard.press('ArrowRight');
            assert.equal(await page.inputValue('#dog-x'), '7');
        });
    } finally {
        await browser.close();
    }
});

test('a figure on any edge point of the lattice covers no axis number', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher lattice edge', async (page) => {
            await openPage(context, page);
            const covered = await page.evaluate(async () => {
                const set = (id, v) => {
                    const input = document.getElementById(id);
                    input.value = String(v);
                    input.dispatchEvent(new Event('input', { bubbles: true }));
                };
                const numbers = [...document.querySelectorAll('#lattice-grid text')].map((t) => [t.textContent, t.getBoundingClientRect()]);
                const overlap = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
                const found = [];
                const edge = [];
                for (let i = 0; i <= 10; i++) edge.push([0, i], [i, 0], [10, i], [i, 10]);
                for (const who of ['momotaro', 'dog']) {
                    for (const [x, y] of edge) {
                        set(`${who}-x`, x);
                        set(`${who}-y`, y);
                        const r = document.getElementById(`figure-${who}`).getBoundingClientRect();
                        // The white rim around a figure counts as the figure.
                        const rim = { left: r.left - 2, right: r.right + 2, top: r.top - 2, bottom: r.bottom + 2 };
                        for (const [label, box] of numbers) if (overlap(rim, box)) found.push(`${who} (${x},${y}) on ${label}`);
                    }
                }
                return found;
            });
            assert.deepEqual(covered, []);
        });
    } finally {
        await browser.close();
    }
});
