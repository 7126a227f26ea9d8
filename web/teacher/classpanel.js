// The class panel (クラスの結果): what the students' runs pasted into its box add up to, for
// one set of starting points at a time, beside the exact values for those points. Pasted
// text is only ever shown as text. The page hands in the exact distributions as they arrive
// and is asked for those of the points on show.
'use strict';

const PerneClassPanel = (() => {
  const MODE_LABELS = ['２人が動くとき', '１人が動くとき'];
  const SHORT = ['２人', '１人'];
  const keyOf = (r) => `${r.momotaro[0]},${r.momotaro[1]},${r.dog[0]},${r.dog[1]}`;
  const whereOf = (key) => {
    const [mx, my, dx, dy] = key.split(',');
    return `桃太郎 (${mx}, ${my})・犬 (${dx}, ${dy})`;
  };
  const signed = (v, d) => `${v > 0 ? '+' : v < 0 ? '−' : '±'}${Math.abs(v).toFixed(d)}`;

  // Mean and variance of a distribution given as chances of 0, 1, 2, ... meetings.
  function momentsOf(distribution) {
    let mean = 0,
      square = 0;
    distribution.forEach((p, k) => {
      mean += k * p;
      square += k * k * p;
    });
    return { mean, variance: Math.max(0, square - mean * mean) };
  }

  // The multiple of the standard error as the table shows it: one decimal, without sign.
  const multipleShown = (z) => Math.abs(z).toFixed(1);

  // How far the class mean lies from the exact one, measured in standard errors (the
  // spread of a mean of n runs by chance alone), in words a pupil follows. The words go by
  // the multiple as shown, so one number on the screen always reads the same, and they give
  // the two-sided odds of so large a gap by chance alone (normal approximation):
  // 0.9 about once in 2.7, 1.0–1.2 once in 3–4, 1.3–1.7 once in 5–11, 1.8–2.1 once in
  // 14–28, 2.2–2.5 once in 36–80, 2.6 and more under once in 100, 3.3 and more under once
  // in 1000.
  function verdict(z) {
    const a = Number(multipleShown(z));
    if (a < 1) return '期待値にとても近い。偶然でよく起きるくらいのずれです。';
    if (a < 1.3) return '期待値から少しずれていますが、偶然で 3 回に 1 回くらい起きるずれです。';
    if (a < 1.8) return '期待値から少しずれています。偶然で 5〜10 回に 1 回くらい起きるずれです。';
    if (a < 2.2) return '期待値からかなりずれています。偶然では 20 回に 1 回くらいしか起きないずれです。';
    if (a < 2.6) return '期待値からかなりずれています。偶然では 40〜80 回に 1 回くらいしか起きないずれです。';
    if (a < 3.3) return '期待値から大きくずれています。偶然では 100 回に 1 回も起きないずれです。';
    return '偶然ではほとんど起きない（1000 回に 1 回もない）ほどずれています。写しまちがいや出発点を確かめましょう。';
  }

  // One mode of one group: its numbers against the exact distribution (null until known).
  function compare(meetings, distribution) {
    const n = meetings.length;
    const mean = n ? meetings.reduce((a, b) => a + b, 0) / n : null;
    if (!distribution) return { n, mean, exactMean: null, se: null, z: null };
    const { mean: exactMean, variance } = momentsOf(distribution);
    if (n === 0) return { n, mean, exactMean, se: null, z: null };
    const se = Math.sqrt(variance / n);
    const z = se > 0 ? (mean - exactMean) / se : 0;
    return { n, mean, exactMean, se, z, sentence: verdict(z) };
  }

  function histogramOf(meetings) {
    const h = [];
    for (const m of meetings) h[m] = (h[m] || 0) + 1;
    return Array.from(h, (c) => c || 0);
  }

  // CSV text that a spreadsheet shows as typed: quoted, and never read as a formula.
  function cell(text) {
    const t = /^[=+\-@\t\r]/.test(text) ? `'${text}` : text;
    return `"${t.replace(/"/g, '""')}"`;
  }

  // elements: {paste, countMode (radios' name), clear, csv, status, problems, group, table,
  // histograms: [both, dog], short}; pointsNow() gives {momotaro: [x, y], dog: [x, y]};
  // need(key) asks the page for that key's exact distributions.
  function create({ elements: e, pointsNow, need, drawHistogram }) {
    let data = PerneClassPaste.read('', pointsNow(), 0);
    let cleared = null; // the text a Clear took away, until the box changes again
    /** @type {any[] & { connected?: boolean }} */
    let live = []; // runs that came from the class server, checked by it
    const allRuns = () => (live.length ? data.runs.concat(live) : data.runs);
    const distributions = new Map(); // key -> [both, dog]

    const countMode = () =>
      Number(/** @type {HTMLInputElement} */ (document.querySelector(`input[name="${e.countMode}"]:checked`)).value);

    function groups() {
      const byKey = new Map();
      for (const r of allRuns()) {
        const k = keyOf(r);
        if (!byKey.has(k)) byKey.set(k, { key: k, full: [[], []], short: [[], []] });
        byKey.get(k)[r.full ? 'full' : 'short'][r.mode].push(r.meetings);
      }
      const count = (g) => g.full[0].length + g.full[1].length;
      return [...byKey.values()].sort((a, b) => count(b) - count(a) || a.key.localeCompare(b.key));
    }

    function read() {
      data = PerneClassPaste.read(e.paste.value, pointsNow(), countMode());
      render();
    }

    function render() {
      const all = groups();
      const chosen = e.group.value;
      e.group.replaceChildren(
        ...all.map((g) => {
          const o = document.createElement('option');
          o.value = g.key;
          const short = g.short[0].length + g.short[1].length;
          o.textContent =
            `${whereOf(g.key)}　${g.full[0].length + g.full[1].length} 回` +
            (short ? `（短い実験 ${short} 回は別）` : '');
          return o;
        }),
      );
      if (all.some((g) => g.key === chosen)) e.group.value = chosen;
      e.group.disabled = all.length < 2;
      e.group.closest('label').hidden = all.length === 0;
      const group = all.find((g) => g.key === e.group.value) || null;
      if (group) need(group.key);
      showStatus(all);
      showProblems();
      showTable(group);
      e.histograms.forEach((element, mode) => {
        element.innerHTML = histogramSvg(group, mode);
      });
      e.csv.disabled = allRuns().length === 0 && data.unreadable.length === 0;
      e.root.dataset.key = group ? group.key : '';
    }

    function showStatus(all) {
      const parts = [];
      const LIMIT = PerneConstants.timeLimitSeconds;
      const runs = allRuns();
      const full = runs.filter((r) => r.full).length;
      if (runs.length + data.unreadable.length === 0) {
        // A header alone is something pasted: say so rather than that the box is empty.
        if (data.header !== null) parts.push(`見出しの行（${data.header} 行目）だけで、実験の行がありません。`);
        if (live.connected) parts.push('まだ実験が届いていません。');
        else if (data.header === null) parts.push('まだ何も貼りつけられていません。');
      } else if (live.length === 0) parts.push(`${LIMIT} 秒の実験 ${full} 回を読みました。`);
      else if (data.runs.length === 0) parts.push(`${LIMIT} 秒の実験 ${full} 回が届きました。`);
      else
        parts.push(
          `${LIMIT} 秒の実験 ${full} 回（届いた ${live.filter((r) => r.full).length} 回と貼りつけた ${data.runs.filter((r) => r.full).length} 回）。`,
        );
      const short = runs.length - full;
      if (short) parts.push(`${LIMIT} 秒より短い実験 ${short} 回は、平均に入れずに別に数えています。`);
      if (all.length > 1) parts.push(`出発点が ${all.length} 通りあります。下で切りかえられます。`);
      if (data.unreadable.length) parts.push(`読めない行が ${data.unreadable.length} 行あります。`);
      if (data.refused) parts.push(`${PerneClassPaste.MAX_LINES} 行をこえた ${data.refused} 行は読みませんでした。`);
      e.status.textContent = parts.join(' ');
    }

    function showProblems() {
      e.problems.hidden = data.unreadable.length === 0;
      // The line numbers at a glance; the reasons and the texts when opened.
      const numbers = data.unreadable
        .slice(0, 8)
        .map((u) => u.line)
        .join('・');
      e.problems.querySelector('summary').textContent =
        `読めなかった行（${data.unreadable.length} 行）: ${numbers}${data.unreadable.length > 8 ? ' ほか' : ''} 行目`;
      const list = e.problems.querySelector('ol');
      list.replaceChildren(
        ...data.unreadable.slice(0, 200).map((u) => {
          const li = document.createElement('li');
          const shown = u.text.length > 60 ? `${u.text.slice(0, 60)}…` : u.text;
          // The line number takes the teacher to that line in the box.
          const go = document.createElement('button');
          go.type = 'button';
          go.className = 'line-link';
          go.dataset.line = String(u.line);
          go.textContent = `${u.line} 行目`;
          go.title = '枠の中のこの行を選びます';
          go.addEventListener('click', () => showLine(u.line));
          li.append(go, `: ${u.reason}　「${shown}」`);
          return li;
        }),
      );
      if (data.unreadable.length > 200) {
        const li = document.createElement('li');
        li.textContent = `ほかに ${data.unreadable.length - 200} 行（CSV にすべてあります）`;
        list.append(li);
      }
    }

    // Selects line `line` of the box (counted as the reader counts: CR LF, LF or a lone CR
    // ends a line) and scrolls the box, and the page, to it.
    function showLine(line) {
      const box = e.paste;
      const text = box.value;
      const ends = /\r\n?|\n/g;
      let start = 0;
      for (let n = 1; n < line; n++) {
        const m = ends.exec(text);
        if (!m) return;
        start = m.index + m[0].length;
      }
      ends.lastIndex = start;
      const next = ends.exec(text);
      const end = next ? next.index : text.length;
      box.focus({ preventScroll: true });
      box.setSelectionRange(start, end);
      // Where the line stands in the box, lines that wrap included: the text before it
      // laid out in a copy of the box.
      const style = getComputedStyle(box);
      const copy = document.createElement('div');
      for (const p of ['fontFamily', 'fontSize', 'fontWeight', 'lineHeight', 'letterSpacing', 'tabSize', 'padding'])
        copy.style[p] = style[p];
      Object.assign(copy.style, {
        position: 'absolute',
        visibility: 'hidden',
        whiteSpace: 'pre-wrap',
        overflowWrap: 'break-word',
        boxSizing: 'border-box',
        width: `${box.clientWidth}px`,
      });
      const mark = document.createElement('span');
      mark.textContent = '\u200b';
      copy.append(text.slice(0, start), mark);
      document.body.append(copy);
      const top = mark.offsetTop;
      const height = mark.offsetHeight;
      copy.remove();
      if (top < box.scrollTop || top + height > box.scrollTop + box.clientHeight)
        box.scrollTop = Math.max(0, top - (box.clientHeight - height) / 2);
      box.scrollIntoView({ block: 'nearest' });
    }

    function comparisons(group) {
      const dist = group && distributions.get(group.key);
      return [0, 1].map((mode) => compare(group ? group.full[mode] : [], dist ? dist[mode] : null));
    }

    function showTable(group) {
      const c = comparisons(group);
      const rows = e.table.tBodies[0].rows;
      const fill = (row, f) =>
        c.forEach((m, mode) => {
          rows[row].cells[mode + 1].textContent = f(m);
        });
      fill(0, (m) => String(m.n));
      fill(1, (m) => (m.mean === null ? '—' : m.mean.toFixed(2)));
      fill(2, (m) => (m.exactMean === null ? (e.group.value ? '計算中…' : '—') : m.exactMean.toFixed(2)));
      fill(3, (m) => (m.z === null ? '—' : `${multipleShown(m.z)} 倍（平均の差 ${signed(m.mean - m.exactMean, 2)}）`));
      c.forEach((m, mode) => {
        const p = e.sentences[mode];
        p.textContent =
          m.z === null
            ? ''
            : `${SHORT[mode]}: ${m.sentence}` + (m.n < 10 ? '（まだ回数が少ないので、はっきりとは言えません）' : '');
        p.dataset.z = m.z === null ? '' : m.z.toFixed(3);
      });
      const short = group ? group.short[0].length + group.short[1].length : 0;
      e.short.textContent = short
        ? `この出発点の ${PerneConstants.timeLimitSeconds} 秒より短い実験: ２人 ${group.short[0].length} 回・１人 ${group.short[1].length} 回（平均には入れていません）`
        : '';
    }

    function histogramSvg(group, mode) {
      const meetings = group ? group.full : [[], []];
      const dist = group ? distributions.get(group.key) : null;
      const max = (a) => a.reduce((x, y) => Math.max(x, y), 0);
      const expectedOf = (m) => (dist ? Array.from(dist[m], (p) => p * meetings[m].length) : null);
      const means = dist ? [0, 1].map((m) => momentsOf(dist[m]).mean) : null;
      const xMax = Math.max(
        5,
        max(meetings[0]),
        max(meetings[1]),
        ...(means ? means.map((v) => Math.ceil(v * 1.8)) : [0]),
      );
      const histograms = [0, 1].map((m) => histogramOf(meetings[m]));
      const yMax = Math.max(1, ...histograms.flat(), ...[0, 1].flatMap((m) => expectedOf(m) || []));
      const n = meetings[mode].length;
      return drawHistogram({
        mode,
        where: group ? whereOf(group.key) : '',
        histogram: histograms[mode],
        runs: n,
        mean: n ? meetings[mode].reduce((a, b) => a + b, 0) / n : 0,
        exactMean: means ? means[mode] : null,
        xMax,
        yMax,
        expected: expectedOf(mode),
        title: `クラス　${MODE_LABELS[mode]}`,
      });
    }

    function csv() {
      const rows = ['line,mode,momotaro_x,momotaro_y,dog_x,dog_y,meetings,seconds,full_run'];
      for (const r of allRuns())
        rows.push(
          [
            r.line ?? '',
            r.mode === 0 ? 'both' : 'dog',
            ...r.momotaro,
            ...r.dog,
            r.meetings,
            r.seconds,
            r.full ? 1 : 0,
          ].join(','),
        );
      if (data.unreadable.length) {
        rows.push('', 'line,reason,text');
        for (const u of data.unreadable) rows.push(`${u.line},${cell(u.reason)},${cell(u.text)}`);
      }
      return '\uFEFF' + rows.join('\r\n') + '\r\n';
    }

    e.paste.addEventListener('input', () => {
      cleared = null;
      e.clear.textContent = '消す';
      read();
    });
    for (const radio of document.querySelectorAll(`input[name="${e.countMode}"]`))
      radio.addEventListener('change', read);
    e.group.addEventListener('change', render);
    e.clear.addEventListener('click', () => {
      if (cleared !== null) {
        e.paste.value = cleared;
        cleared = null;
        e.clear.textContent = '消す';
      } else {
        cleared = e.paste.value;
        e.paste.value = '';
        e.clear.textContent = '元にもどす';
      }
      read();
    });

    // Only bare counts stand at the page's points: other lines need no second reading.
    function pointsChanged() {
      if (data.runs.some((r) => r.from === 'count')) read();
    }

    return {
      read,
      render,
      csv,
      pointsChanged,
      // runs: [{mode: 0 | 1, momotaro, dog, meetings, seconds}] as the server pooled
      // them; connected: whether a class is being followed at all.
      setLive(runs, connected) {
        live = runs.map((r) => ({ ...r, full: r.seconds >= PerneClassPaste.FULL_SECONDS, from: 'live' }));
        live.connected = connected;
        render();
      },
      distributionArrived(key, modes) {
        distributions.set(key, modes);
        render();
      },
      shownKey: () => e.group.value || null,
      chart: (mode) => histogramSvg(groups().find((g) => g.key === e.group.value) || null, mode),
      comparisons: () => comparisons(groups().find((g) => g.key === e.group.value) || null),
    };
  }

  return { create, momentsOf, verdict };
})();
