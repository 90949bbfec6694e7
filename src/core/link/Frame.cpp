#include "core/link/Frame.h"

namespace vl48 {

namespace {
// Parity of each nibble value 0..15.
constexpr uint8_t NibbleParity[16] = {0, 1, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1, 1, 0};
}  // namespace

uint16_t Crc16(uint16_t CrcValue, uint8_t byte) {
    const uint16_t x = static_cast<uint8_t>(byte ^ (CrcValue & 0xFF));
    CrcValue >>= 8;
    if (NibbleParity[x & 0x0F] ^ NibbleParity[x >> 4]) CrcValue ^= 0xC001;
    CrcValue ^= static_cast<uint16_t>((x << 6) ^ (x << 7));
    return CrcValue;
}

uint16_t crc16(const uint8_t* data, int length) {
    uint16_t crc = 0;
    for (int i = 0; i < length; ++i) crc = Crc16(crc, data[i]);
    return crc;
}

Frame buildRequest(uint8_t command, uint8_t tag, uint8_t d2, uint8_t d3, uint8_t d4) {
    Frame f{command, tag, d2, d3, d4, 0, 0};
    const uint16_t check = static_cast<uint16_t>(~crc16(f.data(), 5));
    f[5] = static_cast<uint8_t>(check & 0xFF);
    f[6] = static_cast<uint8_t>(check >> 8);
    return f;
}

Frame buildSendRequest(uint8_t command, uint8_t tag, uint32_t data) {
    return buildRequest(command, tag, static_cast<uint8_t>(data >> 16),
                        static_cast<uint8_t>(data >> 8), static_cast<uint8_t>(data));
}

Frame buildSendEERequest(uint8_t command, uint8_t tag, uint8_t address, uint16_t value) {
    return buildRequest(command, tag, address, static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value));
}

Measured measuredKind(int32_t value, int32_t faultFrom) {
    if (value < faultFrom) return Measured::Reading;
    // Compared as differences: faultFrom + 1 would overflow for the largest threshold.
    if (int64_t(value) - faultFrom == 1) return Measured::FaultHigh;
    if (int64_t(value) - faultFrom == 2) return Measured::FaultLow;
    return Measured::Unknown;
}

bool replyIsValid(const Frame& reply, uint8_t command) {
    const uint16_t received = static_cast<uint16_t>(((~reply[6] & 0xFF) << 8) | (~reply[5] & 0xFF));
    return received == crc16(reply.data(), 5) && reply[0] == command;
}

}  // namespace vl48
