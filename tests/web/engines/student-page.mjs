// The student's page read the same way in every engine: everything a test looks at in one
// evaluate, so that a flow reads as the student's steps.
import { fileUrl } from './pages.mjs';
import { waitFor } from './index.mjs';
import { tenOClock } from '../student.mjs';

// The test copy, its clock standing still at ten o'clock unless told otherwise.
export const studentUrl = (query = `?clock=${tenOClock.getTime()}`) => fileUrl('perne.html', query);

export async function openStudent(page, query) {
  await page.goto(studentUrl(query));
  await waitFor(page, () => document.body.dataset.ready === 'true');
}

// Which window is shown, what has the focus, the labels, the buttons that can be pressed,
// the open box, the live region, the ticks and the errors so far.
export function studentState(page) {
  return page.evaluate(() => {
    const shown = document.querySelector('.window:not([hidden])');
    const active = document.activeElement;
    const box = document.querySelector('.modal:not([hidden])');
    const input = box?.querySelector('input');
    return {
      window: shown?.id ?? null,
      focus: active === document.body || !active ? 'body'
        : `${active.closest('.window, .modal, #ended')?.id ?? ''} ${active.dataset.name ?? (active.className || active.id)}`,
      labels: Object.fromEntries(['Label1', 'Label2', 'Label3', 'Label4'].map(
        (n) => [n, document.querySelector(`#Form1 [data-name="${n}"]`).textContent])),
      enabled: shown ? [...shown.querySelectorAll('.client > button')].filter((b) => !b.disabled)
        .map((b) => b.dataset.name) : [],
      box: box ? { id: box.id, title: box.querySelector('.caption').textContent, value: input ? input.value : null } : null,
      said: document.getElementById('announcer').textContent,
      ticks: { ...window.Perne.ticks },
      errors: window.__perneTest.errors.slice(),
    };
  });
}

// Moves the page's clock on, in steps of at most 10 s: WebKit's driver times a script with
// the page's own setTimeout, which the clock then runs too, so one step must stay well
// under the driver's 30 s limit.
export async function runFor(page, ms) {
  for (let left = ms; left > 0; left -= 10_000)
    await page.evaluate((t) => window.__perneTest.clock.runFor(t), Math.min(left, 10_000));
}

// Every text the live region has held, from now on.
export function listen(page) {
  return page.evaluate(() => {
    const region = document.getElementById('announcer');
    window.__said = [];
    new MutationObserver(() => { if (region.textContent) window.__said.push(region.textContent); })
      .observe(region, { childList: true, characterData: true, subtree: true });
  });
}
export const said = (page) => page.evaluate(() => window.__said.slice());
