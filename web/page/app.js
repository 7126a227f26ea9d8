// The page: builds both windows from the engine's design tables and wires the engine's
// seams to them -- controls on the DOM, prompts and the quit question in the page's own
// modal boxes, cues through Web Audio, the clock from the local time, and Timer1 and Timer2
// as two 200 ms intervals. Every rule of the walk and the run stays in the engine.
'use strict';

var Perne = window.Perne || (window.Perne = {});

(function () {
  const kTimerIntervalMs = 200;
  const stage = document.getElementById('stage');

  // Seconds since local midnight, with their fraction; the engine reads it as a float.
  function secondsSinceMidnight() {
    const now = new Date();
    const midnight = new Date(now.getTime());
    midnight.setHours(0, 0, 0, 0);
    return (now.getTime() - midnight.getTime()) / 1000;
  }

  // The shown window fills the viewport, scaled as a whole, centred, with its proportions.
  function fit() {
    const shown = stage.querySelector('.window:not([hidden])');
    if (!shown) return;
    const width = shown.offsetWidth;
    const height = shown.offsetHeight;
    const viewWidth = document.documentElement.clientWidth;
    const viewHeight = document.documentElement.clientHeight;
    const margin = Math.min(viewWidth, viewHeight) * 0.02;
    const scale = Math.max(0.1, Math.min((viewWidth - 2 * margin) / width,
                                         (viewHeight - 2 * margin) / height));
    stage.style.width = `${width}px`;
    stage.style.height = `${height}px`;
    stage.style.transform = `translate(${(viewWidth - width * scale) / 2}px, ` +
                            `${(viewHeight - height * scale) / 2}px) scale(${scale})`;
  }

  function enabledButtons(win) {
    return [...win.client.querySelectorAll(':scope > button')].filter((b) => !b.disabled);
  }

  // A focused button that goes disabled hands the focus on to the next one in tab order,
  // going round; never to Quit, so that a stray key cannot ask to end the program.
  function focusAfter(win, button) {
    const all = [...win.client.querySelectorAll(':scope > button')];
    const from = all.indexOf(button);
    for (let i = 1; i <= all.length; ++i) {
      const next = all[(from + i) % all.length];
      if (!next.disabled && next.dataset.name !== 'Command1') {
        next.focus({ preventScroll: true });
        return;
      }
    }
  }

  // Tab and Shift+Tab go round the window's buttons, as in a desktop window.
  function wrapTab(event, win, dialogs) {
    if (event.key !== 'Tab' || dialogs.isOpen()) return;
    const buttons = enabledButtons(win);
    if (buttons.length === 0) return;
    const at = buttons.indexOf(document.activeElement);
    if (!event.shiftKey && at === buttons.length - 1) {
      event.preventDefault();
      buttons[0].focus();
    } else if (event.shiftKey && at === 0) {
      event.preventDefault();
      buttons[buttons.length - 1].focus();
    }
  }

  function offerInstall() {
    // Served over http(s) the page can be installed and works offline; from a file there
    // is nothing to install and nothing may be asked for.
    if (location.protocol !== 'http:' && location.protocol !== 'https:') return;
    for (const [rel, href] of [['manifest', 'perne.webmanifest'],
                               ['apple-touch-icon', 'icons/perne-192.png']]) {
      const link = document.createElement('link');
      link.rel = rel;
      link.href = href;
      document.head.append(link);
    }
    if ('serviceWorker' in navigator)
      navigator.serviceWorker.register('sw.js').catch(() => {});
  }

  async function start() {
    let module;
    try {
      module = await createPerneEngine();
    } catch (e) {
      document.getElementById('failed').hidden = false;
      throw e;
    }
    const design = module.designTables();
    const cues = Perne.createCues();
    const form1 = Perne.buildForm1(design);
    const form2 = Perne.buildForm2(design);
    const dialogs = Perne.createDialogs(() => [form1.element, form2.element]);
    const ticks = { Timer1: 0, Timer2: 0 };
    const intervals = { Timer1: null, Timer2: null };
    let shown = null;
    let engine = null;
    let ended = false;
    const result = Perne.createResultCopy(() => engine.finishedRunLine());

    const tickers = {
      Timer1: () => { ++ticks.Timer1; engine.timer1Tick(); },
      Timer2: () => { ++ticks.Timer2; engine.timer2Tick(); },
    };

    // The simulation window as the engine drives it.
    engine = new module.PageEngine({
      // Both timers write the elapsed time, which changes once a second: only a new text
      // is put on the page, so an unchanged label costs no layout.
      setCaption(name, text) {
        const label = form1.controls[name];
        if (label.textContent !== text) label.textContent = text;
      },
      setSpriteVisible(name, visible) { form1.controls[name].hidden = !visible; },
      moveSprite(name, x, y) {
        // Sprites stand at the field's origin and move by their own compositor layer's
        // offset: a step repaints nothing.
        form1.controls[name].style.transform = `translate(${x}px, ${y}px)`;
      },
      setButtonEnabled(name, enabled) {
        const button = form1.controls[name];
        const hadFocus = document.activeElement === button;
        button.disabled = !enabled;
        result.refreshSoon();
        // Once the handler is done, so the focus lands on a button that stays enabled.
        if (hadFocus && !enabled) {
          queueMicrotask(() => {
            const now = document.activeElement;
            if (now === button || now === document.body || now === null) focusAfter(form1, button);
          });
        }
      },
      // Enabling a running timer leaves it on its beat.
      setTimerEnabled(name, enabled) {
        result.refreshSoon();
        if (!enabled) {
          clearInterval(intervals[name]);
          intervals[name] = null;
        } else if (intervals[name] === null && !ended) {
          intervals[name] = setInterval(tickers[name], kTimerIntervalMs);
        }
      },
      playCue(name) { cues.play(name); },
      secondsSinceMidnight,
    });

    function show(win) {
      for (const w of [form1, form2]) w.element.hidden = w !== win;
      shown = win;
      document.title = win.caption;
      fit();
      if (win === form2) activateForm2();
    }

    // The problem window prints its texts afresh every time it is shown. The first empty
    // line of each box goes out in whatever size the box has then.
    function activateForm2() {
      const texts = design.problem;
      const colour = (n) => design.colours.table[n];
      const p1 = form2.picture1;
      p1.clear();
      p1.print();
      p1.setFontSize(texts.printPoints);
      p1.setForeColour(colour(texts.headingColour));
      p1.print(texts.contestLine);
      p1.print();
      p1.setForeColour(colour(texts.textColour));
      p1.print(texts.problemHeading);
      for (const line of texts.problemLines) p1.print(line);
      const p2 = form2.picture2;
      p2.clear();
      p2.print();
      p2.setFontSize(texts.printPoints);
      p2.setForeColour(colour(texts.headingColour));
      p2.print(texts.conditionsHeading);
      p2.setForeColour(colour(texts.conditionColour));
      for (const line of texts.conditionLines) p2.print(line);
      p2.setForeColour(colour(texts.textColour));
    }

    // Mode button: the engine asks its prompts one at a time, each in the input box.
    function setUp(mode) {
      const ask = (prompt) => {
        if (prompt)
          dialogs.ask(prompt.title, prompt.prompt, prompt.defaultAnswer,
                      (text) => ask(engine.answerPrompt(text)));
      };
      ask(engine.beginSetUp(mode));
    }

    // Quit, on either window: the end cue, then the question. A page cannot close its own
    // tab, so Yes stops everything and leaves a plain screen that can start again.
    function quit() {
      cues.play('endpinpon.wav');
      dialogs.confirm(design.quitTitle, design.quitQuestion, (yes) => { if (yes) end(); });
    }

    function end() {
      ended = true;
      for (const name of Object.keys(intervals)) {
        clearInterval(intervals[name]);
        intervals[name] = null;
      }
      cues.silence();
      dialogs.dismiss();
      form1.element.hidden = true;
      form2.element.hidden = true;
      shown = null;
      document.getElementById('ended').hidden = false;
      document.title = design.quitTitle;
    }

    const on = (element, handler) => element.addEventListener('click', handler);
    const c1 = form1.controls;
    on(c1.Command1, quit);
    on(c1.Command2, () => setUp(1));
    on(c1.Command3, () => setUp(-1));
    on(c1.Command4, () => engine.command4Click());
    on(c1.Command5, () => engine.command5Click());
    on(c1.Command6, () => { cues.play('pinpon.wav'); show(form2); });
    on(form1.close, quit);
    on(form2.controls.Command1, quit);
    on(form2.controls.Command2, () => { cues.play('pinpon.wav'); show(form1); });
    on(form2.close, quit);
    on(document.getElementById('again'), () => location.reload());
    document.addEventListener('keydown', (event) => { if (shown) wrapTab(event, shown, dialogs); });
    window.addEventListener('resize', fit);

    engine.load();
    show(form1);
    Perne.ticks = ticks;
    Perne.engine = module;
    Perne.readyAt = performance.now();
    document.body.dataset.ready = 'true';
  }

  start();
  offerInstall();
})();
