// The student's engine as the page sees it (web/engine/pageengine.cpp behind embind).

/** A mode by its key: both walkers move, or the dog alone. */
export type ModeKey = 'both' | 'dog';

/** What the engine calls on the page: the window's controls, the cues and the clock. */
export interface PageSeams {
  setCaption(name: string, text: string): void;
  setSpriteVisible(name: string, visible: boolean): void;
  moveSprite(name: string, x: number, y: number): void;
  setButtonEnabled(name: string, enabled: boolean): void;
  setTimerEnabled(name: string, enabled: boolean): void;
  playCue(fileName: string): void;
  secondsSinceMidnight(): number;
  /** Seconds that only move on with time: the engine counts a run's periods by them. */
  steadySeconds(): number;
}

export interface RunReceipt {
  meetings: number;
  seconds: number;
  receipt: {
    mode: ModeKey;
    momotaro: [number, number];
    dog: [number, number];
    startReading: number;
    random: string[];
    lastPeriod: number;
  };
}

export interface Prompt {
  title: string;
  prompt: string;
  defaultAnswer: string;
}

export interface PageEngine {
  load(): void;
  beginSetUp(mode: ModeKey): Prompt | null;
  answerPrompt(answer: string): Prompt | null;
  setUpUnderWay(): boolean;
  command4Click(): void;
  command5Click(): void;
  timer1Tick(): void;
  timer2Tick(): void;
  catchUp(): void;
  ticksRun(timer: 1 | 2): number;
  /** The finished run as one tab-separated line; null before a run has ended. */
  finishedRunLine(): string | null;
  /** The ended run as the class server takes it: its count and seconds, and the receipt from
   *  which the server walks it again; null before a run has ended. */
  finishedRunReceipt(): RunReceipt | null;
  delete(): void;
}

export interface DesignControl {
  name: string;
  kind: 'button' | 'pictureBox' | 'sprite' | 'axisLabel' | 'valueLabel' | 'printBox';
  container: string;
  left: number;
  top: number;
  width: number;
  height: number;
  caption: string;
  tabIndex: number;
  /** Design pixels. */
  x: number;
  y: number;
  w: number;
  h: number;
}

export interface DesignLine {
  name: string;
  container: string;
  x1: number;
  y1: number;
  x2: number;
  y2: number;
  px1: number;
  py1: number;
  px2: number;
  py2: number;
}

export interface FormDesign {
  caption: string;
  clientWidth: number;
  clientHeight: number;
  clientW: number;
  clientH: number;
  background?: string;
  fieldBorder?: number;
  controls: DesignControl[];
  lines: DesignLine[];
  images?: Record<string, { width: number; height: number }>;
}

export interface PrintStep {
  box: 'Picture1' | 'Picture2';
  op: 'clear' | 'emptyLine' | 'fontSize' | 'foreColour' | 'line';
  text: string;
  value: number;
}

export interface DesignTables {
  twipsPerPixel: number;
  timerIntervalMs: number;
  quitTitle: string;
  quitQuestion: string;
  form1: FormDesign;
  form2: FormDesign;
  colours: {
    table: string[];
    valueLabelBackground: string;
    meetingCount: string;
    elapsedTime: string;
    printBoxBackground: string;
  };
  typefaces: {
    designFamily: string;
    defaultPoints: number;
    axisLabelPoints: number;
    axisLabelWeight: number;
    meetingCountPoints: number;
  };
  problem: Record<string, unknown>;
  accessibleNames: Record<string, string>;
  runEndedText: string;
  problemPrintout: PrintStep[];
}

export interface PerneEngineModule {
  PageEngine: new (page: PageSeams) => PageEngine;
  designTables(): DesignTables;
  latticeToField(x: number, y: number): { x: number; y: number };
  /** The button that takes the focus from a disabled one, or null. */
  buttonTakingFocus(disabled: string, isEnabled: (name: string) => boolean): string | null;
  /** The letter spacing, in pixels, that fits a caption to its box. */
  captionSpacing(boxWidth: number, widthAt: (spacing: number) => number): number;
}

export default function createPerneEngine(): Promise<PerneEngineModule>;
