#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace perne::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // a result file or standard output could not be written
constexpr int kExitUsage = 2;  // a refused command line; nothing was computed or written

// The whole of perne-stats: reads the arguments (without the program name), computes,
// writes the files, prints the table or the CSV on `out` and messages on `err`. A
// progress bar goes to `err` while a batch takes longer than a second, if showProgress.
int runProgram(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err,
               bool showProgress);

} // namespace perne::cli
