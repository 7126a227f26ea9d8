// The class panel's paste reader on its own (run in Node on the page's very script): each
// kind of input the class may paste, and garbage, each line accounted for by its number.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';
import { buildDir } from './browser.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const source = readFileSync(join(here, '..', '..', 'web', 'teacher', 'classpaste.js'), 'utf8');
// The engine's constants as the build wrote them for the page.
const constants = readFileSync(join(buildDir, 'web', 'teacher', 'constants.js'), 'utf8');
const format = readFileSync(join(here, '..', '..', 'web', 'teacher', 'format.js'), 'utf8');
const { read, MAX_LINES } = vm.runInNewContext(`${constants}${format}${source}; PerneClassPaste`);

const AT = { momotaro: [4, 4], dog: [6, 4] };
const plain = (value) => JSON.parse(JSON.stringify(value)); // out of the script's own realm
const brief = (r) => [r.line, r.mode, ...r.momotaro, ...r.dog, r.meetings, r.seconds, r.full];

test('the student\'s lines: from a sheet, as CSV, with a header, full-width and spaced', () => {
    const sheet = [
        'モード\t桃太郎x\t桃太郎y\t犬x\t犬y\tペルネ回数\t秒',
        '２人が動くとき\t4\t4\t6\t4\t12\t180',
        '１人が動くとき\t4\t4\t6\t4\t5\t180\t\t',
        '',
        '2人が動くとき, 0 ,10,３,７ ,８,\t57',
        '　１人が動くとき，１０，０，０，１０，３，１８０　',
        '"２人が動くとき\t1\t2\t3\t4\t9\t180"',
        '2026/12/07 10:31:02,１人が動くとき,4,4,6,4,7,180', // a form's answers with their time stamp
    ].join('\r\n');
    const r = plain(read(sheet, AT, 0));
    assert.equal(r.header, 1);
    assert.deepEqual(r.unreadable, []);
    assert.equal(r.refused, 0);
    assert.deepEqual(r.runs.map(brief), [
        [2, 0, 4, 4, 6, 4, 12, 180, true],
        [3, 1, 4, 4, 6, 4, 5, 180, true],
        [5, 0, 0, 10, 3, 7, 8, 57, false],
        [6, 1, 10, 0, 0, 10, 3, 180, true],
        [7, 0, 1, 2, 3, 4, 9, 180, true],
        [8, 1, 4, 4, 6, 4, 7, 180, true],
    ]);
    // Without the header the same lines read the same.
    assert.deepEqual(plain(read(sheet.split('\r\n').slice(1).join('\n'), AT, 0)).runs.length, 6);
});

test('a plain column of counts: full runs at the page\'s points in the chosen mode', () => {
    const r = plain(read('ペルネ回数\n12\n ９ \n\n0\n１人が動くとき 7\n', { momotaro: [2, 3], dog: [8, 8] }, 1));
    assert.equal(r.header, 1);
    assert.deepEqual(r.runs.map(brief), [
        [2, 1, 2, 3, 8, 8, 12, 180, true],
        [3, 1, 2, 3, 8, 8, 9, 180, true],
        [5, 1, 2, 3, 8, 8, 0, 180, true],
        [6, 1, 2, 3, 8, 8, 7, 180, true],
    ]);
    assert.deepEqual(plain(read('3\n4', AT, 0)).runs.map((x) => x.mode), [0, 0]);
    // Lines ended in CR alone, and a sheet's 4.0 for 4.
    assert.deepEqual(plain(read('3\r4.0\r', AT, 0)).runs.map((x) => [x.line, x.meetings]), [[1, 3], [2, 4]]);
});

test('garbage is listed by line number with a reason, never dropped or half-read', () => {
    const text = [
        '２人が動くとき\t4\t4\t6\t4\t12\t180',
        '<img src=x onerror=alert(1)>',
        '２人が動くとき\t4\t4\t6\t4\t12',        // a field short
        '２人が動くとき\t11\t4\t6\t4\t12\t180',  // off the lattice
        '１人が動くとき\t4\t4\t6\t4\t-1\t180',
        '１人が動くとき\t4\t4\t6\t4\t2.5\t180',
        '１人が動くとき\t4\t4\t6\t4\t3\t181',
        '３人が動くとき\t4\t4\t6\t4\t3\t180',
        '12 180',
        'x'.repeat(5000),
        '２人が動くとき\t4\t4\t6\t4\t12\t180\tたのしかった',
    ].join('\n');
    const r = plain(read(text, AT, 0));
    assert.equal(r.header, null, 'a first line with data leaves no room for a header');
    assert.deepEqual(r.runs.map((x) => x.line), [1]);
    assert.deepEqual(r.unreadable.map((u) => u.line), [2, 3, 4, 5, 6, 7, 8, 9, 10, 11]);
    for (const u of r.unreadable) assert.ok(u.reason.length > 0, `line ${u.line} says why`);
    assert.equal(r.unreadable[0].text, '<img src=x onerror=alert(1)>');
    assert.match(r.unreadable[2].reason, /0〜10/);
    assert.match(r.unreadable[5].reason, /180/);
    // A heading-like line after the data is not a header but unreadable.
    assert.deepEqual(plain(read('5\nこんにちは', AT, 0)).unreadable.map((u) => u.line), [2]);
});

test('beyond 10,000 lines the rest is refused and counted, however the paste is shaped', () => {
    const many = Array.from({ length: MAX_LINES + 2500 }, (_, i) => String(i % 20)).join('\n');
    const r = read(many, AT, 0);
    assert.equal(r.runs.length, MAX_LINES);
    assert.equal(r.refused, 2500);
    assert.equal(read(`${many}\n`, AT, 0).refused, 2500, 'a last line end adds no line');
    assert.equal(read('7\n'.repeat(MAX_LINES), AT, 0).refused, 0);
    // One enormous line is one unreadable line, read at once.
    const huge = read('２'.repeat(2_000_000), AT, 0);
    assert.deepEqual([huge.runs.length, huge.unreadable.length, huge.refused], [0, 1, 0]);
    assert.deepEqual(plain(read('', AT, 0)), { runs: [], unreadable: [], header: null, refused: 0 });
});
