// vl48-sim's console: one command a line on stdin plays with the simulated unit's cable, memory,
// readings, faults and line.
#pragma once

#include <iosfwd>
#include <sstream>
#include <string>
#include <vector>

#include "Simulator.h"

namespace vl48sim {

class Console {
public:
    explicit Console(Simulator& sim) : sim_(sim) {}

    // Runs one command line; false once the user asked to quit.
    bool run(std::string line);

    // The command list of the usage text.
    static void printCommands(std::ostream& out);

private:
    struct Entry;
    using Args = std::vector<std::string>;

    static const std::vector<Entry>& commands();
    void dispatch(const std::string& word, std::istringstream& in);

    void unplug(const Args& args);
    void plugSame(const Args& args);
    void plugAnother(const Args& args);
    void setCell(const Args& args);
    void getCell(const Args& args);
    void setNote(const Args& args);
    void measure(const Args& args);
    void milliVolt(const Args& args);
    void terminalTemp(const Args& args);
    void fault(const Args& args);
    void stray(const Args& args);
    void turnaround(const Args& args);
    void stream(const Args& args);
    void lineError(const Args& args);
    void stall(const Args& args);
    void jumper(const Args& args);
    void meter(const Args& args);
    void log(const Args& args);
    void help(const Args& args);
    void quit(const Args& args);

    void showCell(int address);

    Simulator& sim_;
    bool quitting_ = false;
};

}  // namespace vl48sim
