// Joins files into one script that holds their text as a string constant, so the page can
// start a Web Worker from a Blob of it, from file:// too.
//
//   node workersource.mjs OUTPUT FILE...     writes  const PERNE_WORKER_SOURCE = "...";
import { readFileSync, writeFileSync } from 'node:fs';

const [output, ...files] = process.argv.slice(2);
const text = files.map((f) => readFileSync(f, 'utf8')).join('\n;\n');
writeFileSync(output, `const PERNE_WORKER_SOURCE = ${JSON.stringify(text)};\n`);
