// Reading what the class pasted: the student's page's lines (tab- or comma-separated, with
// or without a header row, full-width digits and stray spaces, from a sheet or a form's
// answers), or a plain column of counts taken as full runs at the page's points. Every line
// that holds something becomes a run or a listed reason; nothing is dropped unsaid.
'use strict';

const PerneClassPaste = (() => {
  const MAX_LINES = 10000;
  const MAX_LINE_CHARS = 1000; // a longer line is no run's line; it is not searched
  const FULL_SECONDS = PerneConstants.timeLimitSeconds;
  const LATTICE_MAX = PerneConstants.latticeMax;
  const MAX_MEETINGS = PerneConstants.meetingCountMax;
  // The mode as the student's buttons read, in either width; 0 both walk, 1 the dog alone.
  const MODE = /([12])\s*人が動くとき/;
  const SEPARATORS = /[\t,、;\s"“”'’]+/;

  const halfWidth = PerneText.halfWidth; // the engine's one set of full-width stand-ins

  const cellsOf = (text) => text.split(SEPARATORS).filter((c) => c !== '');
  const isNumber = (cell) => /^[-+]?(\d+\.?\d*|\.\d+)$/.test(cell);

  // A cell that must be a whole number in [low, high]: the number or null.
  function whole(cell, low, high) {
    if (!/^\d+(\.0*)?$/.test(cell)) return null; // a sheet may write 4 as 4.0
    const n = Number(cell);
    return n >= low && n <= high ? n : null;
  }

  // One line: {run}, {error}, {blank}, or {header} where a header may stand (before any
  // data). `points` and `countMode` stand for a bare count's missing fields.
  function readLine(raw, points, countMode, header = false) {
    if (raw.length > MAX_LINE_CHARS) return { error: `長すぎる行です（${raw.length} 文字）` };
    const text = halfWidth(raw);
    const cells = cellsOf(text);
    if (cells.length === 0) return { blank: true };
    const mode = MODE.exec(text);
    if (!mode) {
      if (cells.length === 1 && isNumber(cells[0])) {
        const meetings = whole(cells[0], 0, MAX_MEETINGS);
        if (meetings === null) return { error: 'ペルネ回数は 0 以上の整数です' };
        return {
          run: {
            mode: countMode,
            momotaro: [...points.momotaro],
            dog: [...points.dog],
            meetings,
            seconds: FULL_SECONDS,
            from: 'count',
          },
        };
      }
      if (!cells.some(isNumber)) return header ? { header: true } : { error: '数がありません' };
      return { error: '「２人が動くとき」か「１人が動くとき」がありません' };
    }
    // What stands before the mode (a form's time stamp, a column of row numbers) is not ours.
    const numbers = cellsOf(text.slice(mode.index + mode[0].length));
    const modeIndex = mode[1] === '2' ? 0 : 1;
    if (numbers.length === 1) {
      const meetings = whole(numbers[0], 0, MAX_MEETINGS);
      if (meetings === null) return { error: 'ペルネ回数は 0 以上の整数です' };
      return {
        run: {
          mode: modeIndex,
          momotaro: [...points.momotaro],
          dog: [...points.dog],
          meetings,
          seconds: FULL_SECONDS,
          from: 'count',
        },
      };
    }
    if (numbers.length === 0 && header) return { header: true };
    if (numbers.length !== 6) return { error: `値が ${numbers.length} 個あります（6 個のはずです）` };
    if (!numbers.every(isNumber)) return { error: '数でないところがあります' };
    const coordinates = numbers.slice(0, 4).map((c) => whole(c, 0, LATTICE_MAX));
    if (coordinates.includes(null)) return { error: `出発点は 0〜${LATTICE_MAX} の整数です` };
    const meetings = whole(numbers[4], 0, MAX_MEETINGS);
    if (meetings === null) return { error: 'ペルネ回数は 0 以上の整数です' };
    const seconds = whole(numbers[5], 0, FULL_SECONDS);
    if (seconds === null) return { error: `秒は 0〜${FULL_SECONDS} の整数です` };
    return {
      run: {
        mode: modeIndex,
        momotaro: coordinates.slice(0, 2),
        dog: coordinates.slice(2, 4),
        meetings,
        seconds,
        from: 'line',
      },
    };
  }

  // The first MAX_LINES lines of `text`, and how many more there are, without splitting
  // more of a huge paste than that.
  function firstLines(text) {
    const lines = [];
    let at = 0;
    while (lines.length < MAX_LINES && at < text.length) {
      let end = text.indexOf('\n', at);
      if (end < 0) end = text.length;
      lines.push(text.slice(at, end));
      at = end + 1;
    }
    let more = 0;
    for (let i = at; i < text.length; i = text.indexOf('\n', i) + 1 || text.length) more++;
    return { lines, more };
  }

  // text: what was pasted. points: {momotaro: [x, y], dog: [x, y]} for bare counts;
  // countMode: 0 or 1, the mode of bare counts.
  // Returns {runs: [{line, mode, momotaro, dog, meetings, seconds, full, from}],
  //          unreadable: [{line, text, reason}], header: line number or null, refused}.
  function read(text, points, countMode) {
    const { lines, more } = firstLines(text.replace(/\r\n?/g, '\n')); // old Macs end lines in CR
    const runs = [];
    const unreadable = [];
    let header = null;
    let seenData = false;
    lines.forEach((raw, i) => {
      const line = i + 1;
      const r = readLine(raw, points, countMode, !seenData && header === null);
      if (r.blank) return;
      if (r.header) {
        header = line;
        return;
      }
      seenData = true;
      if (r.run) runs.push({ line, ...r.run, full: r.run.seconds >= FULL_SECONDS });
      else unreadable.push({ line, text: raw, reason: r.error || '読めない行です' });
    });
    return { runs, unreadable, header, refused: more };
  }

  return { MAX_LINES, FULL_SECONDS, read, readLine };
})();
