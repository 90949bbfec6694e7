// vl48-sim's command line and usage text.
#pragma once

#include <iosfwd>

#include "Simulator.h"

namespace vl48sim {

struct ProgramArgs {
    Options options;
    bool jumperOff = false;
    // Units on links of their own (a fixture with several programming cables): the first has
    // the identity given, each next one the next serial number.
    int units = 1;
};

// The link of unit `index` (0 for the first) of `units`: the path given, or with several units
// and a path given, the path with "-1", "-2", ... after it; empty for a fresh published name.
std::string unitLinkPath(const std::string& linkPath, int units, int index);

// Prints the usage and exits on --help; exits with a message and status 2 on a wrong option.
ProgramArgs parseCommandLine(int argc, char** argv);

// Options and console commands, as --help and the console's help show them.
void printUsage(std::ostream& out);

}  // namespace vl48sim
