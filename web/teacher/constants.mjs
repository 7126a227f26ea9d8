// Writes the engine's constants that the teacher's page reads (the modes' keys, the timers'
// period, the run's limit, the lattice, the count's cap) as one script, taken at build time
// from the stats core's own binding, so the page never types them again.
//
//   node constants.mjs OUT perne-stats-core.js
import { writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { resolve } from 'node:path';

const [out, core] = process.argv.slice(2);
const createPerneStats = createRequire(import.meta.url)(resolve(core));
const module = await createPerneStats();
writeFileSync(
  out,
  '// Made at build time from the stats core (constants() in binding.cpp).\n' +
    `const PerneConstants = Object.freeze(${JSON.stringify(module.constants())});\n`,
);
