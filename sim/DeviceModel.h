// What the transmitter knows: the 256-byte configuration memory, identity, live readings, the
// write-enable jumper and the output converter. How it answers a request is in CommandTable.h. No
// threads and no locking here; the Simulator serialises every access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Types.h"

namespace vl48sim {

// Byte addresses of the memory cells the model itself looks at.
constexpr int kCellInputType = 4;
constexpr int kCellNoteLength = 88;
constexpr int kCellNoteText = 90;
// The note text area ends where the calibration block starts (cell 134).
constexpr size_t kNoteCapacity = 134 - kCellNoteText;

struct DeviceModel {
    DeviceModel();

    uint8_t byte(int address) const;
    uint16_t word(int address) const;
    void setWord(int address, uint16_t value);
    void setNote(const std::string& bytes);
    void resetMemory();

    // Readings as the unit reports them: the values set in `readings`, or where those are unset,
    // what the configured input type shows.
    int32_t measuredValue() const;
    int32_t milliVoltValue() const;
    uint16_t adcValue(uint16_t configuration) const;

    Identity identity;
    Readings readings;
    bool writeEnabled = true;
    std::set<uint8_t> unsupported;
    bool outputDriven = false;
    uint16_t outputCode = 0;
    std::vector<uint16_t> driveLog;

private:
    std::array<uint8_t, 256> mem_{};
};

}  // namespace vl48sim
