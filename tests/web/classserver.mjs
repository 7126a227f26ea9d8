// A real perne-class process for the class tests: on 127.0.0.1, on a free port, with a data
// folder of its own, serving copies of the built pages with the tests' in-page hook
// (engines/hook.js) put first into them. It can be killed with SIGKILL and started again on
// the same port and data, as a machine that loses its power would.
import { spawn } from 'node:child_process';
import { copyFileSync, cpSync, mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { buildDir } from './browser.mjs';
import { hooked } from './engines/pages.mjs';

const here = dirname(fileURLToPath(import.meta.url));

// The server of the normal build, or PERNE_CLASS.
export const serverBinary = resolve(process.env.PERNE_CLASS ?? join(here, '..', '..', 'build', 'server', 'perne-class'));

function freePort() {
  return new Promise((done, fail) => {
    const probe = createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => done(port));
    }).on('error', fail);
  });
}

// The folder the server serves: what tools/web.sh built, the pages hooked.
function pagesFolder() {
  const folder = join(buildDir, 'test-class-pages');
  mkdirSync(join(folder, 'icons'), { recursive: true });
  for (const name of ['perne.html', 'perne-stats.html']) writeFileSync(join(folder, name), hooked(name));
  for (const name of ['sw.js', 'perne.webmanifest', 'perne-stats.webmanifest']) copyFileSync(join(buildDir, name), join(folder, name));
  cpSync(join(buildDir, 'icons'), join(folder, 'icons'), { recursive: true });
  return folder;
}

// Resolves to { base, url(path), kill(), start(), close() } once the server answers.
// teacherKey: a passphrase the server asks for before it opens a session.
export async function startClassServer({ teacherKey = null } = {}) {
  const data = mkdtempSync(join(tmpdir(), 'perne-class-test-'));
  const pages = pagesFolder();
  const port = await freePort();
  const extra = [];
  if (teacherKey !== null) {
    writeFileSync(join(data, 'teacher-key'), `${teacherKey}\n`);
    extra.push('--teacher-key-file', join(data, 'teacher-key'));
  }
  const base = `http://127.0.0.1:${port}/`;
  let child = null;
  let output = '';

  async function start() {
    child = spawn(serverBinary, ['--port', String(port), '--bind', '127.0.0.1', '--data', data, '--pages', pages, ...extra],
                  { stdio: ['ignore', 'pipe', 'pipe'] });
    child.stdout.on('data', (d) => { output += d; });
    child.stderr.on('data', (d) => { output += d; });
    const end = Date.now() + 15000;
    for (;;) {
      if (child.exitCode !== null) throw new Error(`perne-class ended (${child.exitCode}): ${output}`);
      try {
        const response = await fetch(`${base}api/info`);
        if (response.ok) return;
      } catch { /* not listening yet */ }
      if (Date.now() > end) throw new Error(`perne-class did not answer: ${output}`);
      await new Promise((r) => setTimeout(r, 100));
    }
  }

  function kill() {
    const was = child;
    child = null;
    if (!was || was.exitCode !== null) return Promise.resolve();
    return new Promise((done) => { was.once('exit', done); was.kill('SIGKILL'); });
  }

  await start();
  process.once('exit', () => child?.kill('SIGKILL'));
  return {
    base,
    url: (path) => base + path,
    kill,
    start,
    output: () => output,
    async close() {
      await kill();
      rmSync(data, { recursive: true, force: true });
    },
  };
}
