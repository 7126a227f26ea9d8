// What the teacher's page tests share: the page opened from its file with the network cut,
// perne-stats run for the same points, the CSV tables, and downloads caught as bytes.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFile } from 'node:fs/promises';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { buildDir } from './browser.mjs';

const here = dirname(fileURLToPath(import.meta.url));

export const pageUrl = pathToFileURL(join(buildDir, 'perne-stats.html')).href;

// The native program of the normal build, or PERNE_STATS.
const statsBinary = resolve(process.env.PERNE_STATS ?? join(here, '..', '..', 'build', 'cli', 'perne-stats'));

export function perneStats(args) {
    return execFileSync(statsBinary, args, { encoding: 'utf8', maxBuffer: 256 << 20 });
}

// A CSV of tables separated by empty lines: one array of row objects per table.
export function csvTables(text) {
    return text.replace(/^\uFEFF/, '').trim().split(/\r?\n\r?\n/).map((block) => {
        const [header, ...rows] = block.split(/\r?\n/).map((line) => line.split(','));
        return rows.map((cells) => Object.fromEntries(header.map((name, i) => [name, cells[i]])));
    });
}

export const key = (m, d) => `${m[0]},${m[1]},${d[0]},${d[1]}`;

// The exact-value table as shown ({ row: [[text, value] per mode] }) against perne-stats for
// the same points: each value to 1e-12 of it, and shown to perne-stats' decimals.
const FIELDS = [
    ['meanMeetings', 'exact_mean', 4],
    ['meetingProbability', 'exact_p_meet', 6],
    ['firstMeetingSeconds', 'exact_first_meeting_s', 3],
    ['meanMoves', 'exact_moves', 3],
    ['meetingsPer100Moves', 'exact_meetings_per_100_moves', 4],
];
export function assertShownAsPerneStats(shown, m, d) {
    const [summary] = csvTables(perneStats(['--runs', '0', '--csv', '-', '--momotaro', m.join(','), '--dog', d.join(',')]));
    for (const [row, column, decimals] of FIELDS) {
        summary.forEach((native, mode) => {
            const want = Number(native[column]);
            const [text, value] = shown[row][mode];
            assert.ok(Math.abs(Number(value) - want) <= 1e-12 * Math.abs(want), `${key(m, d)} ${column} ${native.mode}: ${value} vs ${want}`);
            assert.equal(text, want.toFixed(decimals), `${key(m, d)} ${column} as shown`);
        });
    }
}

// The exact-value table, read in the page (any engine).
export const readExactTable = () => Object.fromEntries([...document.querySelectorAll('#exact-table tr[data-key]')]
    .map((tr) => [tr.dataset.key, [...tr.querySelectorAll('td')].map((td) => [td.textContent, td.dataset.value])]));

// The page from its file, with every http(s) request refused and remembered.
export async function openPage(context, page) {
    const requests = [];
    await context.route(/^https?:/, (route) => {
        requests.push(route.request().url());
        return route.abort();
    });
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(pageUrl);
    await page.waitForSelector('#exact-table[data-key="4,4,6,4"]');
    return { requests, errors };
}

export async function waitForPoints(page, m, d) {
    await page.waitForSelector(`#exact-table[data-key="${key(m, d)}"]:not(.pending)`);
}

// Clicks the button and returns what it saved, as a Buffer, with the file name.
export async function download(page, selector) {
    const [file] = await Promise.all([page.waitForEvent('download'), page.click(selector)]);
    return { name: file.suggestedFilename(), bytes: await readFile(await file.path()) };
}

// The centre of lattice point p on the screen; the lattice tells its margin before 0 and its
// whole span in lattice units.
export async function latticePoint(page, p) {
    const box = await page.locator('#lattice').boundingBox();
    const [lead, span] = await page.$eval('#lattice', (l) => [Number(l.dataset.lead), Number(l.dataset.span)]);
    return { x: box.x + ((p[0] + lead) / span) * box.width, y: box.y + ((p[1] + lead) / span) * box.height };
}

export async function figureCentre(page, who) {
    const box = await page.locator(`#figure-${who}`).boundingBox();
    return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}
