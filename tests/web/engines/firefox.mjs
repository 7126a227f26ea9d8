// Debian's Firefox ESR, headless, through puppeteer-core over WebDriver BiDi.
import puppeteer from 'puppeteer-core';

export const name = 'firefox';

export async function launch() {
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: {
      // Sound may start without a click, as Chromium's flag allows; no traffic of its own.
      'media.autoplay.default': 0,
      'network.captive-portal-service.enabled': false,
      'browser.safebrowsing.malware.enabled': false,
      'browser.safebrowsing.phishing.enabled': false,
    },
  });
  return {
    async newPage({ width, height, scale = 1 }) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width, height, deviceScaleFactor: scale });
      return {
        goto: (url) => page.goto(url),
        evaluate: (fn, ...args) => page.evaluate(`(${fn})(...${JSON.stringify(args)})`),
        click: (selector) => page.click(selector),
        press: async (key) => {
          const keys = key.split('+');
          for (const k of keys.slice(0, -1)) await page.keyboard.down(k);
          await page.keyboard.press(keys.at(-1));
          for (const k of keys.slice(0, -1).reverse()) await page.keyboard.up(k);
        },
        type: (text) => page.keyboard.type(text),
        drag: async (from, to) => {
          await page.mouse.move(from.x, from.y);
          await page.mouse.down();
          await page.mouse.move(to.x, to.y, { steps: 8 });
          await page.mouse.up();
        },
        screenshot: async () => Buffer.from(await page.screenshot()),
        close: () => context.close(),
      };
    },
    close: () => browser.close(),
  };
}
