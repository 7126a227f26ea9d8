// The sound device of both windows: the three wave cues, decoded once into Web Audio
// buffers. A new cue stops the one sounding. Where the browser holds sound back until the
// first click, or there is no audio device, the page stays silent and never waits.
'use strict';

const PerneCues = (() => {
  function create() {
    const sources = {
      'pinpon.wav': 'inline:pinpon.wav',
      'endpinpon.wav': 'inline:endpinpon.wav',
      'logoff.wav': 'inline:logoff.wav',
    };
    const buffers = {};
    let context = null;
    let sounding = null;
    let silenced = false;
    let pending = null; // the cue waiting for sound to come on

    function bytesOf(dataUrl) {
      const text = atob(dataUrl.slice(dataUrl.indexOf(',') + 1));
      const bytes = new Uint8Array(text.length);
      for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
      return bytes.buffer;
    }

    try {
      const AudioContextClass = window.AudioContext || window.webkitAudioContext;
      if (AudioContextClass) context = new AudioContextClass();
    } catch (e) {
      context = null; // no device: silent
    }
    if (context) {
      for (const [name, url] of Object.entries(sources)) {
        try {
          // Browsers that return a promise reject it as well as calling the error callback.
          const decoding = context.decodeAudioData(
            bytesOf(url),
            (b) => {
              buffers[name] = b;
            },
            () => {},
          );
          if (decoding && decoding.catch) decoding.catch(() => {});
        } catch (e) {
          /* undecodable: that cue stays silent */
        }
      }
      // The first touch, click or key may unlock sound.
      const unlock = () => {
        if (context.state === 'suspended') context.resume().catch(() => {});
      };
      for (const type of ['pointerdown', 'keydown', 'touchend'])
        window.addEventListener(type, unlock, { capture: true, passive: true });
    }

    function stop() {
      if (sounding) {
        try {
          sounding.stop();
        } catch (e) {
          /* already ended */
        }
        sounding = null;
      }
    }

    function start(buffer) {
      const source = context.createBufferSource();
      source.buffer = buffer;
      source.connect(context.destination);
      source.onended = () => {
        if (sounding === source) sounding = null;
      };
      source.start();
      sounding = source;
    }

    return {
      play(name) {
        stop();
        pending = null;
        if (!context || silenced) return;
        const buffer = buffers[name];
        if (!buffer) return;
        if (context.state === 'running') {
          start(buffer);
          return;
        }
        // Held back: a cue that only sounds well after its click would be wrong, so it plays
        // only if sound comes on at once; the handler goes on either way.
        const asked = performance.now();
        const token = {};
        pending = token;
        context.resume().then(
          () => {
            if (pending === token && performance.now() - asked < 250 && !silenced) start(buffer);
          },
          () => {},
        );
      },
      // Quit: every sound ends and none starts again.
      silence() {
        silenced = true;
        stop();
        if (context) context.suspend().catch(() => {});
      },
    };
  }

  return { create };
})();
