// The 11 x 11 lattice with the two figures, each centred on its starting point and moved by
// dragging (mouse, pen or finger) or by the arrow keys. y grows downwards, as in the window.
'use strict';

const PerneLattice = (() => {
  const MAX = PerneConstants.latticeMax;
  // Room before 0 for the axis numbers, clear of a figure standing on the edge (a figure
  // is one unit across, centred on its point), and half a unit and a little after 10.
  const LEAD = 1.5;
  const TAIL = 0.6;
  const SPAN = MAX + LEAD + TAIL;
  const NUMBER_GAP = 0.64; // from the lattice's edge to the numbers on the left ...
  const NUMBER_RISE = 0.82; // ... and to the baseline of those along the top (Momotaro is tall)
  const TOGETHER_SIZE = 0.62; // two figures on one point: each this wide (a figure is 1) ...
  const TOGETHER_STEP = 0.64; // ... and their centres this far apart, across the point

  function drawGrid(svg) {
    svg.setAttribute('viewBox', `${-LEAD} ${-LEAD} ${SPAN} ${SPAN}`);
    let out = '';
    for (let i = 0; i <= MAX; i++) {
      out += `<line x1="0" x2="${MAX}" y1="${i}" y2="${i}"/><line x1="${i}" x2="${i}" y1="0" y2="${MAX}"/>`;
      out += `<text x="${i}" y="${-NUMBER_RISE}" text-anchor="middle">${i}</text>`;
      out += `<text x="${-NUMBER_GAP}" y="${i + 0.15}" text-anchor="end">${i}</text>`;
    }
    for (let x = 0; x <= MAX; x++) for (let y = 0; y <= MAX; y++) out += `<circle cx="${x}" cy="${y}" r="0.07"/>`;
    svg.innerHTML = out;
  }

  // onMove(who, point) is called whenever a figure lands on another point.
  function create({ container, grid, figures, onMove }) {
    drawGrid(grid);
    container.dataset.lead = String(LEAD);
    container.dataset.span = String(SPAN);
    const points = {};
    let lifted = 0;
    let locked = false;

    function place(who, point) {
      points[who] = { ...point };
      const figure = figures[who];
      figure.setAttribute('aria-label', `${figure.alt} (${point.x}, ${point.y})`);
      arrange();
    }

    // Each figure centred on its point; two on one point stand side by side, each a little
    // smaller, so that neither hides the other.
    function arrange() {
      const placed = Object.keys(figures).filter((who) => points[who]);
      const together =
        placed.length > 1 &&
        placed.every((who) => points[who].x === points[placed[0]].x && points[who].y === points[placed[0]].y);
      container.classList.toggle('together', together);
      placed.forEach((who, i) => {
        const figure = figures[who];
        const shift = together ? (i - (placed.length - 1) / 2) * TOGETHER_STEP : 0;
        figure.style.left = `${((points[who].x + shift + LEAD) / SPAN) * 100}%`;
        figure.style.top = `${((points[who].y + LEAD) / SPAN) * 100}%`;
        figure.style.width = `${((together ? TOGETHER_SIZE : 1) / SPAN) * 100}%`;
        figure.dataset.together = String(together);
      });
    }

    function moveTo(who, point) {
      const p = { x: Math.min(MAX, Math.max(0, point.x)), y: Math.min(MAX, Math.max(0, point.y)) };
      if (points[who] && p.x === points[who].x && p.y === points[who].y) return;
      place(who, p);
      onMove(who, p);
    }

    function pointUnder(event) {
      const box = container.getBoundingClientRect();
      return {
        x: Math.round(((event.clientX - box.left) / box.width) * SPAN - LEAD),
        y: Math.round(((event.clientY - box.top) / box.height) * SPAN - LEAD),
      };
    }

    for (const [who, figure] of Object.entries(figures)) {
      figure.addEventListener('pointerdown', (event) => {
        event.preventDefault();
        if (locked) return;
        figure.setPointerCapture(event.pointerId);
        figure.classList.add('dragging');
        figure.style.zIndex = String(++lifted); // the one in hand is drawn on top
        figure.focus({ preventScroll: true });
      });
      figure.addEventListener('pointermove', (event) => {
        if (!locked && figure.hasPointerCapture(event.pointerId)) moveTo(who, pointUnder(event));
      });
      figure.addEventListener('lostpointercapture', () => figure.classList.remove('dragging'));
      figure.addEventListener('keydown', (event) => {
        const step = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] }[event.key];
        if (!step || locked) return;
        event.preventDefault();
        moveTo(who, { x: points[who].x + step[0], y: points[who].y + step[1] });
      });
    }
    // A locked lattice keeps its figures where they are, for mouse, finger and keys.
    function setLocked(on) {
      locked = on;
      container.classList.toggle('locked', on);
      for (const figure of Object.values(figures)) figure.setAttribute('aria-disabled', String(on));
    }
    return { place, setLocked, point: (who) => ({ ...points[who] }) };
  }

  return { create };
})();
