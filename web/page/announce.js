// What a screen reader hears of a run, through one polite live region: the meeting count
// when it grows and the count once more when the run ends. The walkers' steps and the
// seconds are left out, so a run is not read out five times a second. Texts written during
// one turn of the page (a meeting and its tick, or ticks caught up at once) are spoken as
// one announcement: the last, with the count as the page shows it by then (ticks caught up
// at once write their captions after their timers have stopped).
'use strict';

const PerneAnnouncer = (() => {
  function create(region, endText) {
    const running = new Set();
    let count = '';
    let pending = null;
    let scheduled = false;

    // text: what to say, worked out when it is said.
    function say(text) {
      pending = text;
      if (scheduled) return;
      scheduled = true;
      queueMicrotask(() => {
        scheduled = false;
        if (pending !== null) region.textContent = pending();
        pending = null;
      });
    }

    return {
      // Every caption the engine writes; only the meeting count's changes during a run speak.
      caption(name, text) {
        if (name !== 'Label3' || text === count) return;
        count = text;
        if (running.size > 0) say(() => text);
      },
      // The run ends when its last timer goes off, by the time limit or by Stop.
      timer(name, enabled) {
        if (enabled) {
          running.add(name);
        } else if (running.delete(name) && running.size === 0) {
          say(() => `${endText}　${count}`);
        }
      },
      // Quit with Yes: nothing more is said.
      silence() {
        running.clear();
        pending = null;
        region.textContent = '';
      },
    };
  }

  return { create };
})();
