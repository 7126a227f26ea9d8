// Put at the top of the test copies of the pages, before any of their scripts, so that
// every engine gives the tests the same means, whatever its driver offers:
//   __perneTest.errors     uncaught errors and unhandled promise rejections, as text
//   __perneTest.saved      files the page saved: { name, text }
//   __perneTest.clock      with ?clock=<ms since 1970> in the address, a clock that stands
//                          still there until runFor(ms) moves it; Date, performance.now,
//                          setTimeout and setInterval follow it (zero-delay timeouts run at
//                          once, as the page's start-up needs). WebKit's driver times
//                          its scripts with the page's setTimeout, so a test moves the
//                          clock in steps well under the driver's 30 s (student-page.mjs)
//   ?undecodable           every cue's wave data is spoilt before Web Audio decodes it
(() => {
  const test = (window.__perneTest = { errors: [], saved: [] });
  addEventListener('error', (e) => test.errors.push(`error: ${e.message}`));
  addEventListener('unhandledrejection', (e) => test.errors.push(`unhandled rejection: ${e.reason}`));

  // Downloads become records instead of files: WebDriver cannot fetch a saved file. The
  // blob is read as it is, not fetched from its address (a page's policy may refuse that).
  const blobs = new Map();
  const createObjectURL = URL.createObjectURL;
  URL.createObjectURL = function (blob) {
    const url = createObjectURL.call(URL, blob);
    blobs.set(url, blob);
    return url;
  };
  const click = HTMLAnchorElement.prototype.click;
  HTMLAnchorElement.prototype.click = function () {
    if (!this.download) return click.call(this);
    const record = { name: this.download, text: null };
    test.saved.push(record);
    const blob = blobs.get(this.href);
    (blob ? blob.arrayBuffer() : fetch(this.href).then((r) => r.arrayBuffer())).then((b) => {
      record.text = new TextDecoder('utf-8', { ignoreBOM: true }).decode(b); // the mark kept
    });
  };

  const params = new URLSearchParams(location.search);
  if (params.has('undecodable')) {
    for (const C of [window.AudioContext, window.webkitAudioContext]) {
      if (!C || !C.prototype.decodeAudioData) continue;
      const decode = C.prototype.decodeAudioData;
      C.prototype.decodeAudioData = function (data, ...rest) {
        return decode.call(this, new Uint8Array(data.byteLength).fill(7).buffer, ...rest);
      };
    }
  }

  if (!params.has('clock')) return;
  const RealDate = Date;
  const realTimeout = setTimeout;
  // For tools run in the page (axe), which wait on timers of their own.
  test.realTimers = { setTimeout, clearTimeout, setInterval, clearInterval };
  let now = Number(params.get('clock'));
  const origin = now - performance.now();
  const timers = new Map();
  let nextId = 1;

  function FakeDate(...args) {
    if (!new.target) return new RealDate(now).toString();
    return args.length ? new RealDate(...args) : new RealDate(now);
  }
  FakeDate.prototype = RealDate.prototype;
  FakeDate.now = () => now;
  FakeDate.parse = RealDate.parse;
  FakeDate.UTC = RealDate.UTC;
  window.Date = FakeDate;
  performance.now = () => now - origin;

  function add(fn, ms, args, repeat) {
    const id = nextId++;
    const delay = Math.max(0, Number(ms) || 0);
    if (!repeat && delay === 0) {
      timers.set(id, null);
      realTimeout(() => { if (timers.delete(id)) fn(...args); });
      return id;
    }
    timers.set(id, { fn, args, due: now + Math.max(delay, 1), every: repeat ? Math.max(delay, 1) : 0 });
    return id;
  }
  window.setTimeout = (fn, ms, ...args) => add(fn, ms, args, false);
  window.setInterval = (fn, ms, ...args) => add(fn, ms, args, true);
  window.clearTimeout = window.clearInterval = (id) => { timers.delete(id); };

  test.clock = {
    now: () => now,
    // Runs every timer due in the next ms milliseconds, in order of time, each as a task of
    // its own (the microtasks it queued run before the next).
    async runFor(ms) {
      const end = now + ms;
      for (;;) {
        let next = null;
        let nextKey = 0;
        for (const [id, t] of timers) {
          if (t && t.due <= end && (!next || t.due < next.due)) { next = t; nextKey = id; }
        }
        if (!next) break;
        now = next.due;
        if (next.every) next.due += next.every; else timers.delete(nextKey);
        try { next.fn(...next.args); } catch (e) { test.errors.push(`error: ${e.message}`); }
        await null;
      }
      now = end;
    },
  };
})();
