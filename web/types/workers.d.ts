// What the workers find around them: the stats core's loader, put before worker.js in the
// teacher page's worker.
import type { PerneStatsModule } from '../teacher/perne-stats-core';

declare global {
  function createPerneStats(): Promise<PerneStatsModule>;
}
export {};
