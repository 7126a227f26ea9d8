// Opening the student's page and reading it as a student sees it: the window shown, the
// texts of its labels, which buttons can be pressed, where the sprites stand.
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { buildDir } from './browser.mjs';

export const pageUrl = pathToFileURL(join(buildDir, 'perne.html')).href;

// A fixed local time whose seconds since midnight a float holds exactly, so a run's
// 900th tick lands on 180.0 s (not past the limit) and the 901st on 180.2 s.
export const tenOClock = new Date(2026, 0, 15, 10, 0, 0);

export async function open(page, { clock = false, url = pageUrl } = {}) {
  // The clock stands still at ten o'clock until the test moves it.
  if (clock) await page.clock.install({ time: new Date(tenOClock.getTime() - 60_000) });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error));
  await page.goto(url);
  await page.waitForSelector('body[data-ready]');
  if (clock) await page.clock.pauseAt(tenOClock);
  return errors;
}

export const control = (page, name) => page.locator(`.window:not([hidden]) [data-name="${name}"]`);

export async function labels(page) {
  return page.evaluate(() => Object.fromEntries(['Label1', 'Label2', 'Label3', 'Label4'].map(
    (n) => [n, document.querySelector(`#Form1 [data-name="${n}"]`).textContent])));
}

// The names of the shown window's buttons that can be pressed, in page order.
export async function enabledButtons(page) {
  return page.evaluate(() => [...document.querySelectorAll('.window:not([hidden]) .client > button')]
    .filter((b) => !b.disabled).map((b) => b.dataset.name));
}

export async function focused(page) {
  return page.evaluate(() => document.activeElement?.dataset?.name ?? document.activeElement?.className);
}

// A sprite's box in design pixels of the field's client area (the page is scaled as a whole).
export async function spriteBox(page, name) {
  return page.evaluate((n) => {
    const field = document.querySelector('#Form1 .field');
    const sprite = field.querySelector(`[data-name="${n}"]`);
    if (sprite.hidden) return null;
    const f = field.getBoundingClientRect();
    const s = sprite.getBoundingClientRect();
    const scale = f.width / field.offsetWidth;
    const border = field.clientLeft;
    const r = (v) => Math.round(v * 100) / 100 + 0; // no -0
    return {
      x: r((s.left - f.left) / scale - border), y: r((s.top - f.top) / scale - border),
      width: r(s.width / scale), height: r(s.height / scale),
      fieldWidth: field.clientWidth, fieldHeight: field.clientHeight,
    };
  }, name);
}

// Where the lattice scale puts a sprite's corner: the field's client area (6915 x 4395
// twips, 15 to the pixel) is 11 units across and 12 down.
export const latticeCorner = (x, y) => ({
  x: Math.round((x * 6915) / 11 / 15), y: Math.round((y * 4395) / 12 / 15),
});

export const dialog = (page) => page.locator('.modal:not([hidden]) .dialog');

export async function dialogState(page) {
  return page.evaluate(() => {
    const box = document.querySelector('.modal:not([hidden])');
    if (!box) return null;
    const input = box.querySelector('input');
    return {
      id: box.id,
      title: box.querySelector('.caption').textContent,
      text: (box.querySelector('.prompt') ?? box.querySelector('.message')).textContent,
      value: input?.value,
      selected: input ? [input.selectionStart, input.selectionEnd] : undefined,
      focus: document.activeElement.className,
    };
  });
}

export const ticks = (page) => page.evaluate(() => ({ ...window.Perne.ticks }));
