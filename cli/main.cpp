// perne-stats: the teacher's companion to the window program. Exact expected values of a
// run for both modes, and batches of simulated runs through the same engine.
#include "program.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return perne::cli::runProgram(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
