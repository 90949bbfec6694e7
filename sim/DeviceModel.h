// What the transmitter knows and how it answers one request: the 256-byte configuration memory,
// identity, live readings and the output converter. No threads and no locking here; the
// Simulator serialises every access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Simulator.h"

namespace vl48sim {

constexpr size_t kFrameSize = 7;

// Command codes (byte 0 of a request, echoed in byte 0 of the reply).
enum Command : uint8_t {
    kReadCell = 25,
    kReadNote = 26,
    kReleaseOutput = 41,
    kDriveOutput = 42,
    kWriteCell = 52,
    kSecondTemp = 245,
    kAdc = 246,
    kSerial = 247,
    kMeasured = 248,
    kMilliVolt = 249,
    kTerminalTemp = 250,
    kAin1 = 251,
    kAin2 = 252,
    kAin3 = 253,
    kFirmware = 254,
    kIdentify = 255,
};

// Byte addresses of the memory cells the model itself looks at.
constexpr int kCellInputType = 4;
constexpr int kCellNoteLength = 88;
constexpr int kCellNoteText = 90;
// The note text area ends where the calibration block starts (cell 134).
constexpr size_t kNoteCapacity = 134 - kCellNoteText;
// A raw note reply never exceeds this, whatever garbage the length cell holds.
constexpr size_t kNoteReplyLimit = 60;

// Bytes 5..6 of a frame: CRC-16/ARC of bytes 0..4, complemented, low byte first.
uint16_t frameCrc(const uint8_t* frame);
bool frameCrcOk(const uint8_t* frame);
void sealFrame(uint8_t* frame);

struct Answer {
    enum class Kind {
        None,   // the unit stays silent
        Frame,  // a 7-byte reply frame
        Raw,    // bytes as they are (the note), no framing
    };
    Kind kind = Kind::None;
    std::vector<uint8_t> bytes;
};

struct DeviceModel {
    DeviceModel();

    // Carries out a request whose CRC has already been checked and returns what goes back.
    Answer execute(const uint8_t* request);

    uint16_t word(int address) const;
    void setWord(int address, uint16_t value);
    void setNote(const std::string& bytes);
    void resetMemory();

    Identity identity;
    Readings readings;
    bool writeEnabled = true;
    std::set<uint8_t> unsupported;
    bool outputDriven = false;
    uint16_t outputCode = 0;
    std::vector<uint16_t> driveLog;

private:
    int32_t measuredValue() const;
    int32_t milliVoltValue() const;
    uint16_t adcValue(uint16_t configuration) const;

    std::array<uint8_t, 256> mem_{};
};

}  // namespace vl48sim
