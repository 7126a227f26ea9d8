#pragma once

#include "runcontroller.h"

#include <optional>
#include <string>

namespace perne {

// Why a receipt cannot be walked again: it names a run the program could never have made.
enum class ReceiptFault {
    None,
    Mode,    // neither both walkers nor the dog alone
    Point,   // a starting coordinate outside 0..10
    Reading, // a clock reading that is no time of day
    Random,  // the all-zero generator state, which no generator ever has
    Period,  // a last period below 0 or past the time limit's (901)
};

ReceiptFault receiptFault(const RunReceipt &receipt);

// Walks the run again, headless, through the run logic's own handlers and ticks: the setup
// with the receipt's points, Start at its reading with its generator state, every period up to
// its last, then Stop if the time limit has not ended it. Gives what finishedRun() gave for the
// original run, or nothing when the receipt has a fault.
std::optional<RunResult> walkAgain(const RunReceipt &receipt);

// The receipt as one JSON object, for a page to send with its run:
// {"mode":"both"|"dog","momotaro":[x,y],"dog":[x,y],"startReading":<a decimal that reads back
// as the same float>,"random":["<16 hex digits>" x 4],"lastPeriod":n}
std::string receiptJson(const RunReceipt &receipt);

// The mode's word in receipts and runs: "both" or "dog" (empty for any other state).
const char *modeWord(RunState mode);

} // namespace perne
