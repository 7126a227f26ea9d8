// The stats core as the teacher's page's workers see it (web/teacher/binding.cpp).

export type ModeKey = 'both' | 'dog';

/** Two starting points, as the worker's messages carry them. */
export interface StartingPoints {
  momotaro: [number, number];
  dog: [number, number];
}

export interface ExactTexts {
  meanMeetings: string;
  meetingProbability: string;
  firstMeetingSeconds: string;
  meanMoves: string;
  meetingsPer100Moves: string;
}

export interface ExactValues {
  ticksPerTimer: number;
  meanMeetings: number;
  meetingProbability: number;
  firstMeetingSeconds: number | null;
  meanMoves: number;
  meetingsPer100Moves: number | null;
  metByPeriod: Float64Array;
  /** As perne-stats's table writes them. */
  texts: ExactTexts;
}

export interface Summary {
  runs: number;
  mean: number;
  sd: number | null;
  ciLow: number | null;
  ciHigh: number | null;
  min: number;
  max: number;
  histogram: number[];
  runsWithMeeting: number;
  firstMeetingSeconds: number | null;
}

export interface Batch {
  runMore(count: number): number;
  done(): number;
  outcomesFrom(from: number): { meetings: Int32Array; firstPeriods: Int32Array };
  summary(): Summary;
  delete(): void;
}

export interface Constants {
  modes: ModeKey[];
  timerIntervalMs: number;
  secondsPerPeriod: number;
  timeLimitSeconds: number;
  latticeMin: number;
  latticeMax: number;
  meetingCountMax: number;
  fullWidth: { first: number; last: number; offset: number; minusSign: number; ideographicSpace: number };
}

export interface PerneStatsModule {
  constants(): Constants;
  exact(mode: ModeKey, start: StartingPoints): ExactValues | null;
  distribution(mode: ModeKey, start: StartingPoints): Float64Array | null;
  batchCsv(
    start: StartingPoints,
    seed: string,
    meetings: ArrayLike<number>[],
    firstPeriods: ArrayLike<number>[],
  ): Uint8Array;
  Batch: new (mode: ModeKey, start: StartingPoints, seed: string, runs: number) => Batch;
}

export default function createPerneStats(): Promise<PerneStatsModule>;
