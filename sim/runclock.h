#pragma once

namespace perne {

// Seconds from startTime to reading, both seconds-since-midnight readings. A run that
// crosses midnight sees its reading wrap to 0; a day is added back so the elapsed time
// keeps growing and the time limit still ends the run.
double elapsedSeconds(float startTime, float reading);

// The time limit: strictly more than 180 seconds, judged in single precision
// (180.01 is past it, 180 exactly is not).
bool pastTimeLimit(double elapsed);

} // namespace perne
