// Reading what the teacher types.
'use strict';

const PerneText = (() => {
    const LATTICE_MAX = PerneConstants.latticeMax;
    const MAX_RUNS = 100000;
    const MAX_SEED = (1n << 64n) - 1n;

    // Full-width digits and signs read as their ASCII twins; blanks around are dropped.
    function halfWidth(text) {
        return text
            .replace(/[０-９．－＋]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0xfee0))
            .replace(/[−ー]/g, '-')
            .replace(/^[\s\u3000]+|[\s\u3000]+$/g, '');
    }

    // A whole number, or what is wrong with the text; `what` names the field in the message.
    function readWhole(text) {
        const t = halfWidth(text);
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
        const r = readWhole(text.replace(/[,，]/g, ''));
        if (r.error === 'empty' || r.error === 'nan') return { error: '回数は数字で入れてください' };
        if (r.error === 'fraction') return { error: '回数は整数で入れてください' };
        if (r.value < 1) return { error: '回数は 1 以上にしてください' };
        if (r.value > MAX_RUNS) return { error: `回数は ${MAX_RUNS} 回までです` };
        return { value: r.value };
    }

    // Empty text: a fresh seed each time. Otherwise 0 .. 2^64 - 1, kept as decimal text.
    function readSeed(text) {
        const t = halfWidth(text);
        if (t === '') return { value: null };
        if (!/^\d+$/.test(t) || BigInt(t) > MAX_SEED)
            return { error: '種は 0 から 18446744073709551615 までの整数です' };
        return { value: BigInt(t).toString() };
    }

    function freshSeed() {
        const words = crypto.getRandomValues(new Uint32Array(2));
        return ((BigInt(words[0]) << 32n) | BigInt(words[1])).toString();
    }

    return { LATTICE_MAX, MAX_RUNS, halfWidth, readCoordinate, readRuns, readSeed, freshSeed };
})();
