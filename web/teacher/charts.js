// The page's charts as SVG text: the same text is shown on the page, saved as .svg, and
// drawn onto a canvas for .png, so the three never differ. 960 x 540, the shape of a slide.
'use strict';

const PerneCharts = (() => {
  const W = 960,
    H = 540;
  const M = { left: 110, right: 40, top: 78, bottom: 84 };
  const FONT = "'IPAPGothic', 'IPAGothic', 'Noto Sans CJK JP', 'Hiragino Sans', 'Meiryo', sans-serif";
  const MODE_STYLE = [
    { label: '２人が動くとき', color: '#1f5fbf', dash: '' },
    { label: '１人が動くとき', color: '#c8500a', dash: '18 9' },
  ];

  const esc = (s) => String(s).replace(/[<>&"]/g, (c) => `&#${c.charCodeAt(0)};`);
  const num = (v) => Math.round(v * 100) / 100;

  // A chance as a percentage with one decimal, or more where one would round a chance below
  // 1 up to 100.0% or one above 0 down to 0.0%: 0.999548 is 99.95%, never 100.0%.
  function percent(p) {
    for (let decimals = 1; decimals <= 4; decimals++) {
      const shown = (p * 100).toFixed(decimals);
      if (!(p < 1 && Number(shown) >= 100) && !(p > 0 && Number(shown) <= 0)) return `${shown}%`;
    }
    return p > 0.5 ? '99.9999%' : '0.0001%'; // within a millionth of either end
  }

  function text(x, y, content, size, extra = '') {
    return `<text x="${num(x)}" y="${num(y)}" font-size="${size}" ${extra}>${esc(content)}</text>`;
  }

  // `where` (the starting points) goes in the bottom-left corner, so a chart pasted into a
  // slide still says what it is about.
  function frame(title, where, body) {
    return (
      `<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 ${W} ${H}" width="${W}" height="${H}" ` +
      `font-family="${esc(FONT)}" fill="#1a1a1a">` +
      `<rect width="${W}" height="${H}" fill="#ffffff"/>` +
      text(M.left, 40, title, 32, 'font-weight="bold"') +
      text(12, H - 12, where, 22, 'fill="#444"') +
      body +
      '</svg>'
    );
  }

  // Round steps (1, 2 or 5 times a power of ten) giving at most about `count` ticks.
  function niceStep(max, count) {
    const rough = Math.max(max, 1) / count;
    const power = 10 ** Math.floor(Math.log10(rough));
    return [1, 2, 5, 10].map((m) => m * power).find((s) => s >= rough);
  }

  function axes(xTicks, yTicks, xLabel, yLabel, sx, sy) {
    let out = '';
    for (const [value, label] of yTicks) {
      const y = sy(value);
      out += `<line x1="${M.left}" x2="${W - M.right}" y1="${num(y)}" y2="${num(y)}" stroke="#d0d0d0" stroke-width="1.5"/>`;
      out += text(M.left - 14, y + 10, label, 26, 'text-anchor="end"');
    }
    for (const [value, label] of xTicks) out += text(sx(value), H - M.bottom + 36, label, 26, 'text-anchor="middle"');
    out += `<line x1="${M.left}" x2="${W - M.right}" y1="${H - M.bottom}" y2="${H - M.bottom}" stroke="#1a1a1a" stroke-width="2.5"/>`;
    out += `<line x1="${M.left}" x2="${M.left}" y1="${M.top}" y2="${H - M.bottom}" stroke="#1a1a1a" stroke-width="2.5"/>`;
    out += text(W - M.right, H - 12, xLabel, 26, 'text-anchor="end"');
    out += text(12, M.top - 14, yLabel, 24);
    return out;
  }

  // The whole second under x on the curve's chart (0 .. limitSeconds, nearest).
  function secondsAt(x, limitSeconds) {
    const t = ((x - M.left) / (W - M.left - M.right)) * limitSeconds;
    return Math.min(limitSeconds, Math.max(0, Math.round(t)));
  }

  // curves[mode]: the chance to have met by the end of each 0.2 s period (index 0 is t = 0);
  // a marker at markSeconds, when given, with both curves' values there, written above the
  // plot too, so that a saved chart says what the page shows beside it.
  function curveSvg(curves, where, secondsPerPeriod, limitSeconds, markSeconds = null) {
    const sx = (t) => M.left + (t / limitSeconds) * (W - M.left - M.right);
    const sy = (p) => H - M.bottom - p * (H - M.top - M.bottom);
    const xTicks = [];
    for (let t = 0; t <= limitSeconds; t += 30) xTicks.push([t, String(t)]);
    const yTicks = [0, 0.2, 0.4, 0.6, 0.8, 1].map((p) => [p, `${Math.round(p * 100)}%`]);
    let body = axes(xTicks, yTicks, '秒', '確率', sx, sy);
    curves.forEach((curve, mode) => {
      if (!curve) return;
      const style = MODE_STYLE[mode];
      const points = Array.from(
        curve,
        (p, k) => `${num(sx(Math.min(k * secondsPerPeriod, limitSeconds)))},${num(sy(p))}`,
      );
      body +=
        `<polyline class="curve-${mode}" fill="none" stroke="${style.color}" stroke-width="5" ` +
        `stroke-dasharray="${style.dash}" stroke-linejoin="round" points="${points.join(' ')}"/>`;
    });
    if (markSeconds !== null) {
      const x = sx(markSeconds);
      body += `<line class="mark" x1="${num(x)}" x2="${num(x)}" y1="${M.top}" y2="${H - M.bottom}" stroke="#555" stroke-width="3"/>`;
      let reading = '';
      curves.forEach((curve, mode) => {
        if (!curve) return;
        const p = curve[Math.round(markSeconds / secondsPerPeriod)];
        body += `<circle cx="${num(x)}" cy="${num(sy(p))}" r="9" fill="${MODE_STYLE[mode].color}"/>`;
        reading +=
          `<tspan class="reading-${mode}" fill="${MODE_STYLE[mode].color}" font-weight="bold">` +
          `　${['２人', '１人'][mode]} ${percent(p)}</tspan>`;
      });
      if (reading) {
        body +=
          `<text class="reading" x="${W - M.right}" y="${M.top - 14}" font-size="24" text-anchor="end">` +
          `${esc(`${markSeconds} 秒まで`)}${reading}</text>`;
      }
    }
    // The legend sits low on the right, where both curves have long since risen.
    MODE_STYLE.forEach((style, mode) => {
      const y = H - M.bottom - 110 + mode * 48;
      body +=
        `<line x1="${W - 400}" x2="${W - 330}" y1="${y}" y2="${y}" stroke="${style.color}" ` +
        `stroke-width="5" stroke-dasharray="${style.dash}"/>`;
      body += text(W - 316, y + 10, style.label, 28);
    });
    return frame('t 秒までに出会っている確率', where, body);
  }

  // The exact distribution's expected counts as dots joined by a thin line, dark with a
  // white edge so they read over the bars; the legend in the top-right corner.
  function expectedPoints(expected, xMax, sx, sy, barColor) {
    const points = [];
    for (let k = 0; k <= xMax; k++) points.push([sx(k), sy(expected[k] || 0)]);
    const line = points.map(([x, y]) => `${num(x)},${num(y)}`).join(' ');
    let out =
      `<polyline class="expected-line" fill="none" stroke="#ffffff" stroke-width="7" points="${line}"/>` +
      `<polyline fill="none" stroke="#1a1a1a" stroke-width="3" points="${line}"/>`;
    points.forEach(([x, y], k) => {
      out +=
        `<circle class="expected" data-meetings="${k}" data-expected="${num(expected[k] || 0)}" ` +
        `cx="${num(x)}" cy="${num(y)}" r="6.5" fill="#1a1a1a" stroke="#ffffff" stroke-width="2.5"/>`;
    });
    // One row between the title and the plot: bars, then dots.
    const x0 = W - M.right - 420,
      y = 64;
    out +=
      `<rect x="${x0}" y="${y - 16}" width="24" height="18" fill="${barColor}" opacity="0.8"/>` +
      text(x0 + 32, y, '実験の回数', 20) +
      `<line x1="${x0 + 150}" x2="${x0 + 184}" y1="${y - 7}" y2="${y - 7}" stroke="#1a1a1a" stroke-width="3"/>` +
      `<circle cx="${x0 + 167}" cy="${y - 7}" r="6.5" fill="#1a1a1a" stroke="#ffffff" stroke-width="2.5"/>` +
      text(x0 + 192, y, '計算で求めた分布', 20, 'class="legend-expected"');
    return out;
  }

  // One mode's histogram of meetings per run; xMax and yMax are shared by both charts so
  // they can be compared side by side. `expected`, when given, is how many of the runs the
  // exact distribution expects at each count: drawn as points over the bars, with a legend.
  // `seed`, when given, is written after the points, so that a saved chart can be made again.
  function histogramSvg({
    mode,
    where,
    histogram,
    runs,
    mean,
    exactMean,
    xMax,
    yMax,
    expected = null,
    title = null,
    seed = null,
  }) {
    const style = MODE_STYLE[mode];
    const cell = (W - M.left - M.right) / (xMax + 1);
    const sx = (k) => M.left + (k + 0.5) * cell;
    const top = yMax > 0 ? yMax : 1;
    const step = Math.max(1, niceStep(top, 5)); // runs are counted in whole numbers
    const ceiling = Math.ceil(top / step) * step;
    // The top of the plot is kept for the exact mean's label: no bar or point reaches it,
    // so the label never covers the data, however tall the bars around the mean are.
    const labelBand = exactMean !== null && exactMean !== undefined ? 48 : 0;
    const sy = (n) => H - M.bottom - (n / ceiling) * (H - M.top - labelBand - M.bottom);
    const yTicks = [];
    for (let n = 0; n <= ceiling; n += step) yTicks.push([n, String(n)]);
    const every = xMax <= 16 ? 1 : xMax <= 34 ? 2 : xMax <= 80 ? 5 : 10;
    const xTicks = [];
    for (let k = 0; k <= xMax; k += every) xTicks.push([k, String(k)]);
    let body = axes(xTicks, yTicks, 'ペルネ回数', '実験の回数', sx, sy);
    (histogram || []).forEach((count, k) => {
      if (!count) return;
      const y = sy(count);
      body +=
        `<rect class="bar" data-meetings="${k}" data-runs="${count}" x="${num(sx(k) - cell * 0.42)}" ` +
        `y="${num(y)}" width="${num(cell * 0.84)}" height="${num(H - M.bottom - y)}" fill="${style.color}" opacity="0.8"/>`;
    });
    if (expected && runs > 0) body += expectedPoints(expected, xMax, sx, sy, style.color);
    if (exactMean !== null && exactMean !== undefined) {
      const x = sx(exactMean);
      body +=
        `<line class="exact-mean" x1="${num(x)}" x2="${num(x)}" y1="${M.top}" y2="${H - M.bottom}" ` +
        `stroke="#d01010" stroke-width="4" stroke-dasharray="12 8"/>`;
      body += text(x + 10, M.top + 28, `期待値 ${exactMean.toFixed(2)}`, 26, 'class="exact-mean-label" fill="#d01010"');
    }
    const heading =
      runs > 0
        ? `${title ?? style.label}　${runs} 回　平均 ${mean.toFixed(2)}`
        : `${title ?? style.label}　${title ? 'まだありません' : 'まだためしていません'}`;
    return frame(heading, seed === null ? where : `${where}　乱数の種 ${seed}`, body);
  }

  // The SVG as a PNG at twice its size (sharp on a projector and in slides).
  function pngOf(svg, scale = 2) {
    return new Promise((resolve, reject) => {
      const image = new Image();
      image.onload = () => {
        const canvas = document.createElement('canvas');
        canvas.width = W * scale;
        canvas.height = H * scale;
        const g = canvas.getContext('2d');
        g.drawImage(image, 0, 0, canvas.width, canvas.height);
        canvas.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('toBlob'))), 'image/png');
      };
      image.onerror = () => reject(new Error('SVG did not load'));
      image.src = 'data:image/svg+xml;charset=utf-8,' + encodeURIComponent(svg);
    });
  }

  return { W, H, MODE_STYLE, percent, secondsAt, curveSvg, histogramSvg, pngOf };
})();
