// After a run has ended: one small control beside the simulation window, off the window
// itself, that puts the run's line (the engine's own text) on the clipboard so it pastes into
// one spreadsheet row or one form answer. Where the clipboard is refused, the line is shown
// selected, to be copied by hand. Hidden while a run goes on, after a new setup, on the
// problem window and while a box is open.
'use strict';

const PerneResultCopy = (() => {
  const GAP = 8; // page pixels between the window and the control

  // finishedRunLine() -> the engine's line for the run that has ended, or null.
  function create(finishedRunLine) {
    const stage = document.getElementById('stage');
    const form1 = document.getElementById('Form1');
    const client = /** @type {HTMLElement} */ (form1.querySelector('.client'));

    const box = document.createElement('div');
    box.id = 'result';
    box.hidden = true;
    const button = document.createElement('button');
    button.type = 'button';
    button.id = 'copyResult';
    // Breaks, where it must, between the two words only.
    button.append('結果を', document.createElement('wbr'), 'コピー');
    const line = document.createElement('textarea');
    line.id = 'resultLine';
    line.readOnly = true;
    line.rows = 2;
    line.hidden = true;
    line.setAttribute('aria-label', '結果の行');
    const note = document.createElement('span');
    note.id = 'resultNote';
    note.setAttribute('role', 'status');
    box.append(button, note, line);
    document.getElementById('desktop').append(box);

    let shownLine = null;
    let noteTimer = null;

    function say(text) {
      note.textContent = text;
      clearTimeout(noteTimer);
      if (text) noteTimer = setTimeout(() => say(''), 2500);
      place();
    }

    function showSelected(text) {
      line.value = text;
      line.hidden = false;
      place();
      line.focus({ preventScroll: true });
      line.select();
      line.setSelectionRange(0, text.length); // iOS selects only so
    }

    // The asynchronous clipboard first; then the older copy command on the line selected in
    // its box; failing both, the line stays shown and selected.
    async function copy() {
      const text = shownLine;
      if (text === null) return;
      try {
        if (!navigator.clipboard || !navigator.clipboard.writeText) throw new Error('none');
        await navigator.clipboard.writeText(text);
        line.hidden = true;
        say('コピーしました');
        return;
      } catch (e) {
        // refused (no permission, not a secure page, an old browser): by hand below
      }
      showSelected(text);
      let copied = false;
      try { copied = document.execCommand('copy'); } catch (e) { copied = false; }
      say(copied ? 'コピーしました' : 'コピーしてください');
    }
    button.addEventListener('click', copy);

    const modalOpen = () => stage.querySelector('.modal:not([hidden])') !== null;

    function refresh() {
      const text = form1.hidden || modalOpen() ? null : finishedRunLine();
      if (text !== shownLine) {
        shownLine = text;
        line.hidden = true;
        line.value = '';
        say('');
      }
      box.hidden = text === null;
      box.dataset.line = text ?? '';
      if (text !== null) place();
    }

    // Beside the window's bottom edge where the labels are: below it when there is room,
    // else to its right, else in the window's title bar.
    function place() {
      if (box.hidden) return;
      const c = client.getBoundingClientRect();
      const w = form1.getBoundingClientRect();
      const scale = c.width / client.offsetWidth || 1;
      const font = Math.min(22, Math.max(13, 11 * scale));
      box.style.fontSize = `${font}px`;
      const viewW = document.documentElement.clientWidth;
      const viewH = document.documentElement.clientHeight;
      box.style.maxWidth = '';
      box.style.left = box.style.top = '0';
      box.style.bottom = '';
      box.className = ''; // measured at the top-left, where nothing squeezes it
      const size = () => box.getBoundingClientRect();
      if (viewH - w.bottom >= size().height + 2 * GAP) {
        box.className = 'below';
        box.style.maxWidth = `${w.width}px`;
        box.style.left = `${Math.max(GAP, w.right - size().width)}px`;
        box.style.top = `${w.bottom + GAP}px`;
      } else if (viewW - w.right - 2 * GAP >= 3 * 12 + 24) {
        // Grows upwards from the labels' bottom edge as the note and the line appear; in a
        // narrow margin the button takes two lines, in smaller type if it must.
        const room = viewW - w.right - 2 * GAP;
        box.style.fontSize = `${Math.min(font, room >= size().width ? font : (room - 24) / 3)}px`;
        box.className = 'beside';
        box.style.maxWidth = `${viewW - w.right - 2 * GAP}px`;
        box.style.left = `${w.right + GAP}px`;
        box.style.top = '';
        box.style.bottom = `${viewH - c.bottom}px`;
      } else {
        // No room outside: in the title bar, left of the close box, where no design
        // control lies.
        box.className = 'over';
        const bar = form1.querySelector('.titlebar').getBoundingClientRect();
        box.style.maxWidth = `${c.width / 2}px`;
        box.style.left = `${bar.right - bar.height * 1.6 - size().width}px`;
        box.style.top = `${bar.top + Math.max(0, (bar.height - button.offsetHeight) / 2)}px`;
      }
    }

    // The window's Tab order takes this control as its last stop while it is shown; the line
    // shown for copying by hand stands in the button's place.
    function tabStop() {
      return box.hidden || modalOpen() ? null : button;
    }
    const ownsFocus = (element) => !box.hidden && (element === button || element === line);

    new MutationObserver(refresh).observe(stage, { subtree: true, attributes: true, attributeFilter: ['hidden'] });
    window.addEventListener('resize', () => requestAnimationFrame(place));

    // The engine's calls that can end a run or set up the next come in the middle of a
    // handler: look once the handler is done.
    let pending = false;
    function refreshSoon() {
      if (pending) return;
      pending = true;
      queueMicrotask(() => { pending = false; refresh(); });
    }
    return { refresh, refreshSoon, place, tabStop, ownsFocus };
  };
  return { create };
})();
