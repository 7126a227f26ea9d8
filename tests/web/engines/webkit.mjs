// Debian's WebKitGTK (the engine family of Safari) through its WebKitWebDriver and
// selenium-webdriver, in MiniBrowser on an X server of our own (Xvfb), which WebKitGTK needs
// even when nothing is watched.
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { Builder, By, Key, Origin } from 'selenium-webdriver';

export const name = 'webkit';

const miniBrowser = process.env.MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    }).on('error', reject);
  });
}

// Xvfb on the first free display; resolves to [process, ':N'].
function startXvfb() {
  return new Promise((resolve, reject) => {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1200x24', '-nolisten', 'tcp'],
                       { stdio: ['ignore', 'ignore', 'pipe', 'pipe'] });
    let text = '';
    xvfb.stdio[3].on('data', (d) => {
      text += d;
      if (text.includes('\n')) resolve([xvfb, `:${text.trim()}`]);
    });
    xvfb.on('error', reject);
    xvfb.on('exit', (code) => reject(new Error(`Xvfb ended (${code})`)));
  });
}

async function started(port, child) {
  for (let i = 0; i < 100; ++i) {
    if (child.exitCode !== null) throw new Error('WebKitWebDriver ended');
    try {
      const response = await fetch(`http://127.0.0.1:${port}/status`);
      if (response.ok) return;
    } catch { /* not listening yet */ }
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error('WebKitWebDriver did not start');
}

const keys = { Enter: Key.ENTER, Tab: Key.TAB, Escape: Key.ESCAPE, Space: Key.SPACE, Shift: Key.SHIFT,
               ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT, ArrowUp: Key.ARROW_UP,
               ArrowDown: Key.ARROW_DOWN, Backspace: Key.BACK_SPACE };

export async function launch() {
  const [xvfb, display] = await startXvfb();
  const port = await freePort();
  const env = { ...process.env, DISPLAY: display, GDK_BACKEND: 'x11' };
  delete env.WAYLAND_DISPLAY;
  const server = spawn('WebKitWebDriver', [`--port=${port}`], { env, stdio: 'ignore' });
  const stopAll = () => { server.kill(); xvfb.kill(); };
  process.once('exit', stopAll); // a test process that fails early leaves no X server behind
  try {
    await started(port, server);
  } catch (e) {
    stopAll();
    throw e;
  }
  const sessions = new Set();
  return {
    async newPage({ width, height }) {
      const driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
      }).build();
      sessions.add(driver);
      // The window's size is set, then corrected by what its frame takes from the viewport.
      await driver.manage().window().setRect({ x: 0, y: 0, width, height });
      const [w, h] = await driver.executeScript('return [innerWidth, innerHeight]');
      if (w !== width || h !== height)
        await driver.manage().window().setRect({ width: 2 * width - w, height: 2 * height - h });
      const press = async (key) => {
        const parts = key.split('+').map((k) => keys[k] ?? k);
        let a = driver.actions();
        for (const k of parts.slice(0, -1)) a = a.keyDown(k);
        a = a.sendKeys(parts.at(-1));
        for (const k of parts.slice(0, -1).reverse()) a = a.keyUp(k);
        await a.perform();
      };
      return {
        goto: (url) => driver.get(url),
        evaluate: (fn, ...args) => driver.executeScript(`return (${fn})(...arguments)`, ...args),
        click: async (selector) => (await driver.findElement(By.css(selector))).click(),
        press,
        type: (text) => driver.actions().sendKeys(text).perform(),
        drag: (from, to) => {
          const at = (p) => ({ x: Math.round(p.x), y: Math.round(p.y), origin: Origin.VIEWPORT });
          let a = driver.actions().move(at(from)).press();
          for (let i = 1; i <= 8; ++i)
            a = a.move(at({ x: from.x + ((to.x - from.x) * i) / 8, y: from.y + ((to.y - from.y) * i) / 8 }));
          return a.release().perform();
        },
        screenshot: async () => Buffer.from(await driver.takeScreenshot(), 'base64'),
        close: async () => { sessions.delete(driver); await driver.quit(); },
      };
    },
    async close() {
      for (const driver of sessions) await driver.quit().catch(() => {});
      stopAll();
    },
  };
}
