// The student's page in a class: only when the page is served by the class server (it
// answers api/info) or its address names a class (?class=CODE). Then a column beside the
// simulation window shows the class's code and the teacher's points, asks for a prediction,
// and says how the sending stands; every run that ends goes to the server by itself.
//
// Each ended run is first written to the page's storage (the outbox) with a key of its own,
// then sent; it leaves the outbox only once the server has answered for it. A reload, a
// closed lid or a lost network leaves it there, and the next try sends it with the same
// key, which the server counts once. Opened from a file, none of this exists.
'use strict';

const PerneStudentClass = (() => {
  const STORE = { device: 'perne.class.device', outbox: 'perne.class.outbox', sessions: 'perne.class.sessions' };
  const ALPHABET = /^[23456789ABCDEFGHJKMNPQRSTUVWXYZ]{6}$/;
  const RETRY_MS = [1000, 2000, 5000, 10000, 20000, 30000];
  const CHOICES = [
    ['both', '２人'],
    ['dog', '１人'],
    ['same', '同じ'],
  ];

  const storage = {
    get(key, fallback) {
      try {
        const text = localStorage.getItem(key);
        return text === null ? fallback : JSON.parse(text);
      } catch (e) {
        return fallback;
      }
    },
    set(key, value) {
      try {
        localStorage.setItem(key, JSON.stringify(value));
        return true;
      } catch (e) {
        return false;
      }
    },
  };

  // 16 random bytes in base64url: 22 characters, as the server asks of ids and keys.
  function randomId() {
    const bytes = crypto.getRandomValues(new Uint8Array(16));
    return btoa(String.fromCharCode(...bytes))
      .replace(/\+/g, '-')
      .replace(/\//g, '_')
      .replace(/=+$/, '');
  }

  // A code as typed: half-width, upper case, without spaces or hyphens.
  function normaliseCode(text) {
    return String(text)
      .replace(/[Ａ-Ｚａ-ｚ０-９]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0xfee0))
      .replace(/[\s\-‐－ー]/g, '')
      .toUpperCase();
  }

  function api(path) {
    return new URL(`api/${path}`, location.href).href;
  }

  async function call(method, path, body) {
    const response = await fetch(api(path), {
      method,
      headers: body ? { 'Content-Type': 'application/json' } : {},
      body: body ? JSON.stringify(body) : undefined,
      cache: 'no-store',
    });
    let json = null;
    try {
      json = await response.json();
    } catch (e) {
      json = null;
    }
    return { status: response.status, json, retryAfter: Number(response.headers.get('Retry-After')) || 0 };
  }

  // Whether the page came from the class server: 'yes'; 'no' from a file or any other server;
  // 'unreachable' when nothing answered (offline, or the server is down).
  async function servedByClassServer() {
    if (location.protocol !== 'http:' && location.protocol !== 'https:') return 'no';
    try {
      const { status, json } = await call('GET', 'info');
      return status === 200 && json !== null && json.server === 'perne-class' ? 'yes' : 'no';
    } catch (e) {
      return 'unreachable';
    }
  }

  // receiptOf() -> {meetings, seconds, receipt} of the run that has just ended, from the
  // engine; onLayout() is called when the column beside the window changes its size.
  function create({ receiptOf, onLayout }) {
    const params = new URLSearchParams(location.search);
    const asked = params.has('class') ? normaliseCode(params.get('class')) : null;
    let code = null;
    let session = null; // {momotaro, dog, open, locked} as the server last said
    let deviceNumber = null;
    let retryAt = 0;
    let retryTimer = null;
    let attempt = 0;
    let sending = false;
    let lastSent = null; // 'sent' | 'refused' after the last answer
    let refusedText = '';

    const panel = document.createElement('aside');
    panel.id = 'classroom';
    panel.hidden = true;
    panel.setAttribute('aria-label', 'クラス');
    document.getElementById('desktop').append(panel);

    function deviceId() {
      let id = storage.get(STORE.device, null);
      if (typeof id !== 'string' || !/^[A-Za-z0-9_-]{22,64}$/.test(id)) {
        id = randomId();
        storage.set(STORE.device, id);
      }
      return id;
    }

    const outbox = () => storage.get(STORE.outbox, []).filter((r) => r && typeof r.key === 'string');
    const sessionMemo = (c) => (storage.get(STORE.sessions, {}) || {})[c] || {};
    function remember(c, fields) {
      const all = storage.get(STORE.sessions, {}) || {};
      all[c] = { ...(all[c] || {}), ...fields };
      storage.set(STORE.sessions, all);
    }

    // ---- what the column shows ----
    const el = (tag, props = {}, ...children) => {
      const e = Object.assign(document.createElement(tag), props);
      e.append(...children);
      return e;
    };
    const codeLine = el('p', { className: 'code' });
    const pointsLine = el('p', { className: 'points' });
    const status = el('p', { className: 'sending', id: 'classSending' });
    status.setAttribute('role', 'status');
    const question = el('fieldset', { className: 'predict' }, el('legend', { textContent: '予想: 早く出会うのは？' }));
    const choiceButtons = CHOICES.map(([value, label]) => {
      const b = el('button', { type: 'button', textContent: label });
      b.dataset.choice = value;
      b.setAttribute('aria-pressed', 'false');
      b.addEventListener('click', () => predict(value));
      question.append(b);
      return b;
    });
    const joinForm = el('form', { className: 'join' });
    const joinInput = el('input', {
      id: 'classCode',
      type: 'text',
      maxLength: 12,
      autocomplete: 'off',
      spellcheck: false,
    });
    joinInput.setAttribute('autocapitalize', 'characters');
    joinInput.setAttribute('enterkeyhint', 'go');
    const joinMessage = el('p', { className: 'message', id: 'classJoinMessage' });
    joinMessage.setAttribute('role', 'alert');
    joinForm.append(
      el('label', { htmlFor: 'classCode', textContent: 'クラスのコード' }),
      joinInput,
      el('button', { type: 'submit', textContent: '参加' }),
      joinMessage,
    );
    joinForm.addEventListener('submit', (event) => {
      event.preventDefault();
      const typed = normaliseCode(joinInput.value);
      if (!ALPHABET.test(typed)) {
        joinMessage.textContent = 'コードは 6 文字です';
        return;
      }
      enter(typed, true);
    });

    function layout() {
      panel.hidden = false;
      onLayout();
    }

    function showJoin() {
      panel.replaceChildren(joinForm);
      panel.dataset.state = 'join';
      layout();
    }

    function showClass() {
      panel.replaceChildren(codeLine, pointsLine, question, status);
      panel.dataset.state = 'class';
      codeLine.replaceChildren(
        el('span', { className: 'code-label', textContent: 'クラス' }),
        el('span', { className: 'code-value', textContent: code }),
      );
      const p = session || sessionMemo(code);
      pointsLine.replaceChildren(
        ...(p.momotaro
          ? [
              el('span', { textContent: `桃太郎 (${p.momotaro[0]}, ${p.momotaro[1]})` }),
              el('span', { textContent: `犬 (${p.dog[0]}, ${p.dog[1]})` }),
            ]
          : []),
      );
      const chosen = sessionMemo(code).choice;
      for (const b of choiceButtons) b.setAttribute('aria-pressed', String(b.dataset.choice === chosen));
      showStatus();
      layout();
    }

    // One short line: what happens to the runs of this page.
    function showStatus() {
      const waiting = outbox().length;
      let text = '';
      if (session && !session.open) text = '授業は終わりました';
      else if (sending) text = '送信中…';
      else if (waiting > 0 && session && session.locked) text = `送信待ち ${waiting} 回（受付が止まっています）`;
      else if (waiting > 0) text = `送信待ち ${waiting} 回（つながると送ります）`;
      else if (lastSent === 'refused') text = refusedText;
      else if (lastSent === 'sent') text = '送信しました';
      else if (session && session.locked) text = '受付は止まっています';
      else text = '実験が終わると、結果が先生に届きます';
      if (status.textContent !== text) status.textContent = text;
      status.dataset.waiting = String(waiting);
      panel.dataset.sending = sending ? 'sending' : waiting > 0 ? 'waiting' : (lastSent ?? '');
    }

    // ---- joining ----
    async function enter(wanted, typed) {
      joinMessage.textContent = '';
      let answer;
      try {
        answer = await call('GET', `sessions/${wanted}`);
      } catch (e) {
        answer = null;
      }
      if (answer && answer.status === 404) {
        // No such class: nothing is kept for it; the code can be typed again.
        if (!typed) {
          code = null;
          showJoin();
        }
        joinMessage.textContent = 'このコードのクラスはありません';
        return;
      }
      code = wanted;
      if (typed) history.replaceState(null, '', `${location.pathname}?class=${code}`);
      if (answer && answer.status === 200 && answer.json) {
        const { momotaro, dog, open, locked } = answer.json;
        session = { momotaro, dog, open, locked };
        remember(code, { momotaro, dog });
      }
      showClass();
      await join();
      flush();
    }

    async function join() {
      const memo = sessionMemo(code);
      if (memo.deviceNumber) deviceNumber = memo.deviceNumber;
      try {
        const { status: s, json } = await call('POST', `sessions/${code}/join`, { device: deviceId() });
        if (s === 200 || s === 201) {
          deviceNumber = json.deviceNumber;
          remember(code, { deviceNumber });
        }
        if (memo.choice && memo.choiceSent !== memo.choice) sendPrediction(memo.choice);
      } catch (e) {
        // offline: the runs wait in the outbox and join on the next try
      }
    }

    function predict(choice) {
      remember(code, { choice });
      for (const b of choiceButtons) b.setAttribute('aria-pressed', String(b.dataset.choice === choice));
      sendPrediction(choice);
    }

    async function sendPrediction(choice) {
      try {
        const { status: s } = await call('POST', `sessions/${code}/predictions`, { device: deviceId(), choice });
        if (s === 200 || s === 201) remember(code, { choiceSent: choice });
      } catch (e) {
        // sent again with the next run or the next visit
      }
    }

    // ---- sending ----
    // A run that has ended: into the outbox at once, then out.
    function runEnded() {
      if (!code) return;
      const run = receiptOf();
      if (!run) return;
      const box = outbox();
      box.push({ code, key: randomId(), meetings: run.meetings, seconds: run.seconds, receipt: run.receipt });
      storage.set(STORE.outbox, box);
      lastSent = null;
      flush();
    }

    function drop(key) {
      storage.set(
        STORE.outbox,
        outbox().filter((r) => r.key !== key),
      );
    }

    function later(ms) {
      clearTimeout(retryTimer);
      retryAt = Date.now() + ms;
      retryTimer = setTimeout(flush, ms);
    }

    // Sends what waits, oldest first; stops at the first failure and tries again later.
    async function flush() {
      if (sending) return;
      clearTimeout(retryTimer);
      retryTimer = null;
      sending = outbox().length > 0;
      showStatus();
      let again = 0;
      try {
        for (const run of outbox()) {
          const device = deviceId();
          let answer = await call('POST', `sessions/${run.code}/runs`, {
            device,
            key: run.key,
            meetings: run.meetings,
            seconds: run.seconds,
            receipt: run.receipt,
          });
          if (answer.status === 404 && run.code === code) {
            // The server does not know this device in the class yet.
            await join();
            answer = await call('POST', `sessions/${run.code}/runs`, {
              device,
              key: run.key,
              meetings: run.meetings,
              seconds: run.seconds,
              receipt: run.receipt,
            });
          }
          const s = answer.status;
          if (s === 200 || s === 201) {
            drop(run.key);
            lastSent = 'sent';
            attempt = 0;
            if (run.code === code && session) session.locked = false;
          } else if (s === 429 || s >= 500) {
            again = s === 429 && answer.retryAfter ? answer.retryAfter * 1000 : 0;
            throw new Error('later');
          } else if (s === 409) {
            // Closed: nothing will take it. Locked: it waits until the teacher opens again.
            const state = await call('GET', `sessions/${run.code}`);
            if (state.status === 200 && state.json && !state.json.open) {
              drop(run.key);
              if (run.code === code) session = { ...session, ...state.json };
              lastSent = 'refused';
              refusedText = '授業が終わっていて送れませんでした';
            } else {
              if (run.code === code && state.json) session = { ...session, ...state.json };
              refusedText = '';
              throw new Error('locked');
            }
          } else {
            // Refused for good (unknown class, a request the server cannot take).
            drop(run.key);
            lastSent = 'refused';
            refusedText = '送れませんでした';
          }
        }
      } catch (e) {
        attempt = Math.min(attempt + 1, RETRY_MS.length);
        later(Math.max(again, RETRY_MS[attempt - 1]));
      } finally {
        sending = false;
        showStatus();
      }
    }

    window.addEventListener('online', () => {
      attempt = 0;
      flush();
    });
    // A device woken from sleep may have missed its timer.
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'visible' && retryTimer !== null && Date.now() >= retryAt) flush();
    });

    // ---- start ----
    async function start() {
      const served = await servedByClassServer();
      // Out of reach, a class this page has joined before goes on: its runs wait for the
      // server. Any other server never hears of classes.
      const known = served === 'unreachable' && asked && sessionMemo(asked).momotaro;
      if (asked && ALPHABET.test(asked) && (served === 'yes' || known)) {
        code = asked;
        showClass();
        enter(asked, false);
      } else if (served === 'yes') {
        showJoin();
        if (outbox().length) flush();
      }
    }
    start();

    return {
      runEnded,
      // The column's box on the page, or null when there is none.
      box: () => (panel.hidden ? null : panel),
      state: () => ({ code, deviceNumber, waiting: outbox().length, sending }),
    };
  }
  return { create };
})();
