// After a run has ended: one small control beside the simulation window, off the window
// itself, that puts the run's line (the engine's own text) on the clipboard so it pastes into
// one spreadsheet row or one form answer. Where the clipboard is refused, the line is shown
// selected, to be copied by hand. Hidden while a run goes on, after a new setup, on the
// problem window and while a box is open.
'use strict';

const PerneResultCopy = (() => {
  const GAP = 8; // page pixels between the window and the control
  const MIN_FONT = 11; // the smallest type the control is ever set in, in page pixels

  // How to copy a selected line by hand on this kind of device.
  function copyHint() {
    if (window.matchMedia('(pointer: coarse)').matches) return '長押しして「コピー」を選んでください';
    if (/Mac|iPhone|iPad/.test(navigator.platform || navigator.userAgent)) return '⌘C でコピーしてください';
    return 'Ctrl+C でコピーしてください';
  }

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
    button.textContent = '結果をコピー'; // always on one line (see place)
    const line = document.createElement('textarea');
    line.id = 'resultLine';
    line.readOnly = true;
    line.rows = 1;
    line.wrap = 'off';
    line.hidden = true;
    line.setAttribute('aria-label', '結果の行');
    const note = document.createElement('span');
    note.id = 'resultNote';
    note.setAttribute('role', 'status');
    box.append(button, note, line);
    document.getElementById('desktop').append(box);

    let shownLine = null;
    let noteTimer = null;

    // A note goes after a moment; the hint beside a line to copy by hand stays with it.
    function say(text, { stays = false } = {}) {
      note.textContent = text;
      clearTimeout(noteTimer);
      if (text && !stays) noteTimer = setTimeout(() => say(''), 2500);
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
      try {
        copied = document.execCommand('copy');
      } catch (e) {
        copied = false;
      }
      if (copied) say('コピーしました');
      else say(copyHint(), { stays: true });
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

    // The width the line to copy needs on one line, in the box's type (tabs two wide).
    let measure = null; // a canvas context, made on first use
    function lineWidth(font) {
      const context = measure || (measure = document.createElement('canvas').getContext('2d'));
      context.font = `${font * 0.9}px ${getComputedStyle(line).fontFamily}`;
      return Math.ceil(context.measureText(line.value.replace(/\t/g, '  ')).width) + 24;
    }

    // Beside the window's bottom edge where the labels are: below it when there is room,
    // else to its right, else in the window's title bar. The button and its note never break;
    // the line to copy by hand, with its hint, comes whole and on the screen wherever it fits.
    function place() {
      if (box.hidden) return;
      const c = client.getBoundingClientRect();
      const w = form1.getBoundingClientRect();
      const scale = c.width / client.offsetWidth || 1;
      const font = Math.min(22, Math.max(13, 11 * scale));
      box.style.fontSize = `${font}px`;
      const viewW = document.documentElement.clientWidth;
      const viewH = document.documentElement.clientHeight;
      box.style.maxWidth = box.style.width = '';
      box.style.left = box.style.top = '0';
      box.style.bottom = box.style.right = '';
      box.className = ''; // measured at the top-left, where nothing squeezes it
      const size = () => box.getBoundingClientRect();
      if (!line.hidden) return placeLine(font, c, w, viewW, viewH);
      const natural = size().width; // on one line, in `font`
      const room = viewW - w.right - 2 * GAP;
      if (viewH - w.bottom >= size().height + 2 * GAP) {
        box.className = 'below';
        box.style.maxWidth = `${w.width}px`;
        box.style.left = `${Math.max(GAP, w.right - size().width)}px`;
        box.style.top = `${w.bottom + GAP}px`;
      } else if (room >= (natural * MIN_FONT) / font) {
        // Grows upwards from the labels' bottom edge as the note appears; in a narrow margin
        // in smaller type, still on one line.
        box.style.fontSize = `${Math.min(font, (font * room) / natural)}px`;
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

    // The line shown for copying by hand, with the button and the hint above it, as wide as the
    // line: below the window, else to its right, else over the top of the window's field, clear
    // of its buttons (the run has ended; the line goes when a new run is set up),
    // always within the screen.
    function placeLine(font, c, w, viewW, viewH) {
      box.className = 'copying';
      const width = Math.min(Math.max(lineWidth(font), 14 * font), viewW - 2 * GAP);
      box.style.width = `${width}px`;
      const height = box.getBoundingClientRect().height;
      let left, top;
      if (viewH - w.bottom >= height + 2 * GAP) {
        [left, top] = [w.right - width, w.bottom + GAP];
      } else if (viewW - w.right - 2 * GAP >= width) {
        [left, top] = [w.right + GAP, c.bottom - height];
      } else {
        const field = form1.querySelector('.field').getBoundingClientRect();
        [left, top] = [field.right - GAP - width, field.top + GAP];
      }
      box.style.left = `${Math.min(Math.max(GAP, left), viewW - GAP - width)}px`;
      box.style.top = `${Math.min(Math.max(GAP, top), Math.max(GAP, viewH - GAP - height))}px`;
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
      queueMicrotask(() => {
        pending = false;
        refresh();
      });
    }
    return { refresh, refreshSoon, place, tabStop, ownsFocus };
  }
  return { create };
})();
