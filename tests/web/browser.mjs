// Debian's Chromium, headless, for the page tests: no sandbox (the tests run as root in CI),
// no background traffic (this machine has no network, and the pages need none).
import { chromium } from 'playwright-core';
import { mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));

// The folder the pages were built into: PERNE_WEB_BUILD, or build-web at the top.
export const buildDir = resolve(process.env.PERNE_WEB_BUILD ?? join(here, '..', '..', 'build-web'));

export async function launch() {
    return chromium.launch({
        executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        args: [
            '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync',
            '--autoplay-policy=no-user-gesture-required',
        ],
    });
}

// Runs body(page); when it throws, a screenshot of the page goes to test-failures/ beside
// the build, named after the test, and the error goes on.
export async function withPage(context, name, body) {
    const page = await context.newPage();
    try {
        await body(page);
    } catch (error) {
        const dir = join(buildDir, 'test-failures');
        mkdirSync(dir, { recursive: true });
        await page.screenshot({ path: join(dir, `${name.replace(/\W+/g, '-')}.png`) }).catch(() => {});
        throw error;
    } finally {
        await page.close();
    }
}
