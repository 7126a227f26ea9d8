#pragma once

namespace perne {

// The time limit: strictly more than 180 seconds, judged in single precision
// (180.01 is past it, 180 exactly is not).
bool pastTimeLimit(double elapsed);

// A run is a schedule: period k (k = 1, 2, ...) is the moment start + k x 200 ms, and both
// timers' k-th ticks belong to it, whenever they are actually run. Which periods have come is
// told by the steady clock; what the walk reads at each (its seconds, its clock reading) is
// worked out from the wall reading at Start, so a wall clock set either way during a run
// changes nothing, and a run across midnight reads its clock wrapped as the clock itself does.

// The run's seconds at period k: k x 0.2 exactly, so period 900 is 180 s and period 901 the
// first past the limit, whatever the clock's single precision does to its readings.
double scheduledElapsed(long long period);

// What the clock reads at period k: the start reading moved on by k periods, wrapped at
// midnight, in single precision as the clock itself reads.
float scheduledReading(float startTime, long long period);

// The last period whose moment has come by `elapsed` seconds of the run on the steady clock.
// A timer's event may come a millisecond or so before its moment, so a period counts as come
// a little (1/32 s) early; a timer event on time then finds its tick due.
long long lastPeriodDue(double elapsed);

} // namespace perne
