// Chromium through Playwright: Debian's headless Chromium, as the other page tests use it.
import { launch as launchChromium } from '../browser.mjs';

export const name = 'chromium';

export async function launch() {
  const browser = await launchChromium();
  return {
    async newPage({ width, height, scale = 1 }) {
      const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: scale });
      const page = await context.newPage();
      return {
        goto: (url) => page.goto(url),
        evaluate: (fn, ...args) => page.evaluate(`(${fn})(...${JSON.stringify(args)})`),
        click: (selector) => page.click(selector),
        press: (key) => page.keyboard.press(key),
        type: (text) => page.keyboard.type(text),
        drag: async (from, to) => {
          await page.mouse.move(from.x, from.y);
          await page.mouse.down();
          await page.mouse.move(to.x, to.y, { steps: 8 });
          await page.mouse.up();
        },
        screenshot: () => page.screenshot(),
        close: () => context.close(),
      };
    },
    close: () => browser.close(),
  };
}
