// The transmitter's 7-byte frame: command codes, the table-driven CRC-16 step, building requests
// and checking replies. Pure functions with no port behind them, so every rule is testable alone.
#pragma once

#include <array>
#include <cstdint>

namespace vl48 {

// Command codes of the transmitter. Codes not listed here never go on the line.
enum Cmd : uint8_t {
    CmdReadCell = 25,
    CmdReadNote = 26,
    CmdOutputRelease = 41,
    CmdOutputSet = 42,
    CmdWriteCell = 52,
    CmdTempSecond = 245,
    CmdAdcRead = 246,
    CmdSerialNumber = 247,
    CmdMeasure = 248,
    CmdMilliVolt = 249,
    CmdTemp = 250,
    CmdAin1 = 251,
    CmdAin2 = 252,
    CmdAin3 = 253,
    CmdFirmware = 254,
    CmdIdentify = 255,
};

constexpr int FrameSize = 7;
using Frame = std::array<uint8_t, FrameSize>;

// One byte of CRC-16/ARC folded into the running value: the nibble-parity form, which needs no
// bit loop. Every frame computation starts from CrcValue = 0.
uint16_t Crc16(uint16_t CrcValue, uint8_t byte);

// CRC-16/ARC over a run of bytes, starting from 0.
uint16_t crc16(const uint8_t* data, int length);

// A request: command, tag, three data bytes, then the complemented CRC, low byte first.
Frame buildRequest(uint8_t command, uint8_t tag, uint8_t d2, uint8_t d3, uint8_t d4);
// Data as a 24-bit value, most significant byte first (the form `Send` and `DA` use).
Frame buildSendRequest(uint8_t command, uint8_t tag, uint32_t data);
// Cell address in D2 and a 16-bit value in D3..D4 (the form `SendEE` uses).
Frame buildSendEERequest(uint8_t command, uint8_t tag, uint8_t address, uint16_t value);

// A reply is good when its complemented CRC matches bytes 0..4 and byte 0 echoes the command.
// Byte 1 is reply data, never compared with the tag.
bool replyIsValid(const Frame& reply, uint8_t command);

// Reply values: 16 bits from R3..R4, 32 bits from R1..R4 (signed).
inline uint16_t replyWord(const Frame& reply) {
    return static_cast<uint16_t>((reply[3] << 8) | reply[4]);
}
inline int16_t replySignedWord(const Frame& reply) {
    return static_cast<int16_t>(replyWord(reply));
}
inline int32_t replyLong(const Frame& reply) {
    return static_cast<int32_t>((uint32_t(reply[1]) << 24) | (uint32_t(reply[2]) << 16) |
                                (uint32_t(reply[3]) << 8) | uint32_t(reply[4]));
}

// A measured value (the 32-bit reply of command 248): below `faultFrom` a reading, at
// faultFrom + 1 the fault above the range, at faultFrom + 2 the fault below it. Any other code
// from faultFrom up means nothing the window shows.
enum class Measured { Reading, FaultHigh, FaultLow, Unknown };
Measured measuredKind(int32_t value, int32_t faultFrom);

}  // namespace vl48
