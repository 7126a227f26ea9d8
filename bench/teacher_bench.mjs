// How long the teacher's page takes for a batch of each mode, in Debian's headless Chromium:
// from the click on "N 回ためす" to the page showing the finished histograms, as the page's
// own clock sees it. The median of a few batches (after one to warm up) is printed.
//
//   node bench/teacher_bench.mjs [RUNS] [REPEATS]       (after tools/web.sh; tests/web's npm ci)
import { launch } from '../tests/web/browser.mjs';
import { pageUrl } from '../tests/web/teacher-page.mjs';

const runs = Number(process.argv[2] ?? 10000);
const repeats = Number(process.argv[3] ?? 5);

const browser = await launch();
try {
    const page = await browser.newPage({ viewport: { width: 1920, height: 1080 } });
    await page.goto(pageUrl);
    await page.waitForSelector('#exact-table[data-key]');
    await page.fill('#runs', String(runs));
    await page.fill('#seed', '1');
    const times = [];
    for (let i = 0; i <= repeats; i++) {
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
        if (i > 0) times.push(ms);
    }
    times.sort((a, b) => a - b);
    const median = times[Math.floor(times.length / 2)];
    console.log(`${runs} runs of each mode: median ${(median / 1000).toFixed(3)} s ` +
        `(${times.map((t) => (t / 1000).toFixed(3)).join(', ')})`);
} finally {
    await browser.close();
}
