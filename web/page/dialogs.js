// The page's own modal boxes: the input box of the setup prompts and the Yes/No question of
// Quit. They cover the window they belong to, leave everything behind them inert, and hand
// the answer to a callback, so the page's timers go on while they are open.
'use strict';

const PerneDialogs = (() => {
  function create(background) {
    const inputBox = document.getElementById('inputBox');
    const inputForm = inputBox.querySelector('form');
    const inputTitle = inputBox.querySelector('.caption');
    const inputPrompt = inputBox.querySelector('.prompt');
    const answer = /** @type {HTMLInputElement} */ (inputBox.querySelector('.answer'));
    const messageBox = document.getElementById('messageBox');
    const messageForm = messageBox.querySelector('form');
    let open = null; // { box, done, returnFocus }

    // Each box's controls in their tab order: the input box as the platform's (the answer,
    // OK, キャンセル), the question Yes then No.
    const tabOrder = /** @type {Map<Element, HTMLElement[]>} */ (
      new Map([
        [inputBox, [answer, inputBox.querySelector('.ok'), inputBox.querySelector('.cancel')]],
        [messageBox, [messageBox.querySelector('.yes'), messageBox.querySelector('.no')]],
      ])
    );

    // Tab and Shift+Tab go round the open box: the focus stays in it until it is answered.
    document.addEventListener('keydown', (event) => {
      if (!open || event.key !== 'Tab' || event.altKey || event.ctrlKey || event.metaKey) return;
      event.preventDefault();
      const stops = tabOrder.get(open.box);
      const at = stops.indexOf(/** @type {HTMLElement} */ (document.activeElement));
      const step = event.shiftKey ? -1 : 1;
      const next = at < 0 ? 0 : (at + step + stops.length) % stops.length;
      stops[next].focus({ preventScroll: true });
    });

    function show(box, done) {
      open = { box, done, returnFocus: document.activeElement };
      for (const element of background()) element.inert = true;
      box.hidden = false;
    }

    function close(result) {
      if (!open) return;
      const { box, done, returnFocus } = open;
      open = null;
      box.hidden = true;
      for (const element of background()) element.inert = false;
      if (returnFocus && returnFocus.focus) returnFocus.focus({ preventScroll: true });
      done(result);
    }

    inputForm.addEventListener('submit', (event) => {
      event.preventDefault();
      close(answer.value);
    });
    inputBox.querySelector('.cancel').addEventListener('click', () => close(''));
    inputForm.addEventListener('keydown', (event) => {
      // Escape while an input method is composing only cancels the composition.
      if (event.key === 'Escape' && !event.isComposing) {
        event.preventDefault();
        close('');
      }
    });

    messageForm.addEventListener('submit', (event) => {
      event.preventDefault();
      close(true);
    });
    messageBox.querySelector('.no').addEventListener('click', () => close(false));

    return {
      isOpen: () => open !== null,

      // The input box: the default answer stands selected; OK or Enter hands over the text,
      // キャンセル or Escape empty text.
      ask(title, prompt, defaultAnswer, done) {
        inputTitle.textContent = title;
        inputPrompt.textContent = prompt;
        answer.value = defaultAnswer;
        show(inputBox, done);
        answer.focus({ preventScroll: true });
        answer.select();
      },

      // Yes (the default button) or No.
      confirm(title, question, done) {
        messageBox.querySelector('.caption').textContent = title;
        messageBox.querySelector('.message').textContent = question;
        show(messageBox, done);
        /** @type {HTMLElement} */ (messageBox.querySelector('.yes')).focus({ preventScroll: true });
      },

      // Quit with Yes: whatever is open goes without an answer.
      dismiss() {
        if (!open) return;
        open.box.hidden = true;
        for (const element of background()) element.inert = false;
        open = null;
      },
    };
  }

  return { create };
})();
