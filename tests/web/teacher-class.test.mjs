// The class panel on the teacher's page: a known paste gives known numbers (runs, means,
// exact means, standard errors and the words for them), histograms with the exact
// distribution over the bars, points grouped, short runs apart, unreadable lines listed as
// inert text, clear and undo, the CSV, a column of counts and a paste too long. (A batch's
// histograms against the distribution: teacher-batch.test.mjs.)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { buildDir, launch, withPage } from './browser.mjs';
import { csvTables, download, openPage, perneStats } from './teacher-page.mjs';

// The stats engine the page runs, loaded here on its own to work out what the panel must show.
const engine = await createRequire(import.meta.url)(join(buildDir, 'web', 'teacher', 'perne-stats-core.js'))();
const distribution = (mode, [mx, my, dx, dy]) =>
    Array.from(engine.distribution(mode, { momotaro: [mx, my], dog: [dx, dy] }));
function expectedPanel(meetings, dist) {
    const n = meetings.length;
    const mean = meetings.reduce((a, b) => a + b, 0) / n;
    const exactMean = dist.reduce((a, p, k) => a + k * p, 0);
    const variance = dist.reduce((a, p, k) => a + k * k * p, 0) - exactMean ** 2;
    return { n, mean, exactMean, z: (mean - exactMean) / Math.sqrt(variance / n) };
}

const BOTH = [9, 12, 7, 10, 8, 14, 6, 9, 11, 5, 10, 9, 13, 8, 7, 12, 9, 10, 6, 11];
const DOG = [2, 3, 1, 2, 4, 2, 3, 1, 2, 3, 2, 1, 3, 2, 4, 2, 1, 3, 2, 2]; // far below 6.14
const paste = [
    'モード\t桃太郎x\t桃太郎y\t犬x\t犬y\tペルネ回数\t秒',
    ...BOTH.map((m) => `２人が動くとき\t4\t4\t6\t4\t${m}\t180`),
    ...DOG.map((m) => `１人が動くとき\t４\t４\t６\t４\t${m}\t１８０`),
    '２人が動くとき\t4\t4\t6\t4\t3\t57',
    '<img src=x onerror="window.pwned=1"><script>window.pwned=2</script>',
    '=HYPERLINK("x")',
    '１人が動くとき,0,0,10,10,2,180',
    '１人が動くとき,0,0,10,10,1,180',
].join('\n');

// As a paste lands: the box's whole text at once, then one input event.
const pasteInto = (page, text) => page.$eval('#class-paste', (box, t) => {
    box.value = t;
    box.dispatchEvent(new Event('input', { bubbles: true }));
}, text);
const panelNumbers = (page) => page.$$eval('#class-table tbody tr', (rows) => rows.map((r) => [...r.cells].slice(1).map((c) => c.textContent)));
const barsOf = (page, id) => page.$$eval(`#${id} .bar`, (bars) => bars.map((b) => [Number(b.dataset.meetings), Number(b.dataset.runs)]));
const dotsOf = (page, id) => page.$$eval(`#${id} circle.expected`, (c) => c.map((d) => Number(d.dataset.expected)));

test('forty pasted lines against the exact distribution, in words; then a column of counts and too many lines', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, acceptDownloads: true });
        await withPage(context, 'teacher class panel', async (page) => {
            const { requests, errors } = await openPage(context, page);
            await page.click('[data-view-button="class"]');
            await pasteInto(page, paste);
            await page.waitForSelector('#class-panel[data-key="4,4,6,4"]');
            await page.waitForFunction(() => document.getElementById('class-say-dog').dataset.z !== '');

            const both = expectedPanel(BOTH, distribution('both', [4, 4, 6, 4]));
            const dog = expectedPanel(DOG, distribution('dog', [4, 4, 6, 4]));
            const shown = (p) => [String(p.n), p.mean.toFixed(2), p.exactMean.toFixed(2)];
            const rows = await panelNumbers(page);
            assert.deepEqual(rows.slice(0, 3), [0, 1, 2].map((i) => [shown(both)[i], shown(dog)[i]]));
            assert.equal(rows[3][1], `${Math.abs(dog.z).toFixed(1)} 倍（平均の差 −${(dog.exactMean - dog.mean).toFixed(2)}）`);
            assert.ok(Math.abs(Number(await page.getAttribute('#class-say-both', 'data-z')) - both.z) < 1e-3);
            assert.ok(Math.abs(Number(await page.getAttribute('#class-say-dog', 'data-z')) - dog.z) < 1e-3);
            assert.ok(Math.abs(both.z) < 1 && Math.abs(dog.z) > 3, 'the paste was made so');
            assert.match(await page.textContent('#class-say-both'), /とても近い/);
            assert.match(await page.textContent('#class-say-dog'), /ほとんど起きない/);
            // The exact mean beside the class's is the one the page's own table shows.
            const table = await page.$$eval('#exact-table tr[data-key="meanMeetings"] td', (c) => c.map((d) => Number(d.dataset.value)));
            assert.ok(Math.abs(table[0] - both.exactMean) < 1e-9 && Math.abs(table[1] - dog.exactMean) < 1e-9);

            // The histograms: the class's bars, and the distribution scaled to its runs.
            const count = (list) => [...new Set(list)].sort((a, b) => a - b).map((k) => [k, list.filter((m) => m === k).length]);
            assert.deepEqual(await barsOf(page, 'class-histogram-both'), count(BOTH));
            assert.deepEqual(await barsOf(page, 'class-histogram-dog'), count(DOG));
            const dots = await dotsOf(page, 'class-histogram-dog');
            distribution('dog', [4, 4, 6, 4]).slice(0, dots.length).forEach((p, k) =>
                assert.ok(Math.abs(dots[k] - p * 20) < 0.01, `expected runs at ${k}`));
            assert.match(await page.textContent('#class-histogram-dog'), /計算で求めた分布/);
            const svg = await download(page, '[data-download="class-dog"][data-format="svg"]');
            assert.match(svg.name, /^ペルネ_クラス_１人_桃太郎4-4_犬6-4\.svg$/);
            assert.equal((svg.bytes.toString('utf8').match(/class="expected"/g) || []).length, dots.length);
            assert.match(svg.bytes.toString('utf8'), /クラス　１人が動くとき　20 回/);

            // Short runs apart, the other points a group of their own, garbage listed as text.
            assert.match(await page.textContent('#class-short'), /２人 1 回・１人 0 回/);
            assert.match(await page.textContent('#class-status'), /180 秒の実験 42 回.*短い実験 1 回.*2 通り.*読めない行が 2 行/);
            assert.match(await page.textContent('#class-problems summary'), /: 43・44 行目/);
            assert.equal(await page.evaluate(() => window.pwned), undefined);
            assert.equal(await page.$$eval('#class-panel img, #class-panel script', (x) => x.length), 0);
            assert.match(await page.textContent('#class-problems ol'), /^43 行目: .*<img src=x onerror=/);

            await page.selectOption('#class-group', '0,0,10,10');
            await page.waitForFunction(() => document.getElementById('class-table').rows[3].cells[2].textContent !== '計算中…');
            const far = expectedPanel([2, 1], distribution('dog', [0, 0, 10, 10]));
            const native = csvTables(perneStats(['--momotaro', '0,0', '--dog', '10,10', '--runs', '1', '--csv', '-']))[0];
            assert.ok(Math.abs(far.exactMean - Number(native[1].exact_mean)) < 1e-9, 'the engine agrees with perne-stats');
            assert.deepEqual((await panelNumbers(page)).map((r) => r[1]), ['2', '1.50', far.exactMean.toFixed(2), `${Math.abs(far.z).toFixed(1)} 倍（平均の差 ${far.mean > far.exactMean ? '+' : '−'}${Math.abs(far.mean - far.exactMean).toFixed(2)}）`]);
            assert.match(await page.textContent('#class-say-dog'), /まだ回数が少ない/);

            // The CSV: every run, then the unreadable lines quoted and never a formula.
            const csv = await download(page, '#class-csv');
            const [runs, unreadable] = csvTables(csv.bytes.toString('utf8'));
            assert.equal(runs.length, 43);
            assert.deepEqual(runs[40], { line: '42', mode: 'both', momotaro_x: '4', momotaro_y: '4', dog_x: '6', dog_y: '4', meetings: '3', seconds: '57', full_run: '0' });
            assert.deepEqual(unreadable.map((u) => u.line), ['43', '44']);
            assert.match(csv.bytes.toString('utf8'), /\r\n44,"[^"]+","'=HYPERLINK\(""x""\)"\r\n$/);

            // Clear, and undo the clear.
            await page.click('#class-clear');
            assert.equal(await page.inputValue('#class-paste'), '');
            assert.match(await page.textContent('#class-status'), /まだ何も/);
            assert.equal(await page.$$eval('#class-histogram-both .bar', (b) => b.length), 0);
            await page.click('#class-clear');
            assert.equal(await page.inputValue('#class-paste'), paste);

            // A column of counts, read at the page's points, and a paste beyond 10,000 lines.
            await page.click('[data-view-button="points"]');
            await page.fill('#dog-x', '９');
            await page.click('[data-view-button="class"]');
            await page.check('input[name="class-count-mode"][value="1"]');
            await page.fill('#class-paste', 'ペルネ回数\n5\n７\n\n 3 ');
            await page.waitForSelector('#class-panel[data-key="4,4,9,4"]');
            assert.deepEqual((await panelNumbers(page)).slice(0, 2), [['0', '3'], ['—', '5.00']]);
            assert.match(await page.textContent('#class-count-where'), /犬 \(9, 4\)/);
            await pasteInto(page, Array.from({ length: 10050 }, (_, i) => String(i % 9)).join('\n'));
            assert.match(await page.textContent('#class-status'), /10000 行をこえた 50 行は読みませんでした/);
            assert.equal((await panelNumbers(page))[0][1], '10000');
            assert.deepEqual(requests, []);
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

// The chance that a standard normal lands at least x from 0, either side (Simpson's rule).
function twoSidedTail(x) {
    const steps = 4000, end = 12, h = (end - x) / steps;
    const phi = (t) => Math.exp(-t * t / 2) / Math.sqrt(2 * Math.PI);
    let sum = phi(x) + phi(end);
    for (let i = 1; i < steps; i++) sum += (i % 2 ? 4 : 2) * phi(x + i * h);
    return 2 * sum * h / 3;
}

// Class means whose gaps, one above and one below the exact mean, both show as 1.0 倍.
function pastesAtOneSe(dist, n) {
    const mu = dist.reduce((a, p, k) => a + k * p, 0);
    const se = Math.sqrt((dist.reduce((a, p, k) => a + k * k * p, 0) - mu * mu) / n);
    const runsSumming = (sum) => Array.from({ length: n }, (_, i) => Math.floor(sum / n) + (i < sum % n ? 1 : 0));
    const find = (sign) => {
        for (let sum = 0; sum < 40 * n; sum++) {
            const z = (sum / n - mu) / se;
            if (Math.sign(z) === sign && Math.abs(z).toFixed(1) === '1.0') return runsSumming(sum);
        }
        throw new Error('no such class');
    };
    return [find(1), find(-1)];
}

test('the words follow the multiple on the screen, whatever its sign, and give the real odds of chance; a header alone is no empty box', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher class verdicts', async (page) => {
            const { errors } = await openPage(context, page);
            await page.click('[data-view-button="class"]');

            // Every multiple the table can show, from just below to just above its rounding,
            // on either side of the exact mean: one sentence, and its odds the normal tail's.
            const multiples = Array.from({ length: 41 }, (_, i) => i / 10);
            const said = await page.evaluate((ds) => ds.map((d) => [d - 0.0499, d, d + 0.0499, -(d - 0.0499), -d, -(d + 0.0499)]
                .filter((z) => Math.abs(z).toFixed(1) === d.toFixed(1))
                .map((z) => PerneClassPanel.verdict(z))), multiples);
            multiples.forEach((d, i) => {
                const words = said[i];
                assert.ok(words.length >= 3, `${d}`);
                assert.equal(new Set(words).size, 1, `one verdict at ${d.toFixed(1)} 倍: ${words.join(' / ')}`);
                const sentence = words[0];
                const once = 1 / twoSidedTail(d); // a gap this large comes once in this many
                let m;
                if ((m = sentence.match(/(\d+)〜(\d+) 回に 1 回くらい/)))
                    assert.ok(once >= Number(m[1]) / 1.25 && once <= Number(m[2]) * 1.25, `${d}: ${sentence} (once in ${once.toFixed(1)})`);
                else if ((m = sentence.match(/(\d+) 回に 1 回くらい/)))
                    assert.ok(once >= Number(m[1]) / 1.6 && once <= Number(m[1]) * 1.6, `${d}: ${sentence} (once in ${once.toFixed(1)})`);
                else if ((m = sentence.match(/(\d+) 回に 1 回も(起きない|ない)/)))
                    assert.ok(once >= Number(m[1]), `${d}: ${sentence} (once in ${once.toFixed(1)})`);
                else if (/よく起きる/.test(sentence)) assert.ok(once < 3, `${d}: ${sentence} (once in ${once.toFixed(1)})`);
                else assert.fail(`${d}: no odds in ${sentence}`);
            });
            const at = (d) => said[Math.round(d * 10)][0];
            assert.match(at(1.0), /3 回に 1 回くらい/);
            assert.match(at(2.0), /20 回に 1 回くらい/);
            assert.doesNotMatch(at(2.5), /20 回に 1 回/);
            assert.doesNotMatch(at(1.8), /よく起きる/);
            for (const d of [2.6, 3, 4]) assert.match(at(d), /100 回に 1 回も|1000 回に 1 回もない/);
            assert.match(at(4), /ほとんど起きない/);

            // On the panel: a class above and one below by 1.0 standard error read alike,
            // and the row shows its multiple first, the gap in meetings labelled.
            await page.waitForFunction(() => document.getElementById('class-table').rows[3] !== undefined);
            const dist = distribution('dog', [4, 4, 6, 4]);
            for (const runs of pastesAtOneSe(dist, 40)) {
                const expected = expectedPanel(runs, dist);
                await pasteInto(page, runs.map((m) => `１人が動くとき\t4\t4\t6\t4\t${m}\t180`).join('\n'));
                await page.waitForFunction((z) => document.getElementById('class-say-dog').dataset.z === z, expected.z.toFixed(3));
                const gap = expected.mean - expected.exactMean;
                assert.equal((await panelNumbers(page))[3][1], `1.0 倍（平均の差 ${gap > 0 ? '+' : '−'}${Math.abs(gap).toFixed(2)}）`);
                assert.equal(await page.textContent('#class-say-dog'), `１人: ${at(1.0)}`);
            }

            // A header with no lines under it is not an empty box; blank lines are.
            for (const [text, status] of [
                ['モード\t桃太郎x\t桃太郎y\t犬x\t犬y\tペルネ回数\t秒', /^見出しの行（1 行目）だけで、実験の行がありません。$/],
                ['\n\nペルネ回数\n\n', /^見出しの行（3 行目）だけで、実験の行がありません。$/],
                ['\n \n', /^まだ何も貼りつけられていません。$/],
            ]) {
                await pasteInto(page, text);
                assert.match(await page.textContent('#class-status'), status);
                assert.equal(await page.$$eval('#class-histogram-dog .bar', (b) => b.length), 0);
            }
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

// The boxes of the exact mean's label and of every bar and point that it overlaps, in
// one SVG (its user units).
const MODE_NAMES = ['２人が動くとき', '１人が動くとき'];
const labelOverlaps = (svg) => {
    const box = (el) => el.getBBox();
    const label = svg.querySelector('.exact-mean-label');
    if (!label) return null;
    const l = box(label);
    return [...svg.querySelectorAll('.bar, circle.expected')].filter((el) => {
        const b = box(el);
        return b.x < l.x + l.width && l.x < b.x + b.width && b.y < l.y + l.height && l.y < b.y + b.height;
    }).map((el) => `${el.getAttribute('class')} ${el.dataset.meetings}`);
};

test('the exact mean\'s label stays clear of the tallest bars beside it, on screen and saved', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1920, height: 1080 }, acceptDownloads: true });
        await withPage(context, 'teacher class mean label', async (page) => {
            const { errors } = await openPage(context, page);
            await page.click('[data-view-button="class"]');
            // Each mode's runs piled up at the counts just at and right of its exact mean,
            // where the label is written: the bars stand as tall as the plot.
            const lines = [];
            for (const [mode, name] of [[0, 'both'], [1, 'dog']]) {
                const dist = distribution(name, [4, 4, 6, 4]);
                const k = Math.round(dist.reduce((a, p, i) => a + i * p, 0));
                for (let i = 0; i < 30; i++) lines.push(`${MODE_NAMES[mode]}\t4\t4\t6\t4\t${k + (i % 3)}\t180`);
            }
            await pasteInto(page, lines.join('\n'));
            await page.waitForFunction(() => document.querySelectorAll('#class-panel .exact-mean-label').length === 2);
            for (const name of ['both', 'dog']) {
                const shown = await page.$eval(`#class-histogram-${name} svg`, labelOverlaps);
                assert.deepEqual(shown, [], `${name} on screen`);
                const saved = await download(page, `[data-download="class-${name}"][data-format="svg"]`);
                await page.evaluate((text) => {
                    const holder = document.createElement('div');
                    holder.id = 'saved-chart';
                    holder.innerHTML = text;
                    document.body.append(holder);
                }, saved.bytes.toString('utf8'));
                const inSaved = await page.$eval('#saved-chart svg', labelOverlaps);
                await page.$eval('#saved-chart', (holder) => holder.remove());
                assert.deepEqual(inSaved, [], `${name} saved`);
                // The bars really are tall: the highest reaches the top gridline.
                const tops = await page.$$eval(`#class-histogram-${name} .bar`, (bars) => bars.map((b) => Number(b.getAttribute('y'))));
                const grid = await page.$$eval(`#class-histogram-${name} line[stroke="#d0d0d0"]`, (l) => Math.min(...l.map((g) => Number(g.getAttribute('y1')))));
                assert.equal(tops.length, 3);
                assert.ok(Math.abs(Math.min(...tops) - grid) < 1, `${name}: the bars reach the top gridline`);
            }
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});

test('an unreadable line\'s number selects that line in the box and brings it into view', async () => {
    const browser = await launch();
    try {
        const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
        await withPage(context, 'teacher class line links', async (page) => {
            const { errors } = await openPage(context, page);
            await page.click('[data-view-button="class"]');
            // Sixty lines, ended in CR LF as a sheet copies them, two of them unreadable far
            // down the box, one long enough to wrap before the last.
            const lines = Array.from({ length: 60 }, (_, i) => `２人が動くとき\t4\t4\t6\t4\t${i % 13}\t180`);
            lines[44] = 'ｘｘｘ　読めない行　' + 'あ'.repeat(80);
            lines[57] = '２人が動くとき\t4\t4\t6\t4\tたくさん\t180';
            await pasteInto(page, lines.join('\r\n'));
            assert.match(await page.textContent('#class-problems summary'), /: 45・58 行目/);
            await page.click('#class-problems summary');
            for (const line of [58, 45]) {
                await page.click(`#class-problems .line-link[data-line="${line}"]`);
                const at = await page.$eval('#class-paste', (box) => ({
                    focused: document.activeElement === box,
                    selected: box.value.slice(box.selectionStart, box.selectionEnd),
                    start: box.selectionStart,
                    scrollTop: box.scrollTop,
                    height: box.clientHeight,
                    box: box.getBoundingClientRect().toJSON(),
                }));
                assert.ok(at.focused, `${line}: the box has the focus`);
                assert.equal(at.selected, lines[line - 1]);
                // The selected line lies within the box's visible part: where a caret at its
                // start is drawn, measured by the page's own layout of a copy of the box.
                const y = await page.$eval('#class-paste', (box, start) => {
                    const copy = /** @type {HTMLTextAreaElement} */ (box.cloneNode());
                    copy.value = box.value.slice(0, start) + 'I';
                    copy.style.height = '0px';
                    box.after(copy);
                    const h = copy.scrollHeight;
                    copy.remove();
                    return h;
                }, at.start);
                assert.ok(y > at.scrollTop && y <= at.scrollTop + at.height + 1, `${line}: line at ${y}, box shows ${at.scrollTop}–${at.scrollTop + at.height}`);
                assert.ok(at.scrollTop > 0, `${line}: the box scrolled`);
                assert.ok(at.box.top >= 0 && at.box.bottom <= 800, `${line}: the box is on the screen`);
            }
            assert.deepEqual(errors, []);
        });
    } finally {
        await browser.close();
    }
});
