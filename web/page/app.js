// The page: builds both windows from the engine's design tables and wires the engine's
// seams to them -- controls on the DOM, prompts and the quit question in the page's own
// modal boxes, cues through Web Audio, the clocks from the local time and performance.now(),
// and Timer1 and Timer2 as two intervals of the engine's timer period. Every rule of the walk
// and the run stays in the engine: the
// intervals only tell it the time, and it runs every tick that is due by then, so a hidden
// tab or a sleeping device never costs the walk a step.
'use strict';

(() => {
  const stage = document.getElementById('stage');

  // Seconds since local midnight, with their fraction; the engine reads it as a float.
  function secondsSinceMidnight() {
    const now = new Date();
    const midnight = new Date(now.getTime());
    midnight.setHours(0, 0, 0, 0);
    return (now.getTime() - midnight.getTime()) / 1000;
  }

  // Seconds that only move on with time, whatever the device's clock is set to: the engine
  // counts a run's periods by them.
  function steadySeconds() {
    return performance.now() / 1000;
  }

  // The class's column beside the window, once the page is in a class (classroom.js).
  /** @type {ReturnType<typeof PerneStudentClass.create> | null} */
  let classroom = null;

  // The shown window fills the viewport, scaled as a whole, centred, with its proportions.
  function fit() {
    const shown = /** @type {HTMLElement | null} */ (stage.querySelector('.window:not([hidden])'));
    if (!shown) return;
    const width = shown.offsetWidth;
    const height = shown.offsetHeight;
    let viewWidth = document.documentElement.clientWidth;
    let viewHeight = document.documentElement.clientHeight;
    // In a class, the class's column takes the side the window leaves free: the left in a
    // wide view, the top in a tall one.
    let left = 0;
    let top = 0;
    const side = classroom && classroom.box();
    if (side) {
      const wide = viewWidth / viewHeight > width / height;
      side.className = wide ? 'left' : 'top';
      const box = side.getBoundingClientRect();
      if (wide) left = box.width;
      else top = box.height;
      viewWidth -= left;
      viewHeight -= top;
    }
    const margin = Math.min(viewWidth, viewHeight) * 0.02;
    const scale = Math.max(0.1, Math.min((viewWidth - 2 * margin) / width, (viewHeight - 2 * margin) / height));
    stage.style.width = `${width}px`;
    stage.style.height = `${height}px`;
    stage.style.transform =
      `translate(${left + (viewWidth - width * scale) / 2}px, ` +
      `${top + (viewHeight - height * scale) / 2}px) scale(${scale})`;
  }

  // A focused button that goes disabled hands the focus on to the button the engine names
  // (the next enabled one in tab order, never Quit).
  function focusAfter(module, win, button) {
    const next = module.buttonTakingFocus(button.dataset.name, (name) => !win.controls[name].disabled);
    if (next !== null) win.controls[next].focus({ preventScroll: true });
  }

  // The window's tab stops in their design order: the buttons that can be pressed and the
  // boxes that take the focus.
  function tabStops(win) {
    return [...win.client.querySelectorAll('[data-tab]')]
      .filter((e) => !e.disabled)
      .sort((a, b) => Number(a.dataset.tab) - Number(b.dataset.tab));
  }

  // Tab and Shift+Tab go round the window's tab stops, as in a desktop window, then the
  // controls beside it (`extra`, with the element that stands for each); an open box keeps
  // the keys to itself, and the focus elsewhere on the page moves as the browser moves it.
  function moveTab(event, win, dialogs, extra) {
    if (event.key !== 'Tab' || event.altKey || event.ctrlKey || event.metaKey || dialogs.isOpen()) return;
    const from = extra.owner(document.activeElement) ?? document.activeElement;
    if (from && from !== document.body && !win.element.contains(from) && from !== extra.stop) return;
    const stops = tabStops(win);
    if (extra.stop) stops.push(extra.stop);
    if (stops.length === 0) return;
    event.preventDefault();
    const at = stops.indexOf(from);
    const step = event.shiftKey ? -1 : 1;
    const next = at < 0 ? (event.shiftKey ? stops.length - 1 : 0) : (at + step + stops.length) % stops.length;
    stops[next].focus({ preventScroll: true });
  }

  function offerInstall() {
    // Served over http(s) the page can be installed and works offline; from a file there
    // is nothing to install and nothing may be asked for.
    if (location.protocol !== 'http:' && location.protocol !== 'https:') return;
    for (const [rel, href] of [
      ['manifest', 'perne.webmanifest'],
      ['apple-touch-icon', 'icons/perne-192.png'],
    ]) {
      const link = document.createElement('link');
      link.rel = rel;
      link.href = href;
      document.head.append(link);
    }
    if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
  }

  async function start() {
    const module = await createPerneEngine();
    const design = module.designTables();
    const cues = PerneCues.create();
    const form1 = PerneWindows.buildForm1(design, module);
    const form2 = PerneWindows.buildForm2(design);
    const dialogs = PerneDialogs.create(() => [form1.element, form2.element]);
    const announcer = PerneAnnouncer.create(document.getElementById('announcer'), design.runEndedText);
    const intervals = { Timer1: null, Timer2: null };
    let shown = null;
    let engine = null;
    let ended = false;
    const result = PerneResultCopy.create(() => engine.finishedRunLine());
    // A run has ended when the engine has a finished run and had none before; the next
    // setup takes it away again.
    let hadFinished = false;
    let classroomCheck = false;
    function checkRunEnded() {
      if (classroomCheck) return;
      classroomCheck = true;
      queueMicrotask(() => {
        classroomCheck = false;
        const has = engine.finishedRunLine() !== null;
        if (has && !hadFinished && classroom) classroom.runEnded();
        hadFinished = has;
      });
    }

    const tickers = {
      Timer1: () => engine.timer1Tick(),
      Timer2: () => engine.timer2Tick(),
    };

    // The simulation window as the engine drives it.
    engine = new module.PageEngine({
      // Both timers write the elapsed time, which changes once a second: only a new text
      // is put on the page, so an unchanged label costs no layout.
      setCaption(name, text) {
        const label = form1.controls[name];
        if (label.textContent !== text) label.textContent = text;
        announcer.caption(name, text);
      },
      setSpriteVisible(name, visible) {
        form1.controls[name].hidden = !visible;
      },
      moveSprite(name, x, y) {
        // Sprites stand at the field's origin and move by a transform, without a compositor
        // layer of their own: in WebKit such a layer turns the scaled window's text into a
        // bitmap drawn at design size, blurred.
        form1.controls[name].style.transform = `translate(${x}px, ${y}px)`;
      },
      setButtonEnabled(name, enabled) {
        const button = form1.controls[name];
        const hadFocus = document.activeElement === button;
        button.disabled = !enabled;
        result.refreshSoon();
        checkRunEnded();
        // Once the handler is done, so the focus lands on a button that stays enabled.
        if (hadFocus && !enabled) {
          queueMicrotask(() => {
            const now = document.activeElement;
            if (now === button || now === document.body || now === null) focusAfter(module, form1, button);
          });
        }
      },
      // Enabling a running timer leaves it on its beat.
      setTimerEnabled(name, enabled) {
        if (!ended) announcer.timer(name, enabled);
        result.refreshSoon();
        checkRunEnded();
        if (!enabled) {
          clearInterval(intervals[name]);
          intervals[name] = null;
        } else if (intervals[name] === null && !ended) {
          intervals[name] = setInterval(tickers[name], design.timerIntervalMs);
        }
      },
      playCue(name) {
        cues.play(name);
      },
      secondsSinceMidnight,
      steadySeconds,
    });

    // Each window keeps the control that had the focus when it was hidden and gives it the
    // focus back when shown again; the problem window's focus starts on its problem box.
    const focusIn = new Map([
      [form1, form1.controls.Picture1],
      [form2, form2.controls.Picture1],
    ]);

    function show(win) {
      if (shown && shown !== win && shown.element.contains(document.activeElement))
        focusIn.set(shown, document.activeElement);
      for (const w of [form1, form2]) w.element.hidden = w !== win;
      shown = win;
      document.title = win.caption;
      fit();
      if (win === form2) activateForm2();
      const target = win === form2 ? form2.controls.Picture1 : focusIn.get(win);
      (target.disabled ? form1.controls.Picture1 : target).focus({ preventScroll: true });
    }

    // The problem window prints its texts afresh every time it is shown, in the engine's
    // steps. The first empty line of each box goes out in whatever size the box has then.
    function activateForm2() {
      const boxes = { Picture1: form2.picture1, Picture2: form2.picture2 };
      for (const step of design.problemPrintout) {
        const box = boxes[step.box];
        if (step.op === 'clear') box.clear();
        else if (step.op === 'emptyLine') box.print();
        else if (step.op === 'fontSize') box.setFontSize(step.value);
        else if (step.op === 'foreColour') box.setForeColour(design.colours.table[step.value]);
        else box.print(step.text);
      }
    }

    // Mode button: the engine asks its prompts one at a time, each in the input box.
    function setUp(mode) {
      const ask = (prompt) => {
        if (prompt)
          dialogs.ask(prompt.title, prompt.prompt, prompt.defaultAnswer, (text) => ask(engine.answerPrompt(text)));
      };
      ask(engine.beginSetUp(mode));
    }

    // Quit, on either window: the end cue, then the question. A page cannot close its own
    // tab, so Yes stops everything and leaves a plain screen that can start again.
    function quit() {
      cues.play('endpinpon.wav');
      dialogs.confirm(design.quitTitle, design.quitQuestion, (yes) => {
        if (yes) end();
      });
    }

    function end() {
      ended = true;
      for (const name of Object.keys(intervals)) {
        clearInterval(intervals[name]);
        intervals[name] = null;
      }
      cues.silence();
      announcer.silence();
      dialogs.dismiss();
      form1.element.hidden = true;
      form2.element.hidden = true;
      shown = null;
      document.getElementById('ended').hidden = false;
      document.getElementById('again').focus({ preventScroll: true });
      document.title = design.quitTitle;
    }

    const on = (element, handler) => element.addEventListener('click', handler);
    const c1 = form1.controls;
    on(c1.Command1, quit);
    on(c1.Command2, () => setUp('both'));
    on(c1.Command3, () => setUp('dog'));
    on(c1.Command4, () => engine.command4Click());
    on(c1.Command5, () => engine.command5Click());
    on(c1.Command6, () => {
      cues.play('pinpon.wav');
      show(form2);
    });
    on(form1.close, quit);
    on(form2.controls.Command1, quit);
    on(form2.controls.Command2, () => {
      cues.play('pinpon.wav');
      show(form1);
    });
    on(form2.close, quit);
    on(document.getElementById('again'), () => location.reload());
    document.addEventListener('keydown', (event) => {
      if (!shown) return;
      const stop = shown === form1 ? result.tabStop() : null;
      const owner = (element) => (stop && result.ownsFocus(element) ? stop : null);
      moveTab(event, shown, dialogs, { stop, owner });
    });
    window.addEventListener('resize', fit);
    // A tab shown again catches up at once instead of at the next timer event, which a
    // browser may hold back for a minute; nothing depends on this event arriving.
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'visible' && !ended) engine.catchUp();
    });

    engine.load();
    classroom = PerneStudentClass.create({
      receiptOf: () => engine.finishedRunReceipt(),
      onLayout: () => {
        fit();
        result.place();
      },
    });
    show(form1);
    // What the tests and the benchmarks read of the running page: the ticks each timer has
    // made in this run (as the engine counts them), the engine, and when the page was ready.
    window.Perne = {
      ticks: {
        get Timer1() {
          return engine.ticksRun(1);
        },
        get Timer2() {
          return engine.ticksRun(2);
        },
      },
      engine: module,
      readyAt: performance.now(),
    };
    document.body.dataset.ready = 'true';
  }

  // A page that cannot start says so; nothing is left as an unhandled rejection.
  start().catch(() => {
    document.getElementById('failed').hidden = false;
  });
  offerInstall();
})();
