// The teacher page's worker: exact values and batches, off the page's main thread. It runs
// after the stats module's script (createPerneStats) in one Blob.
//
// From the page:  {type: 'exact', id, start}                 start = {momotaro: [x, y], dog: [x, y]}
//                 {type: 'distribution', id, start}
//                 {type: 'batch', id, start, runs, seed, modes}  seed as decimal text; modes
//                                                            to run, of 'both' and 'dog'
//                 {type: 'stop', id}
//                 {type: 'csv', id, start, seed, modes: [{meetings, firstPeriods}, both then dog]}
// To the page:    {type: 'failed'}                           the module could not start
//                 {type: 'exact', id, modes: [both, dog]}
//                 {type: 'distribution', id, modes: [Float64Array, Float64Array]}
//                   (element k: the chance of k meetings in one run)
//                 {type: 'progress', id, modes: [{mode, done, meetings, firstPeriods, summary}, ...]}
//                   (meetings and firstPeriods hold only the runs since the last progress)
//                 {type: 'finished', id, stopped}
//                 {type: 'csv', id, bytes}  (perne-stats' CSV as UTF-8 with a byte-order mark, CRLF)
'use strict';

const SLICE_RUNS = 16; // runs of each mode between looks at the clock
const REPORT_EVERY_MS = 100; // progress messages: ten a second move the bar smoothly enough

/**
 * A message to the page, with the buffers it hands over.
 * @param {import('./messages').FromWorker} message
 * @param {Transferable[]} [transfer]
 */
const send = (message, transfer = []) => postMessage(message, transfer);

/** @type {import('./perne-stats-core').PerneStatsModule | null} */
let core = null;
let batch = null;
const waiting = [];

createPerneStats().then(
  (module) => {
    core = module;
    waiting.splice(0).forEach(handle);
  },
  () => postMessage({ type: 'failed' }),
);

onmessage = (event) => (core ? handle(event.data) : waiting.push(event.data));

/** @param {import('./messages').ToWorker} message */
function handle(message) {
  if (message.type === 'exact') {
    const modes = core.constants().modes.map((mode) => core.exact(mode, message.start));
    send({ type: 'exact', id: message.id, modes });
  } else if (message.type === 'distribution') {
    const modes = core.constants().modes.map((mode) => core.distribution(mode, message.start));
    send(
      { type: 'distribution', id: message.id, modes },
      modes.map((m) => m.buffer),
    );
  } else if (message.type === 'batch') {
    startBatch(message);
  } else if (message.type === 'csv') {
    const { id, start, seed, modes } = message;
    const bytes = core.batchCsv(
      start,
      seed,
      modes.map((m) => m.meetings),
      modes.map((m) => m.firstPeriods),
    );
    send({ type: 'csv', id, bytes }, [bytes.buffer]);
  } else if (message.type === 'stop' && batch && batch.id === message.id) {
    batch.stopping = true;
  }
}

function startBatch({ id, start, runs, seed, modes }) {
  if (batch) finish(true);
  batch = {
    id,
    runs,
    stopping: false,
    modes,
    runners: modes.map((mode) => new core.Batch(mode, start, seed, runs)),
    reported: modes.map(() => 0),
  };
  continueSoon();
}

// A zero-delay turn of the event loop, so a Stop message gets in between two slices.
const channel = new MessageChannel();
channel.port1.onmessage = () => work();
function continueSoon() {
  channel.port2.postMessage(null);
}

function work() {
  if (!batch) return;
  if (batch.stopping) return finish(true);
  const until = performance.now() + REPORT_EVERY_MS;
  let left = true;
  while (left && performance.now() < until) {
    left = false;
    for (const runner of batch.runners) {
      runner.runMore(SLICE_RUNS);
      if (runner.done() < batch.runs) left = true;
    }
  }
  report();
  if (left) continueSoon();
  else finish(false);
}

function report() {
  const modes = batch.runners.map((runner, i) => {
    const fresh = runner.outcomesFrom(batch.reported[i]);
    batch.reported[i] = runner.done();
    return { mode: batch.modes[i], done: runner.done(), ...fresh, summary: runner.summary() };
  });
  send(
    { type: 'progress', id: batch.id, modes },
    modes.flatMap((m) => [m.meetings.buffer, m.firstPeriods.buffer]),
  );
}

function finish(stopped) {
  report();
  batch.runners.forEach((runner) => runner.delete());
  send({ type: 'finished', id: batch.id, stopped });
  batch = null;
}
