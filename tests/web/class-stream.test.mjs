// The teacher's page reads the session's event stream in chunks as the network hands them
// over (run in Node on the page's very script): an event cut anywhere, in any line ending,
// with keep-alive comments between, comes out whole and once, with its id.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import vm from 'node:vm';

const here = dirname(fileURLToPath(import.meta.url));
const source = readFileSync(join(here, '..', '..', 'web', 'teacher', 'classroom.js'), 'utf8');
const { eventParser } = vm.runInNewContext(`${source}; PerneClassroom`);
const plain = (value) => JSON.parse(JSON.stringify(value));

const STREAM = [
  ': keep-alive',
  '',
  'id: 7',
  'event: run',
  'data: {"run":17,"device":3,"mode":"both","meetings":12,"seconds":180,"verified":true}',
  '',
  ': keep-alive',
  'id: 8',
  'event: devices',
  'data: {"joined":31,',
  'data:"sent":27}',
  '',
  'event: state',
  'data: {"open":true}',
  '',
].join('\n') + '\n';

const WANT = [
  { id: '7', event: 'run', data: '{"run":17,"device":3,"mode":"both","meetings":12,"seconds":180,"verified":true}' },
  { id: '8', event: 'devices', data: '{"joined":31,\n"sent":27}' },
  { id: null, event: 'state', data: '{"open":true}' },
];

test('events cut at every place, in every line ending, come out whole, in order, once', () => {
  for (const ending of ['\n', '\r\n', '\r']) {
    const text = STREAM.replace(/\n/g, ending);
    for (let cut = 0; cut <= text.length; ++cut) {
      const feed = eventParser();
      const got = [...feed(text.slice(0, cut)), ...feed(text.slice(cut))];
      assert.deepEqual(plain(got), WANT, `${JSON.stringify(ending)} cut at ${cut}`);
    }
    // One character at a time, as a slow network may hand them over.
    const feed = eventParser();
    const got = [];
    for (const c of text) got.push(...feed(c));
    // A CR at a chunk's end may be the first half of a CRLF: it must not end an empty line.
    assert.deepEqual(plain(got), WANT, `${JSON.stringify(ending)} one by one`);
  }
});

test('an event not yet ended by its empty line waits; comments and unknown fields change nothing', () => {
  const feed = eventParser();
  assert.deepEqual(plain(feed('id: 3\nevent: removed\ndata: {"runs":[1]}\n')), []);
  assert.deepEqual(plain(feed(': ping\nretry: 100\nfoo\n\n')), [{ id: '3', event: 'removed', data: '{"runs":[1]}' }]);
  // An event with no data is no event; the name goes back to "message" after each.
  assert.deepEqual(plain(feed('event: state\n\ndata: x\n\n')), [{ id: null, event: 'message', data: 'x' }]);
});
