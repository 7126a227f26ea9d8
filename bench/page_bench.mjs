// Measures the student's page in Debian's headless Chromium; a benchmark, not a test.
//
//   (cd tests/web && npm ci) && node bench/page_bench.mjs [build-web/perne.html]
//
// 1. Opening: from the start of navigation until the simulation window is built and the
//    next frame has been drawn (median of 5 openings from file://).
// 2. A whole real two-walker run (no controlled clock, ~185 s): the CPU time of the
//    browser's renderer processes (utime + stime from /proc) over 60 s in the middle of the
//    run, and how many times each timer ticked.
//
// Targets: opening < 0.5 s, renderer CPU < 2 % of one core, 901 ticks per timer.
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch } from '../tests/web/browser.mjs';

const file = resolve(process.argv[2] ?? 'build-web/perne.html');
const url = pathToFileURL(file).href;
const ticksPerSecond = 100; // USER_HZ on Linux

// CPU ticks of every renderer process, by process id.
function rendererCpuTicks() {
  const byPid = new Map();
  for (const pid of readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const cmdline = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      if (!cmdline.includes('--type=renderer')) continue;
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      byPid.set(pid, Number(fields[11]) + Number(fields[12])); // utime, stime
    } catch { /* the process ended */ }
  }
  return byPid;
}

// What the renderers alive at the end used since the first reading.
function cpuSince(before) {
  let total = 0;
  for (const [pid, ticks] of rendererCpuTicks()) total += ticks - (before.get(pid) ?? 0);
  return total;
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const browser = await launch();
console.log(`page: ${file} (${(statSync(file).size / 1024).toFixed(0)} KB)`);

const openings = [];
for (let i = 0; i < 5; ++i) {
  const page = await browser.newPage({ viewport: { width: 1366, height: 768 } });
  await page.goto(url);
  await page.waitForSelector('body[data-ready]');
  openings.push(await page.evaluate(() => new Promise((done) => {
    requestAnimationFrame(() => setTimeout(() => done(performance.now())));
  })));
  await page.close();
}
console.log(`opening to the window drawn: ${(median(openings) / 1000).toFixed(3)} s median ` +
            `(${openings.map((t) => (t / 1000).toFixed(3)).join(', ')})`);

const page = await browser.newPage({ viewport: { width: 1366, height: 768 } });
await page.goto(url);
await page.waitForSelector('body[data-ready]');
await page.click('[data-name="Command2"]');
for (let i = 0; i < 4; ++i) await page.keyboard.press('Enter');
await page.click('[data-name="Command5"]');
const started = Date.now();
await page.waitForTimeout(60_000);
const cpuBefore = rendererCpuTicks();
const windowStart = Date.now();
await page.waitForTimeout(60_000);
const cpu = cpuSince(cpuBefore) / ticksPerSecond;
const wall = (Date.now() - windowStart) / 1000;
console.log(`renderer CPU over ${wall.toFixed(0)} s of a run: ${cpu.toFixed(2)} s, ` +
            `${((100 * cpu) / wall).toFixed(2)} % of one core`);
await page.waitForTimeout(Math.max(0, 185_000 - (Date.now() - started)));
const result = await page.evaluate(() => ({
  ticks: window.Perne.ticks,
  elapsed: document.querySelector('#Form1 [data-name="Label4"]').textContent,
}));
console.log(`real run: Timer1 ${result.ticks.Timer1} ticks, Timer2 ${result.ticks.Timer2} ticks, ` +
            `elapsed label "${result.elapsed}"`);
await browser.close();
