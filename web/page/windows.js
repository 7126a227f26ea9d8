// Builds the two windows from the design tables the engine hands over: every control at its
// design place and size (design pixels, already rounded by the engine), buttons in the
// design's tab order, lines behind the controls of their container.
'use strict';

const PerneWindows = (() => {
  const images = { Picture3: 'inline:momotaro.png', Picture2: 'inline:dog.png' };

  function place(element, c) {
    element.style.left = `${c.x}px`;
    element.style.top = `${c.y}px`;
    element.style.width = `${c.w}px`;
    element.style.height = `${c.h}px`;
  }

  // A one-pixel line from end to end, both ends drawn.
  function line(l) {
    const element = document.createElement('div');
    element.className = 'line';
    element.dataset.name = l.name;
    element.style.left = `${Math.min(l.px1, l.px2)}px`;
    element.style.top = `${Math.min(l.py1, l.py2)}px`;
    element.style.width = `${Math.abs(l.px2 - l.px1) + 1}px`;
    element.style.height = `${Math.abs(l.py2 - l.py1) + 1}px`;
    return element;
  }

  function button(c) {
    const element = document.createElement('button');
    element.type = 'button';
    element.textContent = c.caption;
    return element;
  }

  // The window's buttons, added in tab order so that Tab follows the design.
  function addButtons(w, form, controls) {
    for (const c of inTabOrder(form.controls)) {
      const element = button(c);
      element.dataset.name = c.name;
      element.dataset.tab = c.tabIndex;
      place(element, c);
      w.client.append(element);
      controls[c.name] = element;
    }
  }

  // A picture box that takes the focus, as the field and the print boxes do in the window
  // program: in the tab order at its design index, named for screen readers.
  function focusable(element, c, name) {
    element.tabIndex = 0;
    element.dataset.tab = c.tabIndex;
    element.setAttribute('role', 'group');
    element.setAttribute('aria-label', name);
  }

  function frame(id, form) {
    const element = document.getElementById(id);
    element.querySelector('.titlebar .caption').textContent = form.caption;
    const client = /** @type {HTMLElement} */ (element.querySelector('.client'));
    client.style.width = `${form.clientW}px`;
    client.style.height = `${form.clientH}px`;
    return { element, client, close: element.querySelector('.titlebar .close') };
  }

  // Buttons go into the page in their tab order, so Tab walks them as designed.
  function inTabOrder(controls) {
    return controls.filter((c) => c.kind === 'button').sort((a, b) => a.tabIndex - b.tabIndex);
  }

  // Some axis marks are barely wider than their box in a substitute face: they are drawn a
  // little tighter, as the engine says (the Qt window tightens them alike).
  function fitCaption(element, engine) {
    const spacing = engine.captionSpacing(element.clientWidth, (s) => {
      element.style.letterSpacing = `${s}px`;
      return element.scrollWidth;
    });
    element.style.letterSpacing = `${spacing}px`;
  }

  function buildForm1(design, engine) {
    const form = design.form1;
    const w = frame('Form1', form);
    w.client.style.background = form.background;
    const controls = {};
    const containers = { Form1: w.client };
    const type = design.typefaces;

    for (const c of form.controls) {
      let element;
      switch (c.kind) {
        case 'button':
          continue; // below, in tab order
        case 'pictureBox':
          element = document.createElement('div');
          element.className = 'field';
          focusable(element, c, design.accessibleNames.field);
          containers[c.name] = element;
          break;
        case 'sprite':
          element = document.createElement('img');
          element.className = 'sprite';
          element.src = images[c.name];
          element.alt = design.accessibleNames[c.name];
          element.draggable = false;
          break;
        case 'axisLabel':
          element = document.createElement('div');
          element.className = 'label axis';
          element.textContent = c.caption;
          element.style.fontSize = `${type.axisLabelPoints}pt`;
          element.style.fontWeight = String(type.axisLabelWeight);
          break;
        case 'valueLabel':
          element = document.createElement('div');
          element.className = 'label value';
          element.textContent = c.caption;
          element.style.background = design.colours.valueLabelBackground;
          break;
        default:
          continue;
      }
      element.dataset.name = c.name;
      place(element, c);
      if (c.kind === 'sprite') {
        element.style.transform = `translate(${c.x}px, ${c.y}px)`;
        element.style.left = element.style.top = '0';
      }
      containers[c.container].append(element);
      controls[c.name] = element;
    }
    controls.Label3.style.color = design.colours.meetingCount;
    controls.Label3.style.fontSize = `${type.meetingCountPoints}pt`;
    controls.Label4.style.color = design.colours.elapsedTime;

    for (const l of form.lines) containers[l.container].prepend(line(l));
    addButtons(w, form, controls);

    const fit = () => {
      for (const c of form.controls) if (c.kind === 'axisLabel') fitCaption(controls[c.name], engine);
    };
    fit();
    if (document.fonts) document.fonts.ready.then(fit, () => {});
    return { ...w, controls, caption: form.caption };
  }

  function buildForm2(design) {
    const form = design.form2;
    const w = frame('Form2', form);
    const controls = {};
    for (const c of form.controls) {
      if (c.kind !== 'printBox') continue;
      const element = document.createElement('div');
      element.className = 'printbox';
      element.dataset.name = c.name;
      element.style.background = design.colours.printBoxBackground;
      focusable(element, c, design.accessibleNames[c.name === 'Picture1' ? 'problem' : 'conditions']);
      place(element, c);
      w.client.append(element);
      controls[c.name] = element;
    }
    for (const l of form.lines) w.client.prepend(line(l));
    addButtons(w, form, controls);
    return {
      ...w,
      controls,
      caption: form.caption,
      picture1: new PernePrintBox.PrintBox(controls.Picture1, design.typefaces.defaultPoints),
      picture2: new PernePrintBox.PrintBox(controls.Picture2, design.typefaces.defaultPoints),
    };
  }
  return { buildForm1, buildForm2 };
})();
