// The engines a school's devices use, each behind the same few operations, so that a flow
// is written once and run in all of them:
//   browser.newPage({ width, height, scale })  a viewport of that size (scale: Chromium and
//                                              Firefox only; WebKitGTK draws at 1)
//   page.goto(url)  page.evaluate(fn, ...args)  page.click(selector)
//   page.press('Enter' | 'Tab' | 'Shift+Tab' | …)  page.type(text)  page.drag(from, to)
//   page.screenshot() (PNG of the viewport)  page.close()
// PERNE_ENGINES (e.g. "webkit,firefox") picks some of them.
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe } from 'node:test';
import { buildDir } from '../browser.mjs';
import * as chromium from './chromium.mjs';
import * as firefox from './firefox.mjs';
import * as webkit from './webkit.mjs';

const all = [chromium, firefox, webkit];
const wanted = (process.env.PERNE_ENGINES ?? 'chromium,firefox,webkit').split(',');
export const engines = all.filter((e) => wanted.includes(e.name));

// describe(engine name) for each engine, with one browser for its tests: body(get, engine)
// where get() is the running browser.
export function inEveryEngine(body, only = engines.map((e) => e.name)) {
  for (const engine of engines.filter((e) => only.includes(e.name))) {
    describe(engine.name, () => {
      let browser;
      before(async () => { browser = await engine.launch(); });
      after(async () => { await browser?.close(); });
      body(() => browser, engine.name);
    });
  }
}

// Runs body(page) on a new page; when it throws, a screenshot goes to test-failures/.
export async function withEnginePage(browser, label, options, body) {
  const page = await browser.newPage(options);
  try {
    await body(page);
  } catch (error) {
    const dir = join(buildDir, 'test-failures');
    mkdirSync(dir, { recursive: true });
    await page.screenshot().then((png) => writeFileSync(join(dir, `${label.replace(/\W+/g, '-')}.png`), png))
      .catch(() => {});
    throw error;
  } finally {
    await page.close().catch(() => {});
  }
}

const navigatedAway = /unload|context was destroyed|navigat|detached/i;

// Polls fn in the page until it returns something truthy, and returns that. fn returns
// plain data: an element does not travel back from every engine.
export async function waitFor(page, fn, args = [], timeout = 15000) {
  const end = Date.now() + timeout;
  for (;;) {
    let value;
    try {
      value = await page.evaluate(fn, ...args);
    } catch (error) {
      // A click that loads the page again returns before the old page goes: a poll that
      // meets the unloading page is cut short, and the next one asks the new page.
      if (!navigatedAway.test(error.message)) throw error;
    }
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}
