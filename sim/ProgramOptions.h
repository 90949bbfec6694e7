// vl48-sim's command line and usage text.
#pragma once

#include <iosfwd>

#include "Simulator.h"

namespace vl48sim {

struct ProgramArgs {
    Options options;
    bool jumperOff = false;
};

// Prints the usage and exits on --help; exits with a message and status 2 on a wrong option.
ProgramArgs parseCommandLine(int argc, char** argv);

// Options and console commands, as --help and the console's help show them.
void printUsage(std::ostream& out);

}  // namespace vl48sim
