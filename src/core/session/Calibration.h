// Calibration of the inputs as exchanges with the transmitter: the two readings of a point of a
// resistance procedure, the storing of a constant the cell can hold, and the terminal sensor's
// offset measured against a true temperature and stored. The arithmetic between them is
// core/device/CalibrationMath's. Widget-free: the service panel and an automated calibration run
// the same exchanges.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/device/CalibrationMath.h"
#include "core/device/MemoryMap.h"
#include "core/link/Link.h"

namespace vl48 {

enum class StoreOutcome {
    Stored,
    NoReading,    // the measurement the value comes from was not answered: nothing was written
    OutOfRange,   // the cell cannot hold the value: nothing was written
    WriteFailed,  // the transmitter did not acknowledge the write
};

// One point of a resistance procedure: AIN2 under the procedure's word, then AIN3 (AdcWordB),
// asked only when AIN2 answered.
struct PointReading {
    std::optional<uint16_t> a;
    std::optional<uint16_t> b;
    // Both readings, or nothing: a half-failed point never mixes with another's reading.
    std::optional<AdcPair> pair() const;
};
// `aRead` is told the AIN2 reading before AIN3 is asked.
PointReading measureCalibrationPoint(Link& link, uint16_t wordA,
                                     const std::function<void(uint16_t a)>& aRead = {});

// Writes `value` into `cell` when `range` holds it; nothing goes out otherwise.
StoreOutcome storeCalibrationValue(Link& link, Cell cell, int64_t value, CellRange range);
StoreOutcome storeCalibrationValue(Link& link, Cell cell, double value, CellRange range);

// The terminal sensor's offset: its reading (250), the offset that brings it to the true
// temperature (terminalOffset), stored in EETermOffset when a signed cell holds it.
struct TerminalOffsetStore {
    StoreOutcome outcome = StoreOutcome::NoReading;
    int reading = 0;     // tenths of a degree
    int64_t offset = 0;  // tenths of a degree
};
// `measured` is told the reading and the offset before anything is stored.
TerminalOffsetStore calibrateTerminalOffset(
    Link& link, double trueTemp,
    const std::function<void(const TerminalOffsetStore&)>& measured = {});

}  // namespace vl48
