// axe-core run inside the page under test, in any engine: its violations as
// { id, impact, nodes: [{ target, colour }] }, colour being the text colour of the node.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

export async function axeViolations(page) {
  return page.evaluate(async (source) => {
    if (!window.axe) (0, eval)(source);
    // axe waits on real timers, also where the test's clock stands still.
    const fake = {};
    const real = window.__perneTest?.realTimers ?? {};
    for (const [name, f] of Object.entries(real)) { fake[name] = window[name]; window[name] = f; }
    let result;
    try {
      result = await window.axe.run(document, { resultTypes: ['violations'] });
    } finally {
      Object.assign(window, fake);
    }
    return result.violations.map((v) => ({
      id: v.id,
      impact: v.impact,
      nodes: v.nodes.map((n) => {
        const element = document.querySelector(n.target[0]);
        return { target: n.target.join(' '), colour: element ? getComputedStyle(element).color : null };
      }),
    }));
  }, axeSource);
}

const designRed = 'rgb(255, 0, 0)';

// The violations that matter, as "state: rule target" lines: serious or critical, except the
// contrast of the design's own red texts (the meeting count, the problem's headings).
export async function seriousViolations(page, state) {
  return (await axeViolations(page))
    .filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .flatMap((v) => v.nodes.filter((n) => !(v.id === 'color-contrast' && n.colour === designRed))
      .map((n) => `${state}: ${v.id} ${n.target}`));
}
