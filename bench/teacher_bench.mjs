// How long the teacher's page takes for a batch of each mode, in Debian's headless Chromium:
// from the click on "N 回ためす" to the page showing the finished histograms, as the page's
// own clock sees it, and the processor time all of Chromium's processes spent meanwhile (which
// other work on a shared machine does not inflate). Medians of a few batches, after one to
// warm up.
//
//   node bench/teacher_bench.mjs [RUNS] [REPEATS]       (after tools/web.sh; tests/web's npm ci)
import { readdirSync, readFileSync } from 'node:fs';
import { launch } from '../tests/web/browser.mjs';
import { pageUrl } from '../tests/web/teacher-page.mjs';

const runs = Number(process.argv[2] ?? 10000);
const repeats = Number(process.argv[3] ?? 5);

// User + system seconds of every process descended from this one (the browser and its
// renderer, GPU and utility processes), from /proc.
function chromiumSeconds() {
    const stats = readdirSync('/proc').filter((d) => /^\d+$/.test(d)).flatMap((pid) => {
        try {
            const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
            return [{ pid: Number(pid), parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) }];
        } catch {
            return []; // gone meanwhile
        }
    });
    const ours = new Set([process.pid]);
    for (let grew = true; grew;) {
        grew = false;
        for (const s of stats) {
            if (ours.has(s.pid) || !ours.has(s.parent)) continue;
            ours.add(s.pid);
            grew = true;
        }
    }
    ours.delete(process.pid);
    return stats.filter((s) => ours.has(s.pid)).reduce((sum, s) => sum + s.ticks, 0) / 100;
}

const browser = await launch();
try {
    const page = await browser.newPage({ viewport: { width: 1920, height: 1080 } });
    await page.goto(pageUrl);
    await page.waitForSelector('#exact-table[data-key]');
    await page.fill('#runs', String(runs));
    await page.fill('#seed', '1');
    const times = [];
    const processor = [];
    for (let i = 0; i <= repeats; i++) {
        const before = chromiumSeconds();
        const ms = await page.evaluate(() => new Promise((resolve) => {
            const start = document.getElementById('start');
            const begun = performance.now();
            const watch = new MutationObserver(() => {
                if (start.disabled) return;
                watch.disconnect();
                // The histograms are drawn on the next frame after the last report.
                requestAnimationFrame(() => resolve(performance.now() - begun));
            });
            watch.observe(start, { attributes: true });
            start.click();
        }));
        const cpu = chromiumSeconds() - before;
        if (i > 0) {
            times.push(ms / 1000);
            processor.push(cpu);
        }
    }
    const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
    const all = (list) => list.map((t) => t.toFixed(2)).join(', ');
    console.log(`${runs} runs of each mode: wall ${median(times).toFixed(3)} s (${all(times)}), ` +
        `Chromium processor time ${median(processor).toFixed(2)} s (${all(processor)})`);
} finally {
    await browser.close();
}
