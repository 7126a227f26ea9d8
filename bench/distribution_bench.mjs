// How long the teacher's page takes for the exact distribution of the meeting count, both
// modes for one pair of points: the page's WebAssembly core (perne-stats-core.js, as the
// page's worker runs it) in a Web Worker of Debian's headless Chromium, timed by the worker's
// own clock; the same under Node for comparison. Medians of 5 after one to warm up, for the
// usual points and for a pair in one corner, which meets most often.
//
//   node bench/distribution_bench.mjs            (after tools/web.sh; tests/web's npm ci)
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { buildDir, launch } from '../tests/web/browser.mjs';

const corePath = join(buildDir, 'web', 'teacher', 'perne-stats-core.js');
const cases = [[4, 4, 6, 4], [0, 0, 0, 0]];

// Runs in the worker (and under Node): the milliseconds of each repeat, both modes together.
function timeBoth(Module, points, repeats) {
    const times = [];
    let rows = 0;
    for (let i = 0; i <= repeats; i++) {
        const begun = performance.now();
        const start = { momotaro: points.slice(0, 2), dog: points.slice(2) };
        rows = Module.distribution('both', start).length + Module.distribution('dog', start).length;
        if (i > 0) times.push(performance.now() - begun);
    }
    return { times, rows };
}

function report(where, points, { times, rows }) {
    const sorted = [...times].sort((a, b) => a - b);
    console.log(`${where} (${points.slice(0, 2)})/(${points.slice(2)}): both modes ` +
        `${(sorted[2] / 1000).toFixed(3)} s median (${sorted.map((t) => (t / 1000).toFixed(3)).join(', ')}), ${rows} rows`);
}

const Module = await createRequire(import.meta.url)(corePath)();
for (const points of cases) report('Node     ', points, timeBoth(Module, points, 5));

const browser = await launch();
try {
    const page = await browser.newPage();
    const results = await page.evaluate(async ({ core, timer, cases }) => {
        const source = `${core}\n;const timeBoth = ${timer};\n` +
            `createPerneStats().then((M) => postMessage(${JSON.stringify(cases)}.map((p) => timeBoth(M, p, 5))));`;
        const worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
        return new Promise((resolve, reject) => {
            worker.onmessage = (e) => resolve(e.data);
            worker.onerror = (e) => reject(new Error(e.message));
        });
    }, { core: readFileSync(corePath, 'utf8'), timer: timeBoth.toString(), cases });
    cases.forEach((points, i) => report('Chromium ', points, results[i]));
} finally {
    await browser.close();
}
