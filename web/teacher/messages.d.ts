// The messages between the teacher's page and its workers (worker.js).
import type { ExactValues, ModeKey, StartingPoints, Summary } from './perne-stats-core';

export type ToWorker =
  | { type: 'exact'; id: number; start: StartingPoints }
  | { type: 'distribution'; id: number; start: StartingPoints }
  | { type: 'batch'; id: number; start: StartingPoints; runs: number; seed: string; modes: ModeKey[] }
  | { type: 'stop'; id: number }
  | {
      type: 'csv';
      id: number;
      start: StartingPoints;
      seed: string;
      modes: { meetings: number[]; firstPeriods: number[] }[];
    };

export interface ModeProgress {
  mode: ModeKey;
  done: number;
  /** Only the runs since the last progress message. */
  meetings: Int32Array;
  firstPeriods: Int32Array;
  summary: Summary;
}

export type FromWorker =
  | { type: 'failed' }
  | { type: 'exact'; id: number; modes: ExactValues[] }
  | { type: 'distribution'; id: number; modes: Float64Array[] }
  | { type: 'progress'; id: number; modes: ModeProgress[] }
  | { type: 'finished'; id: number; stopped: boolean }
  | { type: 'csv'; id: number; bytes: Uint8Array };
