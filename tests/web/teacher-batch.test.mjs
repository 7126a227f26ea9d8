// The teacher's page's batches: a fixed seed gives perne-stats' runs; the progress bar moves,
// Stop keeps the finished runs and another batch can follow; the downloads are well-formed;
// bad numbers are refused before anything starts.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { buildDir, launch, withPage } from './browser.mjs';
import { csvTables, download, openPage, perneStats, waitForPoints } from './teacher-page.mjs';

// The stats engine the page runs, loaded here on its own for the exact distribution.
const engine = await createRequire(import.meta.url)(join(buildDir, 'web', 'teacher', 'perne-stats-core.js'))();

const finished = (page) => page.waitForSelector('#start:not([disabled])', { timeout: 120000 });
const barsOf = (page, mode) => page.$$eval(`#histogram-${mode} .bar`,
    (bars) => bars.map((b) => [Number(b.dataset.meetings), Number(b.dataset.runs)]));

// The histogram table of a CSV as [meetings, runs] pairs with runs, per mode.
function histogramOf(table, mode) {
    return table.filter((r) => r.mode === mode && r.runs !== '0').map((r) => [Number(r.meetings), Number(r.runs)]);
}

test('a fixed seed gives perne-stats\' runs, and the downloads are well-formed', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
        await withPage(context, 'teacher seeded batch', async (page) => {
            const { requests, errors } = await openPage(context, page);
            await page.fill('#momotaro-x', '3');
            await page.fill('#momotaro-y', '7');
            await page.fill('#dog-x', '8');
            await page.fill('#dog-y', '2');
            await waitForPoints(page, [3, 7], [8, 2]);
            await page.fill('#runs', '2000');
            assert.equal(await page.textContent('#start'), '2000 回ためす');
            await page.fill('#seed', '20261206');
            await page.click('#start');
            await finished(page);
            assert.equal(await page.getAttribute('#progress', 'aria-valuenow'), '100');
            assert.match(await page.textContent('#batch-info'), /20261206/);

            const native = csvTables(perneStats(['--seed', '20261206', '--runs', '2000', '--momotaro', '3,7', '--dog', '8,2', '--csv', '-']));
            for (const mode of ['both', 'dog'])
                assert.deepEqual(await barsOf(page, mode), histogramOf(native[1], mode), `${mode} histogram on the page`);

            // The CSV: CRLF, and the runs of the chosen points (its mark, summary and seed at the
            // first points: teacher-engines.test.mjs).
            const text = (await download(page, '#download-csv')).bytes.toString('utf8');
            assert.ok(!/[^\r]\n/.test(text), 'every line ends in CRLF');
            const [, histogram, runs] = csvTables(text);
            assert.deepEqual(histogram, native[1]);
            assert.deepEqual(runs, native[2]);

            // Each chart as SVG (well-formed XML) and as PNG (decodes, twice the chart's size).
            for (const chart of ['curve', 'both', 'dog']) {
                const svg = await download(page, `[data-download="${chart}"][data-format="svg"]`);
                assert.match(svg.name, /\.svg$/);
                const parsed = await page.evaluate((source) => {
                    const doc = new DOMParser().parseFromString(source, 'image/svg+xml');
                    return { error: doc.querySelector('parsererror') !== null, root: doc.documentElement.localName };
                }, svg.bytes.toString('utf8'));
                assert.deepEqual(parsed, { error: false, root: 'svg' }, `${chart}.svg`);

                const png = await download(page, `[data-download="${chart}"][data-format="png"]`);
                assert.match(png.name, /\.png$/);
                const size = await page.evaluate(async (base64) => {
                    const image = new Image();
                    image.src = `data:image/png;base64,${base64}`;
                    await image.decode();
                    return [image.naturalWidth, image.naturalHeight];
                }, png.bytes.toString('base64'));
                assert.deepEqual(size, [1920, 1080], `${chart}.png`);
            }
            assert.deepEqual(requests, []);
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

test('the progress bar moves, Stop keeps the finished runs, and another batch can follow', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1366, height: 768 } });
        await withPage(context, 'teacher stopped batch', async (page) => {
            await openPage(context, page);
            await page.fill('#runs', '100000');
            await page.fill('#seed', '7');
            await page.click('#start');
            const seen = new Set();
            while (seen.size < 3) {
                await page.waitForFunction((last) => Number(document.getElementById('progress').getAttribute('aria-valuenow')) > last,
                    Math.max(0, ...seen), { timeout: 60000 });
                seen.add(Number(await page.getAttribute('#progress', 'aria-valuenow')));
            }
            await page.click('#stop');
            await finished(page);
            assert.ok(Number(await page.getAttribute('#progress', 'aria-valuenow')) < 100, 'stopped before the end');
            assert.match(await page.textContent('#batch-info'), /中止/);

            // What finished is kept: the histograms hold as many runs as the CSV, and those are
            // perne-stats' first runs for the seed.
            const csv = csvTables((await download(page, '#download-csv')).bytes.toString('utf8'));
            const done = ['both', 'dog'].map((mode) => csv[2].filter((r) => r.mode === mode).length);
            assert.ok(done.every((n) => n > 0 && n < 100000), `runs kept: ${done}`);
            const native = csvTables(perneStats(['--seed', '7', '--runs', String(Math.max(...done)), '--csv', '-']));
            ['both', 'dog'].forEach((mode, i) => {
                assert.deepEqual(csv[2].filter((r) => r.mode === mode), native[2].filter((r) => r.mode === mode).slice(0, done[i]));
                assert.equal(csv[0][i].runs, String(done[i]));
            });
            for (const [i, mode] of ['both', 'dog'].entries()) {
                const total = (await barsOf(page, mode)).reduce((sum, [, n]) => sum + n, 0);
                assert.equal(total, done[i], `${mode} histogram holds the finished runs`);
            }

            // A new batch starts from nothing and runs to the end; over its bars, the exact
            // distribution scaled to its runs.
            await page.fill('#runs', '300');
            await page.click('#start');
            await finished(page);
            assert.equal(await page.getAttribute('#progress', 'aria-valuenow'), '100');
            await page.waitForSelector('#histogram-dog circle.expected');
            for (const [i, mode] of ['both', 'dog'].entries()) {
                const total = (await barsOf(page, mode)).reduce((sum, [, n]) => sum + n, 0);
                assert.equal(total, 300);
                const dots = await page.$$eval(`#histogram-${mode} circle.expected`, (c) => c.map((d) => Number(d.dataset.expected)));
                assert.ok(dots.length > 5, `${mode}: expected runs drawn`);
                Array.from(engine.distribution(mode, { momotaro: [4, 4], dog: [6, 4] })).slice(0, dots.length).forEach((p, k) =>
                    assert.ok(Math.abs(dots[k] - p * 300) < 0.01, `${mode} expected runs at ${k}`));
            }
            const svg = (await download(page, '[data-download="both"][data-format="svg"]')).bytes.toString('utf8');
            assert.match(svg, /class="expected"/);
            assert.match(svg, /計算で求めた分布/);
        });
    } finally {
        await browser.close();
    }
});

test('bad numbers of runs and seeds are refused next to the field and start nothing', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1180, height: 820 }, hasTouch: true });
        await withPage(context, 'teacher bad runs', async (page) => {
            await openPage(context, page);
            // A finished batch on screen, which a refused start must leave as it is.
            await page.fill('#runs', '50');
            await page.fill('#seed', '3');
            await page.click('#start');
            await finished(page);
            const shown = () => Promise.all([page.textContent('#batch-info'), page.textContent('#progress-text'),
                barsOf(page, 'both'), barsOf(page, 'dog')]);
            const before = await shown();
            for (const [field, text] of [['#runs', '0'], ['#runs', '-5'], ['#runs', 'abc'], ['#runs', '100001'],
                                         ['#runs', '2.5'], ['#runs', ''], ['#seed', 'x1'], ['#seed', '-3'],
                                         ['#seed', '18446744073709551616']]) {
                await page.fill(field, text);
                await page.click('#start');
                const message = field === '#runs' ? '#runs-message' : '#seed-message';
                assert.match(await page.textContent(message), /./, `${field} "${text}" refused`);
                assert.equal(await page.isDisabled('#stop'), true, 'nothing started');
                assert.deepEqual(await shown(), before, 'the last batch is still shown');
                await page.fill('#runs', '50');
                await page.fill('#seed', '3');
                assert.equal(await page.textContent('#runs-message') + await page.textContent('#seed-message'), '');
            }
        });
    } finally {
        await browser.close();
    }
});
