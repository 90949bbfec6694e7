// The simulator every benchmark measures against: real 4800-baud timing, no turnaround, on a
// link in a folder of its own.
#pragma once

#include <QTemporaryDir>
#include <memory>

#include "Simulator.h"

// `name` is the link's name in the folder; `serial` the unit's serial number (a station's units
// each have their own).
inline std::unique_ptr<vl48sim::Simulator> startPacedSimulator(const QTemporaryDir& dir,
                                                               const QString& name = "vl48",
                                                               uint16_t serial = 42) {
    vl48sim::Options options;
    options.linkPath = dir.filePath(name).toStdString();
    options.pace = true;
    options.turnaroundMs = 0;
    options.identity.serial = serial;
    auto sim = std::make_unique<vl48sim::Simulator>(options);
    sim->start();
    return sim;
}
