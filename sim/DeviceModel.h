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
// Converter codes of the current output's 0 mA and the voltage output's 0 V, used while the
// output is not driven.
constexpr int kCellCurrentZero = 134;
constexpr int kCellVoltageZero = 142;

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

    // The analogue output for a converter code, with the unit's own error and without any
    // measurement noise. A current output cannot go below 0 mA; a voltage output can go negative.
    double outputCurrentmA(uint16_t code) const;
    double outputVolts(uint16_t code) const;
    // What the output puts out now: at the driven code, or released, at the zero code of the
    // current or voltage output.
    double outputCurrentmANow() const;
    double outputVoltsNow() const;

    Identity identity;
    Readings readings;
    bool writeEnabled = true;
    std::set<uint8_t> unsupported;
    bool outputDriven = false;
    uint16_t outputCode = 0;
    std::vector<uint16_t> driveLog;
    double outputGainPercent = 0.3;    // of the ideal output
    double outputOffsetPercent = -0.2;  // of full scale

private:
    std::array<uint8_t, 256> mem_{};
};

}  // namespace vl48sim
