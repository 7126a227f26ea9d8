// Reading what the teacher types.
'use strict';

const PerneText = (() => {
  const LATTICE_MAX = PerneConstants.latticeMax;
  const MAX_RUNS = 100000;
  const MAX_SEED = (1n << 64n) - 1n;

  // The engine's one set of stand-ins for ASCII in typed numbers (runtime/leadingnumber.h,
  // handed over by the build): full-width forms, the minus sign, the ideographic space.
  const STAND_INS = PerneConstants.fullWidth;
  function halfWidth(text) {
    let out = '';
    for (const c of text) {
      const code = c.codePointAt(0);
      if (code === STAND_INS.ideographicSpace) out += ' ';
      else if (code === STAND_INS.minusSign) out += '-';
      else if (code >= STAND_INS.first && code <= STAND_INS.last) out += String.fromCharCode(code - STAND_INS.offset);
      else out += c;
    }
    return out;
  }

  // A whole number, or what is wrong with the text; `what` names the field in the message.
  function readWhole(text) {
    const t = halfWidth(text).trim();
    if (t === '') return { error: 'empty' };
    if (!/^[-+]?(\d+(\.\d*)?|\.\d+)$/.test(t)) return { error: 'nan' };
    const n = Number(t);
    if (!Number.isInteger(n)) return { error: 'fraction', number: n };
    return { value: n };
  }

  function readCoordinate(text) {
    const r = readWhole(text);
    if (r.error === 'empty') return { error: '数を入れてください' };
    if (r.error === 'nan') return { error: '数字で入れてください' };
    if (r.error === 'fraction' || r.value < 0 || r.value > LATTICE_MAX)
      return { error: `0〜${LATTICE_MAX} の整数にしてください` };
    return { value: r.value };
  }

  function readRuns(text) {
    const r = readWhole(halfWidth(text).replace(/,/g, ''));
    if (r.error === 'empty' || r.error === 'nan') return { error: '回数は数字で入れてください' };
    if (r.error === 'fraction') return { error: '回数は整数で入れてください' };
    if (r.value < 1) return { error: '回数は 1 以上にしてください' };
    if (r.value > MAX_RUNS) return { error: `回数は ${MAX_RUNS} 回までです` };
    return { value: r.value };
  }

  // Empty text: a fresh seed each time. Otherwise 0 .. 2^64 - 1, kept as decimal text.
  function readSeed(text) {
    const t = halfWidth(text).trim();
    if (t === '') return { value: null };
    if (!/^\d+$/.test(t) || BigInt(t) > MAX_SEED) return { error: '種は 0 から 18446744073709551615 までの整数です' };
    return { value: BigInt(t).toString() };
  }

  function freshSeed() {
    const words = crypto.getRandomValues(new Uint32Array(2));
    return ((BigInt(words[0]) << 32n) | BigInt(words[1])).toString();
  }

  return { LATTICE_MAX, MAX_RUNS, halfWidth, readCoordinate, readRuns, readSeed, freshSeed };
})();
