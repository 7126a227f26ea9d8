// The teacher's page when its workers cannot start: the WebAssembly compile refused inside
// them, their script failing before it runs, or no worker at all. The page says so where the
// exact values and the batch's results would be, in place of waiting without a word, and
// everything that needs no worker goes on: the points, the views, the class's pasted results.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { launch, withPage } from './browser.mjs';
import { figureCentre, latticePoint, pageUrl } from './teacher-page.mjs';

const FAILED = '計算を始められませんでした（メモリが足りないか、ブラウザーが WebAssembly を止めています）。'
    + 'ほかのタブを閉じてページを開き直すか、ほかのブラウザーで開いてください。';

// Put before the page's scripts: every worker the page makes fails in the given way, and
// what reaches the page as an error of its own (a worker's error the page leaves unhandled
// does) is noted.
function spoilWorkers(how) {
    window.pageErrors = [];
    addEventListener('error', (e) => window.pageErrors.push(e.message));
    addEventListener('unhandledrejection', (e) => window.pageErrors.push(String(e.reason)));
    const RealWorker = window.Worker;
    window.Worker = class extends RealWorker {
        constructor(url, options) {
            if (how === 'refused') throw new DOMException('no workers here', 'SecurityError');
            let source = `throw new Error('out of memory');`;
            if (how === 'compile') {
                const request = new XMLHttpRequest(); // the page's own worker, compile refused
                request.open('GET', url, false);
                request.send();
                source = `WebAssembly.instantiate = () => Promise.reject(new Error('compile refused'));\n${request.responseText}`;
            }
            super(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })), options);
        }
    };
}

const paste = ['２人が動くとき\t4\t4\t6\t4\t9\t180', '２人が動くとき\t4\t4\t6\t4\t12\t180',
    '１人が動くとき\t4\t4\t6\t4\t3\t180'].join('\n');

for (const how of ['compile', 'script', 'refused']) {
    test(`workers that cannot start (${how}): the page says so and the rest goes on`, async () => {
        const browser = await launch();
        try {
            const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
            await context.route(/^https?:/, (route) => route.abort());
            await context.addInitScript(spoilWorkers, how);
            await withPage(context, `teacher workers ${how}`, async (page) => {
                await page.goto(pageUrl);

                // Where the exact values would be, and where the batch's results would be.
                const caption = page.locator('#exact-table caption');
                await caption.waitFor();
                assert.equal(await caption.textContent(), FAILED);
                assert.equal(await page.locator('#exact-table').getAttribute('class'), '');
                assert.ok(await caption.isVisible());
                assert.equal(await page.textContent('#batch-info'), FAILED);
                assert.equal(await page.isDisabled('#start'), true, 'no batch to wait for');
                assert.equal(await page.isDisabled('#stop'), true);

                // The points still move, by typing and by dragging, and refuse what is off the lattice.
                await page.fill('#dog-x', '9');
                const near = async (who, p) => {
                    const [c, want] = [await figureCentre(page, who), await latticePoint(page, p)];
                    return Math.hypot(c.x - want.x, c.y - want.y) < 2;
                };
                assert.ok(await near('dog', [9, 4]));
                await page.fill('#dog-y', '11');
                assert.notEqual(await page.textContent('#dog-message'), '');
                assert.ok(await near('dog', [9, 4]));
                const from = await figureCentre(page, 'momotaro');
                const to = await latticePoint(page, [1, 2]);
                await page.mouse.move(from.x, from.y);
                await page.mouse.down();
                await page.mouse.move(to.x, to.y, { steps: 6 });
                await page.mouse.up();
                assert.ok(await near('momotaro', [1, 2]));
                assert.equal(await page.inputValue('#momotaro-x'), '1');

                // The views switch, and the class's results are read and averaged.
                await page.click('[data-view-button="class"]');
                assert.equal(await page.getAttribute('main', 'data-view'), 'class');
                await page.$eval('#class-paste', (box, t) => {
                    box.value = t;
                    box.dispatchEvent(new Event('input', { bubbles: true }));
                }, paste);
                const mean = await page.$eval('#class-table tbody tr:nth-child(2)', (r) => [...r.cells].slice(1).map((c) => c.textContent));
                assert.deepEqual(mean, ['10.50', '3.00']);
                assert.equal(await caption.textContent(), FAILED, 'still said');
                assert.deepEqual(await page.evaluate(() => window.pageErrors), []);
            });
        } finally {
            await browser.close();
        }
    });
}
