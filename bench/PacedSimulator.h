// The simulator every benchmark measures against: real 4800-baud timing, no turnaround, on a
// link in a folder of its own.
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "Simulator.h"

inline std::unique_ptr<vl48sim::Simulator> startPacedSimulator(const QTemporaryDir& dir) {
    vl48sim::Options options;
    options.linkPath = dir.filePath("vl48").toStdString();
    options.pace = true;
    options.turnaroundMs = 0;
    auto sim = std::make_unique<vl48sim::Simulator>(options);
    sim->start();
    return sim;
}
