// Ctrl+C (SIGINT), SIGTERM and SIGHUP for the commands that program units or measure without
// end. A unit is never left half-written without a word: during a unit the first request lets it
// finish and says so, and only a second one abandons it, saying that too; between units a request
// stops at once.
#pragma once

namespace vl48cli {

// Takes over SIGINT, SIGTERM and SIGHUP for the rest of the program.
void catchInterrupt();
// A Ctrl+C has come: stop at the next point where stopping leaves nothing half done.
bool interrupted();
// Runs the event loop for `ms` milliseconds, or less when a Ctrl+C comes; false then.
bool pause(int ms);

// Marks a unit under way for its lifetime.
class UnitUnderWay {
public:
    UnitUnderWay();
    ~UnitUnderWay();
    UnitUnderWay(const UnitUnderWay&) = delete;
    UnitUnderWay& operator=(const UnitUnderWay&) = delete;
};

}  // namespace vl48cli
