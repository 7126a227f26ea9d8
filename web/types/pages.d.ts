// What the pages' classic scripts find around them: the WebAssembly modules' loaders, the
// constants the build writes, the worker's source, and what the student's page shows its tests.
import type { PerneEngineModule } from '../engine/perne-engine';
import type { Constants } from '../teacher/perne-stats-core';

declare global {
  /** The student's engine (perne-engine.js, inlined before the page's scripts). */
  function createPerneEngine(): Promise<PerneEngineModule>;
  /** Written at build time from the stats core (web/teacher/constants.mjs). */
  const PerneConstants: Readonly<Constants>;
  /** The teacher page's worker: the stats core's loader, then worker.js. */
  const PERNE_WORKER_SOURCE: string;
  interface Window {
    /** What the tests and the benchmarks read of the running student's page. */
    Perne: {
      ticks: { readonly Timer1: number; readonly Timer2: number };
      engine: PerneEngineModule;
      readyAt: number;
    };
    webkitAudioContext?: typeof AudioContext;
  }
}
export {};
