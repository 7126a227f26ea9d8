// The teacher's page: the lattice and the typed points choose the start, a worker computes
// the exact values and the curve, two more run the batches (one mode each); this file only
// wires them to the page.
'use strict';

(() => {
  // Every element the page looks up by id is one of its inputs, buttons, tables or boxes.
  const $ = (/** @type {string} */ id) =>
    /** @type {HTMLInputElement & HTMLTableElement} */ (document.getElementById(id));
  const WHO = ['momotaro', 'dog'];
  const SECONDS_PER_PERIOD = PerneConstants.secondsPerPeriod;
  const LIMIT_SECONDS = PerneConstants.timeLimitSeconds;
  const MODES = PerneConstants.modes; // 'both', 'dog': the order of every per-mode array
  const DRAW_EVERY_MS = 100;

  const workerUrl = URL.createObjectURL(new Blob([PERNE_WORKER_SOURCE], { type: 'text/javascript' }));
  /** @param {(message: import('./messages').FromWorker) => void} onMessage */
  const newWorker = (onMessage) => {
    try {
      const worker = new Worker(workerUrl);
      worker.onmessage = (event) => (event.data.type === 'failed' ? workersFailed() : onMessage(event.data));
      worker.onerror = (event) => {
        event.preventDefault(); // said on the page, not left as the page's own error
        workersFailed();
      };
      return worker;
    } catch {
      setTimeout(workersFailed);
      return { postMessage() {} };
    }
  };

  // A worker that cannot start (too little memory, WebAssembly refused) says so where the
  // numbers would be, instead of leaving the page waiting; the points, the curve's slider and
  // the class's pasted results go on working.
  const WORKERS_FAILED =
    '計算を始められませんでした（メモリが足りないか、ブラウザーが WebAssembly を止めています）。' +
    'ほかのタブを閉じてページを開き直すか、ほかのブラウザーで開いてください。';
  let failed = false;
  function workersFailed() {
    if (failed) return;
    failed = true;
    const table = $('exact-table');
    table.classList.remove('pending');
    Object.assign(table.createCaption(), { className: 'message', textContent: WORKERS_FAILED });
    if (batch && batch.running) Object.assign(batch, { running: false, stopped: true });
    lockPoints(false);
    $('start').disabled = $('stop').disabled = true;
    $('batch-info').textContent = WORKERS_FAILED;
  }

  const start = { momotaro: { x: 4, y: 4 }, dog: { x: 6, y: 4 } };
  const keyOf = (s) => `${s.momotaro.x},${s.momotaro.y},${s.dog.x},${s.dog.y}`;
  const asPairs = (s) => ({ momotaro: [s.momotaro.x, s.momotaro.y], dog: [s.dog.x, s.dog.y] });
  const exactByKey = new Map();
  /**
   * @typedef {{ momotaro: { x: number, y: number }, dog: { x: number, y: number } }} Points
   * @typedef {{ meetings: number[], firstPeriods: number[], summary: import('./perne-stats-core').Summary | null }} ModeRuns
   * @typedef {{ id: number, start: Points, key: string, runs: number, seed: string, running: boolean,
   *             stopped: boolean, workersLeft: number, modes: ModeRuns[] }} ShownBatch
   */
  /** @type {ShownBatch | null} */
  let batch = null; // the batch on screen, running or done

  // ---- exact values: one request at a time, always for the latest points ----
  let exactAsked = null;
  let exactRequestId = 0;
  const exactWorker = newWorker((message) => {
    if (message.type === 'csv') return csvArrived(message);
    if (message.type !== 'exact') return;
    exactByKey.set(exactAsked, message.modes);
    exactAsked = null;
    askExact();
    showExact();
    drawHistograms();
  });

  // The points on screen first, then those of the batch on screen (its histograms' means
  // and its CSV need them), whichever is still missing.
  function askExact() {
    const wanted = [keyOf(start), batch && batch.key].find((k) => k && !exactByKey.has(k));
    if (!wanted) return showExact();
    $('exact-table').classList.toggle('pending', !exactByKey.has(keyOf(start)));
    if (exactAsked !== null) return;
    exactAsked = wanted;
    const [mx, my, dx, dy] = wanted.split(',').map(Number);
    exactWorker.postMessage({ type: 'exact', id: ++exactRequestId, start: { momotaro: [mx, my], dog: [dx, dy] } });
  }

  // ---- exact distributions of the meeting count: for the batch on screen and the class
  // panel's points, one request at a time in a worker of their own, so that they never
  // hold up the values of points being dragged ----
  const distByKey = new Map();
  let distAsked = null;
  let distRequestId = 0;
  const distWorker = newWorker((message) => {
    if (message.type !== 'distribution') return;
    const key = distAsked;
    distByKey.set(key, message.modes);
    distAsked = null;
    askDistribution();
    if (batch && batch.key === key) drawHistograms();
    classPanel.distributionArrived(key, message.modes);
  });
  function askDistribution() {
    if (distAsked !== null) return;
    const wanted = [batch && batch.key, classPanel.shownKey()].find((k) => k && !distByKey.has(k));
    if (!wanted) return;
    distAsked = wanted;
    const [mx, my, dx, dy] = wanted.split(',').map(Number);
    distWorker.postMessage({ type: 'distribution', id: ++distRequestId, start: { momotaro: [mx, my], dog: [dx, dy] } });
  }

  function showExact() {
    const key = keyOf(start);
    const modes = exactByKey.get(key);
    if (!modes) return;
    const table = $('exact-table');
    table.classList.toggle('pending', false);
    table.dataset.key = key;
    for (const row of table.tBodies[0].rows) {
      modes.forEach((values, mode) => {
        const cell = row.cells[mode + 1];
        const value = values[row.dataset.key];
        cell.textContent = values.texts[row.dataset.key];
        cell.dataset.value = value === null ? '' : String(value);
      });
    }
    showCurve();
  }

  const curves = () => (exactByKey.get(keyOf(start)) || []).map((m) => m.metByPeriod);
  const markSeconds = () => Number($('curve-time').value);
  const where = (s) => `桃太郎 (${s.momotaro.x}, ${s.momotaro.y})・犬 (${s.dog.x}, ${s.dog.y})`;
  const curveSvg = () => PerneCharts.curveSvg(curves(), where(start), SECONDS_PER_PERIOD, LIMIT_SECONDS, markSeconds());

  // The curve, and both chances read off it at the marked second.
  function showCurve() {
    $('curve-chart').innerHTML = curveSvg();
    $('curve-chart').dataset.key = keyOf(start);
    $('curve-seconds').textContent = String(markSeconds());
    const at = Math.round(markSeconds() / SECONDS_PER_PERIOD);
    ['both', 'dog'].forEach((id, mode) => {
      const curve = curves()[mode];
      $(`curve-${id}`).textContent = curve ? `${['２人', '１人'][mode]} ${PerneCharts.percent(curve[at])}` : '';
    });
    for (const b of /** @type {NodeListOf<HTMLButtonElement>} */ (document.querySelectorAll('[data-seconds]')))
      b.setAttribute('aria-pressed', String(Number(b.dataset.seconds) === markSeconds()));
  }

  // The marked second: the slider (arrow keys step one second), the buttons one second either
  // way, the quick marks, or a finger or the mouse on the chart itself, which is far wider
  // than the slider (about 4 px a second on a projector).
  function markAt(seconds) {
    const slider = $('curve-time');
    slider.value = String(Math.min(LIMIT_SECONDS, Math.max(0, Math.round(seconds))));
    showCurve();
  }
  $('curve-time').addEventListener('input', showCurve);
  for (const b of /** @type {NodeListOf<HTMLButtonElement>} */ (document.querySelectorAll('.curve-step')))
    b.addEventListener('click', () => markAt(markSeconds() + Number(b.dataset.step)));
  for (const b of /** @type {NodeListOf<HTMLButtonElement>} */ (document.querySelectorAll('[data-seconds]')))
    b.addEventListener('click', () => markAt(Number(b.dataset.seconds)));
  const chartSeconds = (event) => {
    const svg = $('curve-chart').querySelector('svg');
    const box = svg.getBoundingClientRect();
    const x = ((event.clientX - box.left) / box.width) * PerneCharts.W;
    return PerneCharts.secondsAt(x, LIMIT_SECONDS);
  };
  $('curve-chart').addEventListener('pointerdown', (event) => {
    if (!$('curve-chart').querySelector('svg')) return;
    $('curve-chart').setPointerCapture(event.pointerId);
    markAt(chartSeconds(event));
  });
  $('curve-chart').addEventListener('pointermove', (event) => {
    if ($('curve-chart').hasPointerCapture(event.pointerId)) markAt(chartSeconds(event));
  });

  // ---- the starting points: dragged or typed ----
  const lattice = PerneLattice.create({
    container: $('lattice'),
    grid: $('lattice-grid'),
    figures: { momotaro: $('figure-momotaro'), dog: $('figure-dog') },
    onMove: (who, point) => {
      start[who] = point;
      for (const axis of ['x', 'y']) {
        $(`${who}-${axis}`).value = point[axis];
        $(`${who}-${axis}`).setAttribute('aria-invalid', 'false');
      }
      showMessage(`${who}-message`, '');
      askExact();
      pointsChanged();
    },
  });
  WHO.forEach((who) => lattice.place(who, start[who]));

  // While a batch runs its points and run count stay as they are, so that nothing on the
  // screen mixes two sets of points; Stop frees them.
  function lockPoints(on) {
    lattice.setLocked(on);
    for (const who of WHO) for (const axis of ['x', 'y']) $(`${who}-${axis}`).disabled = on;
    $('runs').disabled = on;
    $('lock-note').hidden = !on;
  }

  function showMessage(id, text) {
    $(id).textContent = text;
  }

  for (const who of WHO) {
    for (const axis of ['x', 'y']) {
      const input = $(`${who}-${axis}`);
      input.addEventListener('input', () => {
        // Each field that reads as a point on the lattice moves the figure; the message
        // names what is wrong with either of the walker's two fields.
        let error = '';
        for (const a of ['x', 'y']) {
          const field = $(`${who}-${a}`);
          const read = PerneText.readCoordinate(field.value);
          field.setAttribute('aria-invalid', read.error ? 'true' : 'false');
          if (read.error) error ||= read.error;
          else start[who] = { ...start[who], [a]: read.value };
        }
        showMessage(`${who}-message`, error);
        lattice.place(who, start[who]);
        askExact();
        pointsChanged();
      });
      // Leaving a field writes its number plainly ("０５" becomes 5); a refused one keeps
      // its text, with the message, to be mended.
      input.addEventListener('change', () => {
        if (PerneText.readCoordinate(input.value).error) return;
        input.value = start[who][axis];
      });
    }
  }

  // ---- batches ----
  let batchId = 0;
  let drawPending = false;
  // One worker per mode, so that the two modes share the device's cores.
  const batchWorkers = [0, 1].map(() => newWorker(onBatchMessage));

  const runsInput = $('runs'),
    seedInput = $('seed');
  runsInput.addEventListener('input', () => {
    const read = PerneText.readRuns(runsInput.value);
    showMessage('runs-message', read.error || '');
    runsInput.setAttribute('aria-invalid', read.error ? 'true' : 'false');
    if (!read.error) $('start').textContent = `${read.value} 回ためす`;
  });
  seedInput.addEventListener('input', () => {
    const read = PerneText.readSeed(seedInput.value);
    showMessage('seed-message', read.error || '');
    seedInput.setAttribute('aria-invalid', read.error ? 'true' : 'false');
  });

  // A fresh seed short enough to write on the blackboard, 1 to 999999: typed back in (or given
  // to perne-stats --seed) it makes the very same runs, as any seed does.
  function shortSeed() {
    const limit = 4294967296 - (4294967296 % 999999); // the same chance for every seed
    for (;;) {
      const [word] = crypto.getRandomValues(new Uint32Array(1));
      if (word < limit) return String(1 + (word % 999999));
    }
  }

  $('start').addEventListener('click', () => {
    if (batch && batch.running) return;
    const runs = PerneText.readRuns(runsInput.value);
    const seed = PerneText.readSeed(seedInput.value);
    showMessage('runs-message', runs.error || '');
    showMessage('seed-message', seed.error || '');
    if (runs.error || seed.error) return;
    batch = {
      id: ++batchId,
      start: { momotaro: { ...start.momotaro }, dog: { ...start.dog } },
      runs: runs.value,
      seed: seed.value ?? shortSeed(),
      running: true,
      stopped: false,
      workersLeft: batchWorkers.length,
      modes: [0, 1].map(() => ({ meetings: [], firstPeriods: [], summary: null })),
      key: keyOf(start),
    };
    askExact();
    askDistribution();
    lockPoints(true);
    batchWorkers.forEach((worker, mode) =>
      worker.postMessage({
        type: 'batch',
        id: batch.id,
        start: asPairs(batch.start),
        runs: batch.runs,
        seed: batch.seed,
        modes: [MODES[mode]],
      }),
    );
    $('start').disabled = true;
    $('stop').disabled = false;
    $('download-csv').disabled = true;
    showBatch();
  });

  $('stop').addEventListener('click', () => {
    if (!batch || !batch.running) return;
    $('stop').disabled = true;
    batchWorkers.forEach((worker) => worker.postMessage({ type: 'stop', id: batch.id }));
  });

  function onBatchMessage(message) {
    if (!batch || message.id !== batch.id) return;
    if (message.type === 'progress') {
      message.modes.forEach((m) => {
        const mode = batch.modes[MODES.indexOf(m.mode)];
        for (let r = 0; r < m.meetings.length; r++) {
          mode.meetings.push(m.meetings[r]);
          mode.firstPeriods.push(m.firstPeriods[r]);
        }
        mode.summary = m.summary;
      });
    } else if (message.type === 'finished') {
      batch.stopped ||= message.stopped;
      if (--batch.workersLeft > 0) return;
      batch.running = false;
      lockPoints(false);
      $('start').disabled = false;
      $('stop').disabled = true;
      $('download-csv').disabled = !batch.modes.some((m) => m.meetings.length > 0);
      return showBatch();
    }
    // Drawn at most ten times a second: the charts need no more, and the workers get
    // the processor.
    if (!drawPending) {
      drawPending = true;
      setTimeout(
        () =>
          requestAnimationFrame(() => {
            drawPending = false;
            showBatch();
          }),
        DRAW_EVERY_MS,
      );
    }
  }

  const doneOf = (b) => b.modes.map((m) => m.meetings.length);

  function showBatch() {
    const done = doneOf(batch);
    const fraction = (done[0] + done[1]) / (2 * batch.runs);
    const bar = $('progress');
    bar.setAttribute('aria-valuenow', String(Math.round(fraction * 100)));
    /** @type {HTMLElement} */ (bar.firstElementChild).style.width = `${fraction * 100}%`;
    $('progress-text').textContent = `${Math.min(...done)} / ${batch.runs} 回`;
    const status = batch.running
      ? 'ためしています…'
      : batch.stopped
        ? '中止しました（終わった分を表示）'
        : '終わりました';
    // A polite live region: written only when it changes, so a finished batch is said once.
    const info = `${where(batch.start)}　乱数の種 ${batch.seed}　${status}`;
    if ($('batch-info').textContent !== info) $('batch-info').textContent = info;
    drawHistograms();
  }

  function histogramSvg(mode) {
    const exact = batch ? exactByKey.get(batch.key) : exactByKey.get(keyOf(start));
    const summaries = batch ? batch.modes.map((m) => m.summary) : [null, null];
    const exactMeans = exact ? exact.map((e) => e.meanMeetings) : [null, null];
    const xMax = Math.max(
      5,
      ...summaries.map((s) => (s ? s.max : 0)),
      ...exactMeans.map((m) => (m === null ? 0 : Math.ceil(m * 1.8))),
    );
    const yMax = Math.max(1, ...summaries.flatMap((s) => (s ? s.histogram : [])));
    // The exact distribution scaled to each mode's runs so far, over the bars.
    const dist = batch ? distByKey.get(batch.key) : null;
    const expected = dist ? summaries.map((s, m) => Array.from(dist[m], (p) => p * (s ? s.runs : 0))) : [null, null];
    const s = summaries[mode];
    return PerneCharts.histogramSvg({
      mode,
      where: where(batch ? batch.start : start),
      histogram: s ? s.histogram : [],
      runs: s ? s.runs : 0,
      mean: s ? s.mean : 0,
      exactMean: exactMeans[mode],
      xMax,
      yMax: Math.max(yMax, ...expected.flatMap((e) => e || [])),
      expected: expected[mode],
      seed: batch ? batch.seed : null,
    });
  }

  function drawHistograms() {
    $('histogram-both').innerHTML = histogramSvg(0);
    $('histogram-dog').innerHTML = histogramSvg(1);
  }

  // ---- downloads ----
  const place = (s) => `桃太郎${s.momotaro.x}-${s.momotaro.y}_犬${s.dog.x}-${s.dog.y}`;
  const batchPlace = () => (batch ? `${place(batch.start)}_種${batch.seed}` : place(start));
  const chartOf = {
    curve: () => [curveSvg(), `ペルネ_曲線_${place(start)}`],
    both: () => [histogramSvg(0), `ペルネ_度数分布_２人_${batchPlace()}`],
    dog: () => [histogramSvg(1), `ペルネ_度数分布_１人_${batchPlace()}`],
  };
  for (const button of /** @type {NodeListOf<HTMLElement>} */ (document.querySelectorAll('[data-download]'))) {
    button.addEventListener('click', () => {
      const [svg, name] = chartOf[button.dataset.download]();
      const saveSvg = () =>
        PerneResults.save(
          new Blob(['<?xml version="1.0" encoding="UTF-8"?>\n', svg], { type: 'image/svg+xml' }),
          `${name}.svg`,
        );
      if (button.dataset.format === 'svg') saveSvg();
      else
        // A browser that cannot draw the chart into a picture gets it as SVG instead.
        PerneCharts.pngOf(svg).then((png) => PerneResults.save(png, `${name}.png`), saveSvg);
    });
  }
  // The CSV is written by the stats core, in the exact-value worker; saved when it comes back.
  const csvNames = new Map();
  let csvRequestId = 0;
  $('download-csv').addEventListener('click', () => {
    const id = ++csvRequestId;
    csvNames.set(id, `ペルネ_結果_${place(batch.start)}_種${batch.seed}.csv`);
    exactWorker.postMessage({
      type: 'csv',
      id,
      start: asPairs(batch.start),
      seed: batch.seed,
      modes: batch.modes.map((m) => ({ meetings: m.meetings, firstPeriods: m.firstPeriods })),
    });
  });
  function csvArrived({ id, bytes }) {
    PerneResults.save(new Blob([bytes], { type: 'text/csv' }), csvNames.get(id));
    csvNames.delete(id);
  }

  // ---- the class's own runs ----
  const classPanel = PerneClassPanel.create({
    elements: {
      root: $('class-panel'),
      paste: $('class-paste'),
      countMode: 'class-count-mode',
      clear: $('class-clear'),
      csv: $('class-csv'),
      status: $('class-status'),
      problems: $('class-problems'),
      group: $('class-group'),
      table: $('class-table'),
      sentences: [$('class-say-both'), $('class-say-dog')],
      histograms: [$('class-histogram-both'), $('class-histogram-dog')],
      short: $('class-short'),
    },
    pointsNow: () => asPairs(start),
    need: () => askDistribution(),
    drawHistogram: PerneCharts.histogramSvg,
  });
  $('class-csv').addEventListener('click', () => {
    PerneResults.save(new Blob([classPanel.csv()], { type: 'text/csv' }), 'ペルネ_クラスの結果.csv');
  });
  const classPlace = () =>
    place(
      (() => {
        const [mx, my, dx, dy] = (classPanel.shownKey() || keyOf(start)).split(',');
        return { momotaro: { x: mx, y: my }, dog: { x: dx, y: dy } };
      })(),
    );
  chartOf['class-both'] = () => [classPanel.chart(0), `ペルネ_クラス_２人_${classPlace()}`];
  chartOf['class-dog'] = () => [classPanel.chart(1), `ペルネ_クラス_１人_${classPlace()}`];
  $('class-count-where').textContent = where(start);
  classPanel.render();

  // Served by the class server: a class session, its runs live in the panel above.
  const classroom = PerneClassroom.create({
    elements: {
      root: $('session'),
      panelRoot: $('class-panel'),
      start: $('session-start'),
      startWhere: $('session-start-where'),
      keyField: $('session-key-field'),
      key: $('session-key'),
      earlierField: $('session-earlier-field'),
      earlier: $('session-earlier'),
      openEarlier: $('session-open'),
      compareEarlier: $('session-compare'),
      compared: $('session-compared'),
      paste: $('session-paste'),
      message: $('session-message'),
      live: $('session-live'),
      qr: $('session-qr'),
      code: $('session-code'),
      url: $('session-url'),
      stateLine: $('session-state'),
      devices: $('session-devices'),
      predictionsField: $('session-predictions-field'),
      predictions: $('session-predictions'),
      connection: $('session-connection'),
      board: $('session-board'),
      hide: $('session-hide'),
      lock: $('session-lock'),
      csv: $('session-csv'),
      close: $('session-close'),
      runsField: $('session-runs'),
      runsSummary: $('session-runs-summary'),
      runsBody: $('session-runs-body'),
      unverifiedField: $('session-unverified'),
      unverifiedSummary: $('session-unverified-summary'),
      unverifiedList: $('session-unverified-list'),
    },
    panel: classPanel,
    pointsNow: () => asPairs(start),
    save: PerneResults.save,
  });

  // A plain column of counts stands for runs at the points on screen.
  function pointsChanged() {
    $('class-count-where').textContent = where(start);
    classPanel.pointsChanged();
    classroom.pointsChanged();
  }

  // ---- views: everything on one long page, or one screen at a time for the projector ----
  const views = [.../** @type {NodeListOf<HTMLElement>} */ (document.querySelectorAll('[data-view-button]'))];
  function showView(name) {
    /** @type {HTMLElement} */ (document.querySelector('main')).dataset.view = name;
    for (const b of views) b.setAttribute('aria-pressed', String(b.dataset.viewButton === name));
    if (name === 'class') classPanel.render();
  }
  for (const b of views) b.addEventListener('click', () => showView(b.dataset.viewButton));
  showView('all');

  askExact();
  drawHistograms();
  showCurve();

  // Served over http(s) the page installs and works offline through the student's page's
  // service worker; opened from a file there is nothing to install and nothing to ask for.
  if (/^https?:$/.test(location.protocol)) {
    for (const [rel, href] of [
      ['manifest', 'perne-stats.webmanifest'],
      ['apple-touch-icon', 'icons/perne-192.png'],
    ]) {
      const link = document.createElement('link');
      link.rel = rel;
      link.href = href;
      document.head.append(link);
    }
    if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
  }
})();
