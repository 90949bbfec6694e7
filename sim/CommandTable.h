// How the transmitter answers one request: a handler for each command code, grouped by area
// (identification, memory, measurement, output), looked up in one table.
#pragma once

#include <array>
#include <cstdint>

#include "DeviceModel.h"
#include "WireFrame.h"

namespace vl48sim {

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

// Bytes 0..4 of a request whose CRC has been checked.
struct Request {
    explicit Request(const uint8_t* frame)
        : cmd(frame[0]), d1(frame[1]), d2(frame[2]), d3(frame[3]), d4(frame[4]) {}
    uint16_t value16() const { return static_cast<uint16_t>((d3 << 8) | d4); }

    uint8_t cmd, d1, d2, d3, d4;
};

using CommandHandler = Answer (*)(DeviceModel& device, const Request& request);
// Indexed by command code; a code without a handler is not answered.
using CommandTable = std::array<CommandHandler, 256>;

// Carries out a request whose CRC has already been checked and returns what goes back.
Answer execute(DeviceModel& device, const uint8_t* request);

// Each area enters its handlers into the table.
void addIdentificationCommands(CommandTable& table);  // 255, 254, 247
void addMemoryCommands(CommandTable& table);          // 25, 52, 26
void addMeasurementCommands(CommandTable& table);     // 248, 249, 250, 245, 251..253, 246
void addOutputCommands(CommandTable& table);          // 42, 41

}  // namespace vl48sim
