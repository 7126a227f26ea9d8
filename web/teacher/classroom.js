// A class on the class server: only when the page is served by it (api/info answers). The
// teacher opens a session for the points on screen; the join code, the address and its QR
// code go up large for the back row; the runs come in on the session's event stream and
// join the class panel beside anything pasted. The session's secret lives in this page's
// storage only: never on the screen, never in an address.
//
// The stream is read with fetch (it needs the secret in a header), and every event's id is
// kept, so a stream that breaks -- a lost network, a restarted server -- goes on after the
// last event it saw, and the picture on the projector stays the same.
'use strict';

const PerneClassroom = (() => {
  const STORE = { sessions: 'perne.teacher.sessions', current: 'perne.teacher.current' };
  const RETRY_MS = [500, 1000, 2000, 4000, 5000];
  const CHOICES = [
    ['both', '２人'],
    ['dog', '１人'],
    ['same', '同じ'],
  ];
  const MODE_SHORT = { both: '２人', dog: '１人' };

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
        localStorage.setItem(key, value === null ? null : JSON.stringify(value));
      } catch (e) {
        /* private mode */
      }
    },
  };
  const api = (path) => new URL(`api/${path}`, location.href).href;
  const where = (m, d) => `桃太郎 (${m[0]}, ${m[1]})・犬 (${d[0]}, ${d[1]})`;

  // Splits a text/event-stream into events as its chunks arrive: feed(text) returns the
  // events completed by it, [{id, event, data}].
  function eventParser() {
    let buffer = '';
    let current = { id: null, event: 'message', data: [] };
    let afterCR = false; // the last chunk ended in CR: an LF opening the next one is its pair
    return function feed(text) {
      buffer += afterCR && text.startsWith('\n') ? text.slice(1) : text;
      afterCR = false;
      const out = [];
      let at;
      while ((at = buffer.search(/\r\n|\r|\n/)) >= 0) {
        const line = buffer.slice(0, at);
        afterCR = buffer[at] === '\r' && at === buffer.length - 1;
        buffer = buffer.slice(at + (buffer.startsWith('\r\n', at) ? 2 : 1));
        if (line === '') {
          if (current.data.length) out.push({ id: current.id, event: current.event, data: current.data.join('\n') });
          current = { id: null, event: 'message', data: [] };
          continue;
        }
        if (line.startsWith(':')) continue; // keep-alive
        const colon = line.indexOf(':');
        const field = colon < 0 ? line : line.slice(0, colon);
        const value = colon < 0 ? '' : line.slice(colon + 1).replace(/^ /, '');
        if (field === 'data') current.data.push(value);
        else if (field === 'event') current.event = value;
        else if (field === 'id') current.id = value;
      }
      return out;
    };
  }

  // e: the elements (see perne-stats.html, #session); panel: the class panel;
  // pointsNow() -> {momotaro: [x, y], dog: [x, y]}; save(blob, name) saves a file.
  function create({ elements: e, panel, pointsNow, save }) {
    let info = null;
    let session = null; // {code, secret, created, points}
    let picture = null; // what the stream has told of the session
    let stream = null; // {abort} of the stream being read
    let attempt = 0;
    let retryTimer = null;
    let closeArmed = null;

    const sessions = () => (storage.get(STORE.sessions, []) || []).filter((s) => s && s.code && s.secret);
    const auth = () => ({ Authorization: `Bearer ${session.secret}` });

    function emptyPicture() {
      return {
        lastId: null,
        runs: new Map(),
        devices: { joined: 0, sent: 0 },
        predictions: { both: 0, dog: 0, same: 0 },
        state: { open: true, locked: false, hidden: false },
      };
    }

    async function detect() {
      if (!/^https?:$/.test(location.protocol)) return;
      try {
        const response = await fetch(api('info'), { cache: 'no-store' });
        const json = response.ok ? await response.json() : null;
        if (!json || json.server !== 'perne-class') return;
        info = json;
      } catch (error) {
        return;
      }
      e.root.hidden = false;
      e.keyField.hidden = !info.teacherKeyRequired;
      showEarlier();
      showStartWhere();
      const current = storage.get(STORE.current, null);
      const known = sessions().find((s) => s.code === current);
      if (known) open(known);
    }

    function showStartWhere() {
      const p = pointsNow();
      e.startWhere.textContent = `${where(p.momotaro, p.dog)} で`;
    }

    function showEarlier() {
      const all = sessions();
      e.earlier.replaceChildren(
        ...all
          .slice()
          .reverse()
          .map((s) => {
            const o = document.createElement('option');
            o.value = s.code;
            const at = new Date(s.created);
            const when = Number.isNaN(at.getTime())
              ? ''
              : `${at.getMonth() + 1}/${at.getDate()} ${at.getHours()}:${String(at.getMinutes()).padStart(2, '0')}　`;
            o.textContent = `${when}${s.code}　${where(s.points.momotaro, s.points.dog)}`;
            return o;
          }),
      );
      e.earlierField.hidden = all.length === 0;
      if (session) e.earlier.value = session.code;
    }

    function say(text) {
      e.message.textContent = text;
    }

    async function begin() {
      const points = pointsNow();
      const body = { momotaro: points.momotaro, dog: points.dog };
      if (info.teacherKeyRequired) body.teacherKey = e.key.value;
      e.start.disabled = true;
      say('');
      try {
        const response = await fetch(api('sessions'), {
          method: 'POST',
          headers: { 'Content-Type': 'application/json' },
          body: JSON.stringify(body),
        });
        const json = await response.json().catch(() => null);
        if (response.status !== 201 || !json || !json.code || !json.secret) {
          say((json && json.message) || `授業を始められませんでした（${response.status}）`);
          return;
        }
        const made = {
          code: json.code,
          secret: json.secret,
          created: new Date().toISOString(),
          points: { momotaro: body.momotaro, dog: body.dog },
        };
        storage.set(STORE.sessions, [...sessions(), made]);
        e.key.value = '';
        open(made, true);
      } catch (error) {
        say('サーバーにつながりません');
      } finally {
        e.start.disabled = false;
      }
    }

    // Follows a session: its picture from the first event on.
    function open(s, fresh = false) {
      stop();
      session = s;
      storage.set(STORE.current, s.code);
      picture = emptyPicture();
      const joinUrl = new URL(`perne.html?class=${s.code}`, location.href).href;
      e.code.textContent = s.code;
      e.url.textContent = joinUrl;
      // The picture is made only for a session: a page with no class holds no image.
      const qr = document.createElement('img');
      qr.alt = '参加のための QR コード';
      qr.src = api(`sessions/${s.code}/qr.svg`);
      e.qr.replaceChildren(qr);
      e.live.hidden = false;
      setBoard(fresh ? 'large' : 'small');
      showEarlier();
      render();
      connect();
    }

    function stop() {
      clearTimeout(retryTimer);
      retryTimer = null;
      if (stream) stream.abort();
      stream = null;
    }

    async function connect() {
      const mine = session;
      const controller = new AbortController();
      stream = controller;
      const headers = auth();
      if (picture.lastId !== null) headers['Last-Event-ID'] = picture.lastId;
      let fatal = false;
      try {
        const response = await fetch(api(`sessions/${mine.code}/events`), {
          headers,
          signal: controller.signal,
          cache: 'no-store',
        });
        if (response.status === 401 || response.status === 403 || response.status === 404) {
          fatal = true;
          showConnection(response.status === 404 ? 'この授業はサーバーにありません' : 'この授業の鍵が合いません');
          return;
        }
        if (!response.ok || !response.body) throw new Error(`status ${response.status}`);
        showConnection('');
        const reader = response.body.pipeThrough(new TextDecoderStream()).getReader();
        const feed = eventParser();
        for (;;) {
          const { value, done } = await reader.read();
          if (done) break;
          attempt = 0;
          const events = feed(value);
          for (const event of events) take(event);
          if (events.length) render();
        }
      } catch (error) {
        if (controller.signal.aborted) return;
      } finally {
        if (stream === controller && !fatal && !controller.signal.aborted) {
          showConnection('つなぎ直しています…');
          const wait = RETRY_MS[Math.min(attempt++, RETRY_MS.length - 1)];
          retryTimer = setTimeout(() => {
            if (session === mine) connect();
          }, wait);
        }
      }
    }

    function showConnection(text) {
      e.connection.textContent = text;
      e.panelRoot.dataset.connection = text ? 'broken' : 'live';
    }

    function take(event) {
      let data;
      try {
        data = JSON.parse(event.data);
      } catch (error) {
        return;
      }
      if (event.id !== null) picture.lastId = event.id;
      switch (event.event) {
        case 'run':
          picture.runs.set(data.run, data);
          break;
        case 'removed':
          for (const id of data.runs || []) picture.runs.delete(id);
          break;
        case 'devices':
          picture.devices = data;
          break;
        case 'predictions':
          picture.predictions = data;
          break;
        case 'state':
          picture.state = data;
          break;
        default:
          break;
      }
    }

    function render() {
      if (!picture) return;
      const runs = [...picture.runs.values()];
      const pooled = runs.filter((r) => r.verified);
      const unverified = runs.filter((r) => !r.verified);
      panel.setLive(
        pooled.map((r) => ({
          mode: r.mode === 'dog' ? 1 : 0,
          momotaro: r.momotaro,
          dog: r.dog,
          meetings: r.meetings,
          seconds: r.seconds,
          run: r.run,
          device: r.device,
        })),
        true,
      );
      const st = picture.state;
      e.panelRoot.dataset.open = String(st.open);
      e.panelRoot.classList.toggle('results-hidden', !!st.hidden);
      e.hide.textContent = st.hidden ? '見せる' : 'かくす';
      e.hide.classList.toggle('primary', !!st.hidden);
      e.lock.textContent = st.locked ? '受付を再開' : '受付を止める';
      e.lock.classList.toggle('primary', !!st.locked);
      for (const b of [e.hide, e.lock, e.close]) b.disabled = !st.open;
      e.stateLine.textContent = !st.open ? 'この授業は終わりました' : st.locked ? '受付を止めています' : '受付中';
      e.devices.textContent = `参加 ${picture.devices.joined} 台・送信 ${picture.devices.sent} 台`;
      const p = picture.predictions;
      const total = CHOICES.reduce((a, [k]) => a + (p[k] || 0), 0);
      e.predictions.replaceChildren(
        ...CHOICES.map(([k, label]) => {
          const span = document.createElement('span');
          span.className = `choice ${k}`;
          span.dataset.choice = k;
          span.textContent = `${label} ${p[k] || 0}`;
          span.style.setProperty('--share', total ? String((p[k] || 0) / total) : '0');
          return span;
        }),
      );
      e.predictionsField.hidden = total === 0;
      showRuns(runs);
      showUnverified(unverified);
    }

    function showRuns(runs) {
      e.runsSummary.textContent = `届いた実験（${runs.length} 回）`;
      e.runsField.hidden = runs.length === 0;
      const rows = runs
        .slice()
        .sort((a, b) => b.run - a.run)
        .slice(0, 300)
        .map((r) => {
          const tr = document.createElement('tr');
          tr.dataset.run = r.run;
          const cell = (text) => {
            const td = document.createElement('td');
            td.textContent = text;
            return td;
          };
          const at = new Date(r.at);
          tr.append(
            cell(`${r.run}`),
            cell(`端末 ${r.device}`),
            cell(MODE_SHORT[r.mode] || r.mode),
            cell(`${r.meetings} 回`),
            cell(`${r.seconds} 秒`),
            cell(Number.isNaN(at.getTime()) ? '' : at.toLocaleTimeString('ja-JP')),
            cell(r.verified ? '' : '確かめられず'),
          );
          const actions = document.createElement('td');
          const one = document.createElement('button');
          one.type = 'button';
          one.textContent = 'この実験を消す';
          one.dataset.removeRun = r.run;
          const all = document.createElement('button');
          all.type = 'button';
          all.textContent = `端末 ${r.device} の実験をすべて消す`;
          all.dataset.removeDevice = r.device;
          actions.append(one, all);
          tr.append(actions);
          return tr;
        });
      e.runsBody.replaceChildren(...rows);
    }

    function showUnverified(runs) {
      e.unverifiedField.hidden = runs.length === 0;
      e.unverifiedSummary.textContent = `確かめられなかった実験（${runs.length} 回、グラフには入れていません）`;
      e.unverifiedList.replaceChildren(
        ...runs.map((r) => {
          const li = document.createElement('li');
          li.dataset.run = r.run;
          li.textContent = `端末 ${r.device}　${MODE_SHORT[r.mode] || ''} ${r.meetings} 回 ${r.seconds} 秒: ${r.reason || '同じ結果になりませんでした'}`;
          return li;
        }),
      );
    }

    async function teacherCall(method, path, body) {
      const mine = session;
      try {
        const response = await fetch(api(`sessions/${mine.code}/${path}`), {
          method,
          headers: { ...auth(), ...(body ? { 'Content-Type': 'application/json' } : {}) },
          body: body ? JSON.stringify(body) : undefined,
        });
        if (!response.ok) {
          const json = await response.json().catch(() => null);
          say((json && json.message) || `できませんでした（${response.status}）`);
          return null;
        }
        say('');
        return response;
      } catch (error) {
        say('サーバーにつながりません');
        return null;
      }
    }

    const control = (action) => teacherCall('POST', 'control', { action });

    // An earlier class beside this one: its full runs' count and mean for each mode, in
    // one line above the panel (the panel itself keeps to the class on show).
    async function compare(s) {
      e.compared.textContent = '';
      let json = null;
      try {
        const response = await fetch(api(`sessions/${s.code}`), {
          headers: { Authorization: `Bearer ${s.secret}` },
          cache: 'no-store',
        });
        json = response.ok ? await response.json() : null;
      } catch (error) {
        json = null;
      }
      if (!json || !Array.isArray(json.runs)) {
        say('前の授業を読めませんでした');
        return;
      }
      const modes = ['both', 'dog'].map((mode) => {
        const meetings = json.runs
          .filter((r) => r.verified && r.mode === mode && r.seconds >= PerneClassPaste.FULL_SECONDS)
          .map((r) => r.meetings);
        const n = meetings.length;
        return `${MODE_SHORT[mode]} ${n ? `平均 ${(meetings.reduce((a, b) => a + b, 0) / n).toFixed(2)}` : '—'}（${n} 回）`;
      });
      e.compared.textContent = `${s.code}（${where(s.points.momotaro, s.points.dog)}）: ${modes.join('・')}`;
    }

    // The start button submits the form, so Enter in the passphrase starts too.
    e.start.form.addEventListener('submit', (event) => {
      event.preventDefault();
      begin();
    });
    // In a class the pasting box gives its place to the session; it comes back on demand.
    e.paste.addEventListener('click', () => {
      const open = e.panelRoot.dataset.paste !== 'open';
      e.panelRoot.dataset.paste = open ? 'open' : '';
      e.paste.setAttribute('aria-expanded', String(open));
    });
    e.compareEarlier.addEventListener('click', () => {
      const s = sessions().find((x) => x.code === e.earlier.value);
      if (s) compare(s);
    });
    e.openEarlier.addEventListener('click', () => {
      const s = sessions().find((x) => x.code === e.earlier.value);
      if (s) open(s);
    });
    // Showing the results puts the code small, so the charts have the screen.
    e.hide.addEventListener('click', () => {
      if (picture.state.hidden) setBoard('small');
      control(picture.state.hidden ? 'show' : 'hide');
    });
    e.lock.addEventListener('click', () => control(picture.state.locked ? 'unlock' : 'lock'));
    // Closing asks twice: the first press arms the button for a few seconds.
    e.close.addEventListener('click', () => {
      if (!closeArmed) {
        e.close.textContent = 'もう一度押すと終わります';
        closeArmed = setTimeout(() => {
          closeArmed = null;
          e.close.textContent = '授業を終える';
        }, 4000);
        return;
      }
      clearTimeout(closeArmed);
      closeArmed = null;
      e.close.textContent = '授業を終える';
      control('close');
    });
    function setBoard(size) {
      e.panelRoot.dataset.board = size;
      e.board.textContent = size === 'large' ? 'コードを小さく' : 'コードを大きく';
    }
    e.board.addEventListener('click', () => setBoard(e.panelRoot.dataset.board === 'large' ? 'small' : 'large'));
    e.csv.addEventListener('click', async () => {
      const response = await teacherCall('GET', 'runs.csv');
      if (response) save(await response.blob(), `ペルネ_クラス_${session.code}.csv`);
    });
    e.runsBody.addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (!button) return;
      if (button.dataset.removeRun) teacherCall('DELETE', `runs/${button.dataset.removeRun}`);
      else if (button.dataset.removeDevice) teacherCall('DELETE', `devices/${button.dataset.removeDevice}`);
    });
    // A network that comes back need not wait for the next try.
    window.addEventListener('online', () => {
      if (session && retryTimer !== null) {
        clearTimeout(retryTimer);
        retryTimer = null;
        attempt = 0;
        connect();
      }
    });

    detect();
    return {
      pointsChanged: () => {
        if (info) showStartWhere();
      },
    };
  }

  return { create, eventParser };
})();
